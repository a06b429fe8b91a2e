#!/usr/bin/env bash
# Checks a built Debian package as a packager would: lintian reports no error
# and finds every program hardened;
# the files lie where a Debian game puts them (nothing in the library folder);
# Depends names what dpkg-shlibdeps finds and what the game opens at run time;
# the metainfo passes appstreamcli, the menu entry desktop-file-validate; the
# texts about the package name no number of stages; its times are those of a
# reproducible build.
# Usage: check-package.sh DEB
set -uo pipefail
deb="${1:?usage: check-package.sh DEB}"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { # check WHAT COMMAND...
    local what="$1"; shift
    if "$@"; then echo "ok: $what"; else fail "$what"; fi
}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "--- lintian"
lintian --fail-on error --display-info "$deb" | tee "$work/lintian"
check "lintian reports no error" [ "${PIPESTATUS[0]}" = 0 ]
check "every program is hardened (no hardening-no-* tag)" eval '! grep "hardening-no-" "$work/lintian"'

dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's#^\.##; s#/$##' >"$work/contents"
has() { grep -qx -- "$1" "$work/contents"; }
for program in vaporel vaporel-sim vaporel-view vaporel-midi; do
    check "/usr/games/$program" has "/usr/games/$program"
    check "the manual page of $program" has "/usr/share/man/man6/$program.6.gz"
done
for size in 16 22 24 32 48 64 128 256; do
    check "the ${size}-pixel icon" has "/usr/share/icons/hicolor/${size}x${size}/apps/vaporel.png"
done
for file in /usr/share/games/vaporel/vaporel.installed /usr/share/games/vaporel/stages/0001/data.xml \
    /usr/share/games/vaporel/stages/0001/solution.txt /usr/share/games/vaporel/bgm/game.ogg \
    /usr/share/games/vaporel/locale/en/LC_MESSAGES/vaporel.mo /usr/share/doc/vaporel/copyright \
    /usr/share/doc/vaporel/changelog.Debian.gz /usr/share/applications/io.github.vaporel.vaporel.desktop \
    /usr/share/metainfo/io.github.vaporel.vaporel.metainfo.xml; do
    check "$file" has "$file"
done
check "nothing in the library folder" eval '! grep -q "^/usr/lib" "$work/contents"'
check "nothing outside /usr" eval '! grep -v -e "^/usr" -e "^$" "$work/contents"'

depends="$(dpkg-deb --field "$deb" Depends)"
echo "Depends: $depends"
for package in libc6 libsdl2-2.0-0 libpng16-16 libxml2 libgl1 libogg0 libvorbis0a libvorbisfile3 \
    fonts-dejavu-core fonts-dejavu-extra fonts-vlgothic; do
    check "Depends names $package" eval 'tr -d " " <<<"$depends" | tr ",|" "\n\n" | sed "s/(.*//" | grep -qx "$package"'
done
check "Depends names libGLU" eval 'grep -q "libglu1-mesa | libglu1" <<<"$depends"'

dpkg-deb --extract "$deb" "$work/root"
zcat "$work/root/usr/share/doc/vaporel/changelog.Debian.gz" >"$work/changelog"
# A reproducible build: the times in the package are those of its source, at
# most the date of the change log's last entry (SOURCE_DATE_EPOCH), never the
# time the build ran; that of the archive's members is that date.
epoch="$(dpkg-parsechangelog -l "$work/changelog" -S Timestamp)"
check "no file in the package is newer than its change log's date" \
    eval '[ -z "$(find "$work/root" -newermt "@$epoch")" ]'
date_said="$(TZ=UTC date -d "@$epoch" '+%b %e %H:%M %Y' | tr -s ' ')"
check "the archive's members carry the change log's date ($date_said)" \
    eval '[ -z "$(TZ=UTC ar tv "$deb" | awk "{ print \$4, \$5, \$6, \$7 }" | grep -vx "$date_said")" ]'
check "the metainfo passes appstreamcli" \
    appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.github.vaporel.vaporel.metainfo.xml"
check "the menu entry passes desktop-file-validate" \
    desktop-file-validate "$work/root/usr/share/applications/io.github.vaporel.vaporel.desktop"
# The course grows: the texts about the package name no number of stages.
stage_count_said() { grep -Eiq "\b([0-9]+|one|two|three|four|five|six|seven|eight|nine|ten|eleven|twelve|[a-z]*teen|twenty|thirty)[- ]*(new )?stages" "$@"; }
dpkg-deb --field "$deb" Description >"$work/package-summary"
check "the package's Description field, the metainfo and the change log name no number of stages" eval '! stage_count_said \
    "$work/package-summary" "$work/changelog" "$work/root/usr/share/metainfo/io.github.vaporel.vaporel.metainfo.xml"'
check "the copyright file is machine-readable" \
    grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$work/root/usr/share/doc/vaporel/copyright"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) of $deb failed" >&2
    exit 1
fi
echo "the package passed every check"
