#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program for 64-bit Windows on Debian, from Debian's packages:
#   1. installs what it needs (scripts/install-deps.sh windows)
#   2. Qt for Windows (qtbase: Core, Gui, Widgets, Network, Test and the
#      windows platform plugin) in a cache folder outside the clone, named
#      after Qt's version and a key of the build options; reused when there.
#      When ../shared/cache beside the clone (or MIRAN_QT_WINDOWS_ARCHIVE)
#      holds the archive that its README names, with that SHA-256, it is
#      unpacked; otherwise Qt is cross-built from Debian's qt6-base source
#      (some 20 minutes on two cores)
#   3. the programs and the suites that run under Windows, in build-windows
#   4. build-windows/dist: miran.exe, miran-cli.exe and what they need, and
#      of it build-windows/miran-<version>-windows-x86_64.zip and the
#      installer build-windows/miran-setup-<version>.exe
# The tests then run under Wine: bash tests/windows/run.sh build-windows build
# Environment: MIRAN_WINDOWS_CACHE, the cache folder (default
# ~/.cache/miran-windows); MIRAN_WINDOWS_BUILD, the build folder (default
# build-windows).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${MIRAN_WINDOWS_BUILD:-$root/build-windows}"
cache="${MIRAN_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/miran-windows}"
started=$SECONDS

"$root/scripts/install-deps.sh" windows

# The same Qt as the host's tools, which the cross-build uses.
qt_version="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
qt_upstream="${qt_version%%+*}"
qt_options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_openssl=OFF -DINPUT_openssl=no
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF
    # Debian's source leaves out the tablet headers this needs.
    -DFEATURE_tabletevent=OFF)
compiler="$(x86_64-w64-mingw32-g++-posix -dumpfullversion)"
key="$(printf '%s\n' "$qt_version" "$compiler" "${qt_options[@]}" | sha256sum | cut -c1-12)"
qt="$cache/qt6-$qt_upstream-mingw-w64-x86_64-$key"

# The archive, when its README vouches for it: "`NAME` (SHA-256 `HASH`".
unpack_archive() {
    local archive="${MIRAN_QT_WINDOWS_ARCHIVE:-$root/../shared/cache/qt6-$qt_upstream-mingw-w64-x86_64.tar.xz}"
    local readme
    readme="$(dirname "$archive")/README.md"
    [ -f "$archive" ] && [ -f "$readme" ] || return 1
    local stated
    stated="$(tr '\n' ' ' <"$readme" | grep -o "$(basename "$archive")\` (SHA-256 *\`[0-9a-f]*" |
        grep -o '[0-9a-f]\{64\}' | head -1)"
    if [ -z "$stated" ] || [ "$(sha256sum "$archive" | cut -d' ' -f1)" != "$stated" ]; then
        echo "$archive does not have the SHA-256 its README states; building Qt instead." >&2
        return 1
    fi
    echo "Unpacking $archive into $qt"
    local unpacked
    unpacked="$(mktemp -d "$cache/unpack.XXXXXX")"
    tar -xJf "$archive" -C "$unpacked"
    mv "$unpacked/qt6-$qt_upstream-mingw-w64-x86_64" "$qt"
    rm -rf "$unpacked"
}

# Debian's qt6-base source of the host's version, through a source entry
# for each archive this machine's apt uses; the machine's own lists stay.
build_qt() {
    local work
    work="$(mktemp -d "$cache/build.XXXXXX")"
    echo "Building Qt $qt_upstream for Windows in $work (some 20 minutes on two cores)"
    mkdir -p "$work/lists/partial"
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -s "$file" ] || continue
        case "$file" in
        *.sources) sed -E 's/^Types:.*/Types: deb-src/' "$file" >"$work/$(basename "$file")" ;;
        *) sed -nE 's/^deb +/deb-src /p' "$file" >"$work/$(basename "$file")" ;;
        esac
    done
    local apt=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work"
        -o Dir::State::Lists="$work/lists")
    apt-get "${apt[@]}" update >/dev/null
    (cd "$work" && apt-get "${apt[@]}" source --download-only "qt6-base=$qt_version" &&
        dpkg-source -x qt6-base_*.dsc source)
    cmake -S "$work/source" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/packaging/windows/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$work/prefix" "${qt_options[@]}"
    cmake --build "$work/build" --parallel "$(nproc)"
    cmake --install "$work/build" >/dev/null
    mv "$work/prefix" "$qt"
    rm -rf "$work"
}

mkdir -p "$cache"
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    rm -rf "$qt"
    unpack_archive || build_qt
fi
echo "Qt for Windows: $qt ($((SECONDS - started)) s)"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/packaging/windows/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$build"
cmake --build "$build" --target windows_dist
echo "Programs built ($((SECONDS - started)) s)"

version="$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
zip="$build/miran-$version-windows-x86_64.zip"
rm -f "$zip"
# The zip unpacks into a folder of the program's name and version.
folder="$build/zip/miran-$version"
rm -rf "$build/zip" && mkdir -p "$build/zip" && cp -a "$build/dist" "$folder"
(cd "$build/zip" && zip -qr -9 "$zip" "miran-$version")
rm -rf "$build/zip"
echo "$zip: $(du -h "$zip" | cut -f1) ($(stat -c %s "$zip") bytes)"
bash "$root/scripts/windows-installer.sh" "$build/dist" "$build"
echo "Windows build done in $((SECONDS - started)) s"
