#!/usr/bin/env bash
# Builds the program and makes a Debian package of it in the build folder
# (build/miran_<version>_<arch>.deb). Install it with
#   sudo apt install ./build/miran_<version>_<arch>.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

"$root/scripts/install-deps.sh" package
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target miran
if cmake --build "$build" --target help | grep -q '^miran-cli:'; then
    cmake --build "$build" --target miran-cli
fi
# The programs are built above; the package needs nothing else built.
(cd "$build" && cpack -G DEB)
