#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the test machine's initramfs: a static busybox, the kernel modules
# for the USB serial adapter and the 9p shares, and an init that mounts the
# host's root read-only, chroots into it and runs the job the host left.
# Usage: make-initramfs.sh KERNEL_ROOT OUTPUT
#   KERNEL_ROOT holds boot/vmlinuz-* and lib/modules/<version> (an unpacked
#   Debian kernel package will do; see fetch-kernel.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ $# -eq 2 ] || { echo "usage: $0 KERNEL_ROOT OUTPUT" >&2; exit 2; }
kernel_root="$1"
output="$2"

# The guest has no libraries of its own before the host's root is mounted,
# so its busybox must be the static one (Debian's busybox-static).
busybox=/bin/busybox
if [ ! -x "$busybox" ] || ldd "$busybox" >/dev/null 2>&1; then
    echo "no static busybox at $busybox (install busybox-static)" >&2
    exit 1
fi
# /lib/modules, or /usr/lib/modules in a package made for a merged /usr (Debian 13).
modules_dir="$(find "$kernel_root/lib/modules" "$kernel_root/usr/lib/modules" -mindepth 1 \
    -maxdepth 1 -type d 2>/dev/null | head -n 1 || true)"
[ -d "$modules_dir/kernel" ] || { echo "no kernel modules under $kernel_root/lib/modules or usr/lib/modules" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{bin,dev,proc,sys,host,modules}
cp "$busybox" "$work/bin/busybox"
cp "$here/init" "$work/init"
chmod 0755 "$work/init"

# Each module's name (dashes as underscores) to its file.
declare -A file_of
while IFS=' ' read -r name path; do
    name="${name%%.ko*}"
    file_of["${name//-/_}"]="$path"
done < <(find "$modules_dir/kernel" \( -name '*.ko' -o -name '*.ko.xz' -o -name '*.ko.zst' \) -printf '%f %p\n')

depends_of() {
    local file="$1"
    case "$file" in
    *.ko.xz) xz -dc "$file" ;;
    *.ko.zst) zstd -dc "$file" ;;
    *) cat "$file" ;;
    esac | tr '\0' '\n' | sed -n 's/^depends=//p' | head -n 1 | tr ',' ' '
}

# Load order: every module after the ones it depends on.
order=()
declare -A placed
declare -A builtin
if [ -f "$modules_dir/modules.builtin" ]; then
    while read -r path; do
        path="${path##*/}"
        path="${path%%.ko*}"
        builtin["${path//-/_}"]=1
    done <"$modules_dir/modules.builtin"
fi
place() {
    local name="${1//-/_}" dep
    [ -n "${placed[$name]:-}" ] && return
    # Built into the kernel (Debian 13 builds virtio_pci in): nothing to load.
    if [ -z "${file_of[$name]:-}" ] && [ -n "${builtin[$name]:-}" ]; then
        placed[$name]=1
        return
    fi
    [ -n "${file_of[$name]:-}" ] || { echo "kernel module $name not found" >&2; exit 1; }
    placed[$name]=1
    for dep in $(depends_of "${file_of[$name]}"); do place "$dep"; done
    order+=("$name")
}
for wanted in virtio_pci 9pnet_virtio 9p xhci_pci ftdi_sio; do place "$wanted"; done

for name in "${order[@]}"; do
    file="${file_of[$name]}"
    case "$file" in
    *.ko.xz) xz -dc "$file" >"$work/modules/$name.ko" ;;
    *.ko.zst) zstd -dc "$file" >"$work/modules/$name.ko" ;;
    *) cp "$file" "$work/modules/$name.ko" ;;
    esac
    echo "$name" >>"$work/modules/order"
done

(cd "$work" && find . | LC_ALL=C sort | cpio --quiet -o -H newc --owner 0:0) | gzip -9 >"$output.tmp"
mv "$output.tmp" "$output"
