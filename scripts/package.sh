#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the programs and makes a Debian package of them in the build folder
# (build/miran_<version>_<arch>.deb). Install it with
#   sudo apt install ./build/miran_<version>_<arch>.deb
# It needs only the packages of `scripts/install-deps.sh package`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

"$root/scripts/install-deps.sh" package
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    >/dev/null
# The programs and their documents; the package needs nothing else built.
cmake --build "$build" --target miran miran-cli miran_documents
(cd "$build" && cpack -G DEB)
