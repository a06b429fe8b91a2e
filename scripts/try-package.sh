#!/usr/bin/env bash
# Tries the Debian package on a fresh Debian 12: a minimal system made by
# debootstrap in a chroot, where `apt install ./vaporel_*.deb` must bring every
# library and font the programs need. There `vaporel-sim` runs a shipped stage's
# solution to its hash, and `vaporel`, started under a private X server as a
# normal user, must reach the title screen (its picture is kept as
# title-in-chroot.png beside the package). Needs root (debootstrap, chroot,
# mounts) and a Debian mirror (DEBIAN_MIRROR, default http://deb.debian.org/debian).
# Usage: try-package.sh [DEB]   (without DEB, scripts/package.sh builds it)
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] || { echo "try-package.sh: run it as root (debootstrap and chroot need it)" >&2; exit 1; }
bash scripts/deps.sh --chroot >&2
deb="$(realpath "${1:-$(scripts/package.sh)}")"
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
if ! curl -fsS --max-time 60 -o /dev/null "$mirror/dists/bookworm/Release" 2>/dev/null &&
    ! wget -q -T 60 -O /dev/null "$mirror/dists/bookworm/Release" 2>/dev/null; then
    echo "try-package.sh: the Debian mirror $mirror cannot be reached, so no fresh Debian 12 can be made" \
        "(set DEBIAN_MIRROR to one that can)" >&2
    exit 1
fi

root="$(mktemp -d /var/tmp/vaporel-bookworm.XXXXXX)"
chmod 755 "$root" # the root folder of a system: every user passes through it
mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin:/usr/games HOME=/root \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== debootstrap: a minimal Debian 12 in $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log" >&2; echo "try-package.sh: debootstrap failed" >&2; exit 1; }
rm -f "$root.debootstrap.log"
for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"

echo "== apt install ./$(basename "$deb")"
in_root apt-get update -q >/dev/null
in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" | tee "$root/tmp/apt.log"
echo "-- the packages apt pulled in:"
sed -n '/^The following NEW packages will be installed:/,/^[0-9]* upgraded/p' "$root/tmp/apt.log" | sed '1d;$d'

failures=0
check() { # check WHAT COMMAND...
    local what="$1"; shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what" >&2; failures=$((failures + 1)); fi
}
for program in vaporel vaporel-sim vaporel-view vaporel-midi; do
    check "$program finds every library it is linked with" \
        eval '! in_root ldd "/usr/games/$program" | grep "not found"'
done
for library in libGL.so.1 libGLU.so.1 libogg.so.0 libvorbis.so.0 libvorbisfile.so.3; do
    check "$library, opened at run time, is there" eval 'in_root ldconfig -p | awk -v l="$library" "\$1 == l" | grep -q .'
done
for font in DejaVuSans.ttf DejaVuSansCondensed-Bold.ttf; do
    check "the font $font is there" [ -f "$root/usr/share/fonts/truetype/dejavu/$font" ]
done
check "vaporel --version" eval 'in_root vaporel --version | grep -qx "vaporel [0-9.]*"'
stage=/usr/share/games/vaporel/stages/0001
check "vaporel-sim runs the first stage's solution to its hash" \
    eval 'in_root vaporel-sim $stage --replay $stage/solution.txt --every 100000 | tail -n 2'

echo "== the game under a private X server (the tools for that are not the package's)"
in_root apt-get install -y -q --no-install-recommends xvfb xauth xdotool x11-utils imagemagick >/dev/null
in_root useradd --create-home player
cat >"$root/tmp/first-screen.sh" <<'INNER'
#!/bin/bash
# As the player: a private X server, the game, its window, the title screen.
set -u
export XDG_RUNTIME_DIR="$HOME/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
Xvfb :7 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:7
until xdpyinfo >/dev/null 2>&1; do sleep 0.2; done
vaporel >"$HOME/stdout" 2>"$HOME/stderr" &
game=$!
title="The Vaporel Vovor of ZANK (ver 1.0.0)"
window=""
for _ in $(seq 3000); do # up to ten minutes: a loaded machine starts it slowly
    window="$(xdotool search --onlyvisible --name "^${title//[()]/.}\$" 2>/dev/null | head -n 1)"
    [ -n "$window" ] || ! kill -0 $game 2>/dev/null && break
    sleep 0.2
done
status=1
if [ -n "$window" ]; then
    # The title screen is drawn when the window shows more than the clear colour.
    for _ in $(seq 3000); do
        import -window "$window" /tmp/title.png 2>/dev/null &&
            [ "$(convert /tmp/title.png -format '%[fx:standard_deviation > 0.05]' info:)" = 1 ] && { status=0; break; }
        kill -0 $game 2>/dev/null || break
        sleep 0.2
    done
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key Escape
fi
wait $game; game_status=$?
kill $xvfb
cat "$HOME/stderr" >&2
grep -h "Error" "$HOME/.local/state/vaporel/vaporel.Z5.log" >&2 && status=1
[ $status = 0 ] && [ $game_status = 0 ]
INNER
chmod 755 "$root/tmp/first-screen.sh"
check "vaporel, started as a player, reaches the title screen and ends with Escape" \
    in_root su - player -c /tmp/first-screen.sh
if [ -f "$root/tmp/title.png" ]; then
    cp "$root/tmp/title.png" "$(dirname "$deb")/title-in-chroot.png"
    echo "the game's first screen: $(dirname "$deb")/title-in-chroot.png"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed in the fresh Debian 12" >&2
    exit 1
fi
echo "the package installs and runs on a fresh Debian 12"
