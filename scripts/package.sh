#!/usr/bin/env bash
# Builds the Debian package vaporel_<version>_<arch>.deb from debian/ with
# dpkg-buildpackage (binary only, unsigned): the programs in /usr/games, the
# data in /usr/share/games/vaporel, the menu entry, icons, metainfo, manual
# pages, the copyright file and the change log in /usr/share. Prints the
# package's path; the package files (with the debug symbols' package, the
# .buildinfo and the .changes) lie in BUILD_DIR/package/.
# Usage: package.sh [BUILD_DIR]
#   BUILD_DIR  the build folder to package (default build-package, made from
#              this checkout: Release, without tests and benchmarks). An
#              existing build keeps its options; it is configured for the prefix
#              /usr, which changes no compiled file, and brought up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --package >&2
build="$(realpath -m "${1:-build-package}")"
out="$build/package"
rm -rf "$out"
mkdir -p "$out"
version="$(dpkg-parsechangelog -S Version)"
name="vaporel_${version}_$(dpkg --print-architecture)"
VAPOREL_BUILD_DIR="$build" VAPOREL_DEB_DIR="$out" dpkg-buildpackage -b -us -uc -j"$(nproc)" \
    --buildinfo-option=-u"$out" --buildinfo-file="$out/$name.buildinfo" \
    --changes-option=-u"$out" --changes-file="$out/$name.changes" >&2
deb="$out/$name.deb"
[ -f "$deb" ] || { echo "package.sh: dpkg-buildpackage made no $deb" >&2; exit 1; }
echo "$deb"
