#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and
# generates the de_DE.UTF-8 locale the tests use.
# Packages already present are not asked for again.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config libgtest-dev libxcb1-dev
    qt6-base-dev qt6-serialport-dev
    fonts-liberation fonts-dejavu-core
    xvfb xauth
    locales
)

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

# The locale test needs a locale that writes decimal commas.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    $sudo sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen
fi
