#!/usr/bin/env bash
# Builds the Debian package vaporel_<version>-1_amd64.deb with CPack: the
# programs in /usr/games, the data in /usr/share/games/vaporel, the menu entry,
# icons, metainfo, manual pages and the copyright file in /usr/share; its
# dependencies are those dpkg-shlibdeps finds plus the libraries the game opens
# at run time and the fonts (cmake/Package.cmake). Prints the package's path.
# Usage: package.sh [BUILD_DIR]
#   BUILD_DIR  a build folder to package (default build-package, made from
#              this checkout: Release, without tests and benchmarks). An
#              existing build keeps its options; it is configured for the prefix
#              /usr, which changes no compiled file, and brought up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --package >&2
build="${1:-build-package}"
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
else
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DVAPOREL_TESTS=OFF -DVAPOREL_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" >&2
# The package's files get the modes the installation gives them, not the umask's.
umask 022
(cd "$build" && cpack -G DEB -B "$PWD/package" >&2)
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$build/package/vaporel_${version}-1_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package.sh: CPack made no $deb" >&2; exit 1; }
realpath "$deb"
