#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages a task needs; packages already present are not
# asked for again. The tests also get the de_DE.UTF-8 locale they use.
# Usage: scripts/install-deps.sh [run|test|package|network|vm|windows]
#   run      building and running the program
#   test     that, plus the test suite, benchmarks and headless display, and
#            the accessibility bus with its Python client (default)
#   package  that of run, plus building the Debian package
#   network  that of test, plus ser2net for the network port tests. Debian's
#            package also starts a ser2net service (see /etc/ser2net.yaml:
#            /dev/ttyS0 and /dev/ttyS1 on localhost ports 2000 to 3001), so
#            the README's test command leaves it out and those tests skip
#   vm       that of test, plus the test machine with a USB serial adapter
#            (tests/vm: QEMU, udev, and what prepare.sh builds its boot files with)
#   windows  that of test, plus the Windows build (scripts/windows.sh): the
#            MinGW-w64 cross compiler, Qt's build tools for the host, Wine,
#            NSIS, zip, xdotool, and dpkg-dev for Qt's Debian source
set -euo pipefail

run=(
    cmake ninja-build g++
    qt6-base-dev qt6-serialport-dev
    fonts-liberation fonts-dejavu-core
)
test=("${run[@]}"
    pkg-config libgtest-dev libxcb1-dev
    xvfb xauth locales
    desktop-file-utils appstream
    at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0)
mode="${1:-test}"
case "$mode" in
run) packages=("${run[@]}") ;;
test) packages=("${test[@]}") ;;
package) packages=("${run[@]}" dpkg-dev file) ;;
network) packages=("${test[@]}" ser2net) ;;
vm) packages=("${test[@]}" qemu-system-x86 udev busybox-static cpio xz-utils zstd) ;;
windows) packages=("${test[@]}" g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev-tools
    wine wine64 nsis zip xdotool xz-utils dpkg-dev) ;;
*)
    echo "usage: $0 [run|test|package|network|vm|windows]" >&2
    exit 2
    ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "$0: installing packages needs root, and sudo is not installed." >&2
        echo "Run this as root, or install sudo and give your user the right to use it." >&2
        exit 1
    fi
    sudo=sudo
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The locale test needs a locale that writes decimal commas; only the tests.
if { [ "$mode" = test ] || [ "$mode" = network ] || [ "$mode" = vm ] || [ "$mode" = windows ]; } && ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    $sudo sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen
fi
