#!/usr/bin/env bash
# Builds the package of one commit twice, each from a fresh copy of it in a
# folder of its own (another path, another time), with scripts/package.sh, and
# compares the two packages byte for byte. On a difference it names the files
# whose contents or times differ. Each build compiles the whole game, so this
# is not part of scripts/test.sh.
# Usage: check-reproducible.sh [COMMIT]   (default HEAD)
set -euo pipefail
cd "$(dirname "$0")/.."
commit="$(git rev-parse --verify "${1:-HEAD}^{commit}")"
work="$(mktemp -d /var/tmp/vaporel-reproducible.XXXXXX)"
trap 'rm -rf "$work"' EXIT
for copy in first second; do
    mkdir -p "$work/$copy/vaporel"
    git archive "$commit" | tar -x -C "$work/$copy/vaporel"
    "$work/$copy/vaporel/scripts/package.sh" >"$work/$copy.path"
done
first="$(cat "$work/first.path")" second="$(cat "$work/second.path")"
for deb in "$first" "$second"; do sha256sum "$deb"; done
if cmp "$first" "$second"; then
    echo "the two builds of $commit made the same package"
    exit 0
fi
for copy in first second; do
    dpkg-deb --fsys-tarfile "$(cat "$work/$copy.path")" | tar -t -v --full-time | sort -k6 >"$work/$copy.list"
    mkdir "$work/$copy.root" && dpkg-deb --extract "$(cat "$work/$copy.path")" "$work/$copy.root"
done
diff "$work/first.list" "$work/second.list" || true
diff -r -q "$work/first.root" "$work/second.root" || true
echo "the two builds of $commit made different packages" >&2
exit 1
