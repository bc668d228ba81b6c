#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares the test machine's boot files in a folder: the kernel of Debian's
# linux-image-amd64, uncompressed (it boots in half the time under software
# emulation), and an initramfs with the modules it needs. Nothing is
# installed: the kernel package is downloaded and unpacked in a scratch
# folder. Needs apt-get, dpkg-deb, xz, zstd, cpio and busybox-static; as a normal
# user too. Usage: tests/vm/prepare.sh FOLDER   (the tests look in <build>/vm)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$1"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# apt downloads as its own user where it can.
chmod 0755 "$scratch"
# The versioned package that the meta-package stands for.
package="$(apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)"
[ -n "$package" ] || {
    echo "$0: apt does not know linux-image-amd64; run apt-get update" >&2
    exit 1
}
(cd "$scratch" && apt-get download "$package") >/dev/null
dpkg-deb -x "$scratch"/linux-image-*.deb "$scratch/root"

compressed="$(ls "$scratch"/root/boot/vmlinuz-*)"
# The kernel proper is the xz (Debian 12) or zstd (Debian 13) stream inside
# the boot image. The tools complain about the bytes after the stream; the
# ELF header tells.
is_elf() {
    [ "$(head -c 4 "$1" 2>/dev/null | od -An -c | tr -d ' ')" = '177ELF' ]
}
unpack() {
    local magic="$1" offset
    shift
    offset="$(LC_ALL=C grep -obUaP "$magic" "$compressed" | head -n 1 | cut -d: -f1 || true)"
    [ -n "$offset" ] || return 0
    tail -c +$((offset + 1)) "$compressed" | "$@" >"$scratch/vmlinux" 2>/dev/null || true
}
unpack '\xfd7zXZ\x00' xz -dc
if ! is_elf "$scratch/vmlinux" && command -v zstd >/dev/null; then
    unpack '\x28\xb5\x2f\xfd' zstd -dc
fi
if is_elf "$scratch/vmlinux"; then
    mv "$scratch/vmlinux" "$out/kernel"
else
    cp "$compressed" "$out/kernel"
fi
bash "$here/make-initramfs.sh" "$scratch/root" "$out/initramfs.gz"
echo "$package" >"$out/kernel-package"
echo "test machine ready in $out: $(cat "$out/kernel-package"), $(du -sh "$out" | cut -f1)"
