#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's commands and the package, as a newcomer meets them: on fresh
# minimal Debian roots of one release, made with mmdebstrap from the archive
# this machine's apt uses, each with only what the command itself installs.
#
#   1. root "build": a clean clone; as a normal user with sudo,
#      `bash scripts/run.sh` without a display; with --tests, the README's
#      test command `bash scripts/test.sh` too, as that user, in the same
#      build folder, each with no compiler warning; as root,
#      `bash scripts/package.sh`; the release's lintian on the package: no
#      errors
#   2. root "install": `apt-get install ./miran_*.deb`; as a new user,
#      `miran-cli --version`, `miran-cli read` against the simulated modem
#      built in root 1, the window offscreen for a few seconds (its settings
#      and per-user Address.txt made); then `apt-get remove miran` leaves
#      nothing of it under /usr
#
# Each step's time is printed. Run as root, with mmdebstrap installed.
# Usage: tests/debian/fresh-root.sh [--release CODENAME] [--tests] [work folder]
#   --release  the Debian release of the roots (bookworm, trixie, ...); by
#              default this machine's own. Another release comes from the same
#              archive as this machine's Debian sources, under its own name.
#   --tests    also runs the README's test command in the build root
set -euo pipefail
source="$(cd "$(dirname "$0")/../.." && pwd)"
suite=""
run_tests=0
while [ $# -gt 0 ]; do
    case "$1" in
    --release) suite="$2"; shift 2 ;;
    --tests) run_tests=1; shift ;;
    -*) echo "usage: $0 [--release CODENAME] [--tests] [work folder]" >&2; exit 2 ;;
    *) break ;;
    esac
done
work="${1:-$(mktemp -d /tmp/miran-fresh.XXXXXX)}"
# shellcheck source=/dev/null
own_suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
suite="${suite:-$own_suite}"
started=$SECONDS
mounted=()

step() {
    echo
    echo "--- $* ($((SECONDS - started)) s so far)"
    step_started=$SECONDS
}
done_step() {
    echo "--- done in $((SECONDS - step_started)) s"
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -R "${mounted[i]}" 2>/dev/null || umount -lR "${mounted[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
# Interrupted, it still unmounts what it mounted.
trap 'exit 130' INT
trap 'exit 143' TERM

# The archive and the apt settings this machine uses, for the new roots too.
sources=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$file" ] && sources+=("$file")
done
[ ${#sources[@]} -gt 0 ] || fail "no apt sources on this machine"
# Another release: this machine's Debian entries (the main archive and its
# security archive), with the release's name in place of this one's.
if [ "$suite" != "$own_suite" ]; then
    [ -n "$own_suite" ] || fail "this machine does not say its release; --release needs it"
    mkdir -p "$work"
    {
        for file in "${sources[@]}"; do
            case "$file" in
            *.sources) awk -v RS= -v ORS='\n\n' '/URIs: [^\n]*\/debian(-security)?\/?(\n| )/' "$file" ;;
            *) grep -E '^deb +(\[[^]]*\] +)?[^ ]*/debian(-security)?/? ' "$file" || true ;;
            esac
        done
    } | sed -E "s/\b$own_suite\b/$suite/g" >"$work/$suite.sources"
    grep -q "$suite" "$work/$suite.sources" || fail "no Debian archive in this machine's apt sources"
    sources=("$work/$suite.sources")
fi
aptopts=()
while IFS= read -r line; do
    aptopts+=(--aptopt="$line")
done < <(apt-config dump | grep -E '^Acquire::(Check-Valid-Until|Check-Date|https?::Proxy) ' || true)

# Removes a root; never one with something still mounted in it, since
# that would reach into this machine's /dev.
remove_root() {
    if findmnt -rn -o TARGET | grep -q "^$1"; then
        fail "$1 still has file systems mounted; not removed"
    fi
    rm -rf "$1"
}

# make_root NAME [mmdebstrap options]: a minimal root (apt, nothing else;
# passwd, for the users the steps add, is not essential in every release),
# with /proc, /sys and /dev for building, for pseudo-terminals and for the
# serial device list.
make_root() {
    local name="$1"
    shift
    remove_root "${work:?}/$name"
    mmdebstrap --quiet --variant=apt "${aptopts[@]}" "$@" "$suite" "$work/$name" "${sources[@]}"
    cp /etc/resolv.conf "$work/$name/etc/resolv.conf"
    mount -t proc proc "$work/$name/proc"
    mounted+=("$work/$name/proc")
    mount -t sysfs -o ro sysfs "$work/$name/sys"
    mounted+=("$work/$name/sys")
    mount --rbind /dev "$work/$name/dev"
    mount --make-rslave "$work/$name/dev"
    mounted+=("$work/$name/dev")
}

# no_warnings LOG: a build log with no compiler warning in it.
no_warnings() {
    bash "$source/scripts/build-warnings.sh" "$1" || fail "compiler warnings in $1"
}

# in_root NAME USER COMMAND: runs a shell command in the root as the user,
# with a login's environment and no display.
in_root() {
    chroot "$work/$1" runuser -l "$2" -c "unset DISPLAY WAYLAND_DISPLAY; $3"
}

mkdir -p "$work"
echo "Fresh Debian roots ($suite) in $work, from: ${sources[*]}"

# --- 1. Building --------------------------------------------------------------

step "1a. a minimal $suite root, with sudo for the newcomer"
make_root build --include=sudo,passwd
chroot "$work/build" useradd --create-home --shell /bin/bash newcomer
echo 'newcomer ALL=(ALL) NOPASSWD: ALL' >"$work/build/etc/sudoers.d/newcomer"
chmod 0440 "$work/build/etc/sudoers.d/newcomer"
git clone --quiet "$source" "$work/build/home/newcomer/miran"
chroot "$work/build" chown -R newcomer:newcomer /home/newcomer/miran
done_step

step "1b. scripts/run.sh as the newcomer (sudo for the packages), no display"
in_root build newcomer 'cd ~/miran && bash scripts/run.sh' | tee "$work/run.log" ||
    fail "scripts/run.sh"
grep -q '^No display' "$work/run.log" || fail "run.sh did not say how to run the program"
for program in src/miran src/cli/miran-cli tools/modem-sim/modem-sim; do
    [ -x "$work/build/home/newcomer/miran/build/$program" ] || fail "run.sh did not build $program"
done
[ ! -e "$work/build/home/newcomer/miran/build/tests" ] || fail "run.sh built the tests"
no_warnings "$work/run.log"
done_step

if [ "$run_tests" -eq 1 ]; then
    step "1b'. scripts/test.sh as the newcomer (sudo for the packages), in the same build"
    in_root build newcomer 'cd ~/miran && bash scripts/test.sh' >"$work/test.log" 2>&1 ||
        { grep -E '(Failed|Not Run|\*\*\*|FAIL!|tests passed|tests failed)' "$work/test.log" | tail -40
          tail -100 "$work/test.log"; fail "scripts/test.sh"; }
    grep -E 'tests passed|tests failed' "$work/test.log"
    no_warnings "$work/test.log"
    bash "$source/scripts/skip-summary.sh" "$work/build/home/newcomer/miran/build" \
        "tests on $suite" "$source/tests/allowed-skips.txt" || fail "a test skipped for a reason not allowed"
    done_step
fi

step "1c. scripts/package.sh as root"
in_root build root 'cd /home/newcomer/miran && bash scripts/package.sh' || fail "scripts/package.sh"
deb=$(ls "$work"/build/home/newcomer/miran/build/miran_*.deb)
cp "$deb" "$work/"
cp "$work/build/home/newcomer/miran/build/tools/modem-sim/modem-sim" "$work/"
done_step

step "1d. lintian of $suite on the package: no errors"
# The release's own lintian, installed in the build root once it has built.
in_root build root 'DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends lintian >/dev/null' ||
    fail "installing lintian"
# Every tag, the informational ones too; only an error fails.
in_root build root "lintian --info --pedantic --fail-on error ~newcomer/miran/build/$(basename "$deb")" ||
    fail "lintian"
cleanup
mounted=()
done_step

# --- 2. Installing ------------------------------------------------------------

step "2a. a second minimal $suite root; the package installed with apt"
make_root install --include=passwd
find "$work/install/usr" | sed "s|^$work/install||" | sort >"$work/usr-before"
cp "$work"/miran_*.deb "$work/install/tmp/"
cp "$work/modem-sim" "$work/install/usr/local/bin/"
# A new root has no package lists yet, as after any fresh install.
chroot "$work/install" apt-get update >"$work/install.log" &&
    chroot "$work/install" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends ./tmp/"$(basename "$deb")" >>"$work/install.log" ||
    { cat "$work/install.log"; fail "apt-get install of the package"; }
chroot "$work/install" dpkg -L miran >"$work/package-files"
chroot "$work/install" useradd --create-home --shell /bin/bash alice
done_step

step "2b. miran-cli as a new user: --version, and read against the simulated modem"
# The package's version names the release (1.0.35~deb13); the program's does not.
version=$(dpkg-deb --field "$deb" Version)
version="${version%%~*}"
in_root install alice 'miran-cli --version' | grep -qx "$version" || fail "miran-cli --version"
in_root install alice '
    modem-sim --config 7F7F7F7E0A01FF050A031E1E --link ~/modem </dev/null >/dev/null 2>&1 &
    sim=$!
    for _ in $(seq 50); do [ -L ~/modem ] && break; sleep 0.1; done
    miran-cli read --device ~/modem >~/read.out
    code=$?
    kill $sim
    cat ~/read.out
    exit $code' | tee "$work/read.out" || fail "miran-cli read"
grep -qx 'destination 7F7F7F7E' "$work/read.out" || fail "miran-cli read printed no configuration"
done_step

step "2c. the window, offscreen, for 5 s as the new user"
set +e
in_root install alice 'QT_QPA_PLATFORM=offscreen timeout 5 miran'
code=$?
set -e
# timeout ends it with SIGTERM; 124 says it was still running then.
[ "$code" -eq 124 ] || fail "the window ended with $code within 5 s"
home="$work/install/home/alice"
[ -f "$home/.local/share/MIRAN/MIRAN/Address.txt" ] || fail "no per-user Address.txt"
grep -q '^BAUD=38400' "$home/.config/MIRAN/MIRAN.ini" ||
    fail "the window did not write its settings when SIGTERM closed it"
done_step

step "2d. apt-get remove miran leaves nothing of it under /usr"
chroot "$work/install" env DEBIAN_FRONTEND=noninteractive apt-get remove -y miran >/dev/null
left=$(grep '^/usr/' "$work/package-files" | while read -r path; do
    [ -f "$work/install$path" ] || [ -L "$work/install$path" ] && echo "$path"
done || true)
[ -z "$left" ] || fail "left after removal: $left"
named=$(find "$work/install/usr" -iname '*miran*' ! -path '*/usr/local/bin/modem-sim')
[ -z "$named" ] || fail "left after removal: $named"
cleanup
mounted=()
done_step

echo
echo "fresh Debian roots: all steps passed in $((SECONDS - started)) s"
remove_root "${work:?}/build"
remove_root "${work:?}/install"
rm -rf "${work:?}"
