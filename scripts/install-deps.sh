#!/usr/bin/env bash
# Installs the Debian packages a task needs; packages already present are not
# asked for again.
# Usage: scripts/install-deps.sh [run|test|package]
#   run      building and running the program
#   test     that, plus the test suite, benchmarks and headless display (default)
#   package  that of run, plus building the Debian package
set -euo pipefail

run=(
    cmake ninja-build g++
    qt6-base-dev qt6-serialport-dev
    fonts-liberation fonts-dejavu-core
)
case "${1:-test}" in
run) packages=("${run[@]}") ;;
test)
    packages=("${run[@]}"
        pkg-config libgtest-dev libxcb1-dev
        xvfb xauth
        desktop-file-utils appstream)
    ;;
package) packages=("${run[@]}" dpkg-dev file) ;;
*)
    echo "usage: $0 [run|test|package]" >&2
    exit 2
    ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then
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
