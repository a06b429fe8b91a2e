#!/usr/bin/env bash
# The installed tree: `cmake --install` puts every file where the layout says,
# lists every installed file and link in the manifest and nothing else, puts
# nothing in the library folder; moved elsewhere as a whole, its programs
# still find their data (through the path from their folder to the data) and
# write nothing into it. Every program answers --version and --help.
# Usage: installed-tree.sh BUILD_DIR VERSION
source "$(dirname "$0")/lib.sh"
build="$1" version="$2"

WORK="$(mktemp -d)"
cmake --install "$build" --prefix "$WORK/first" >/dev/null || { fail "cmake --install"; finish; }
# The manifest lies in the build folder; what is compared is this install's.
sort "$build/install_manifest.txt" >"$WORK/manifest"
find "$WORK/first" \( -type f -o -type l \) | sort >"$WORK/installed"
check "the manifest lists every installed file and link, and only those" \
    diff "$WORK/manifest" "$WORK/installed"
check "no installed link dangles" eval '[ -z "$(find "$WORK/first" -xtype l)" ]'
check "nothing lands in a library folder" eval '! ls -d "$WORK"/first/lib* 2>/dev/null'
programs_dir="$(dirname "$(grep '/vaporel$' "$WORK/manifest")")"
programs_dir="${programs_dir#"$WORK/first/"}"
check "the programs lie in bin/ or games/ ($programs_dir)" eval '[ "$programs_dir" = bin ] || [ "$programs_dir" = games ]'
data="share/games/vaporel"
for file in "$data/vaporel.installed" "$data/stages/0001/data.xml" "$data/images" "$data/bgm/game.ogg" \
    "$data/locale/en/LC_MESSAGES/vaporel.mo" share/applications/io.github.vaporel.vaporel.desktop \
    share/metainfo/io.github.vaporel.vaporel.metainfo.xml share/icons/hicolor/256x256/apps/vaporel.png \
    share/man/man6/vaporel.6.gz share/doc/vaporel/copyright; do
    check "installed: $file" [ -e "$WORK/first/$file" ]
done

# sed reads the whole text: a reader that stops at the first line could end a
# long usage text with SIGPIPE.
for program in vaporel vaporel-sim vaporel-view vaporel-midi; do
    check "$program --version names it and this build's version" \
        eval '[ "$("$WORK/first/$programs_dir/$program" --version | sed -n 1p)" = "$program $version" ]'
    check "$program --help prints its usage" \
        eval '"$WORK/first/$programs_dir/$program" --help | sed -n 1p | grep -q "^usage: $program"'
done

# --- Moved as a whole -----------------------------------------------------------
mv "$WORK/first" "$WORK/moved"
moved="$WORK/moved"
find "$moved" | sort >"$WORK/before"
start_xvfb "$E2E_SCREEN"
check "vaporel-view of the moved tree draws the game's pictures" \
    "$moved/$programs_dir/vaporel-view" --screenshot "$WORK/view.png"
export XDG_RUNTIME_DIR="$WORK/run" XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" \
    XDG_DATA_HOME="$WORK/data" SDL_AUDIODRIVER=dummy
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
GAME="$moved/$programs_dir/vaporel"
"$GAME" --stray-argument >"$WORK/stdout" 2>"$WORK/stderr" &
GAME_PID=$!
window=$(find_window "$TITLE" 10) || { fail "the moved game (with a stray argument) opens its window"; finish; }
read -r X0 Y0 < <(geometry "$window" | awk -F'[ ,]' '{print $1, $2}')
focus "$window"
move_to 1000 300
convert "$moved/$data/images/Title.jpg" -crop 1024x560+0+0 +repage "$WORK/title_picture.png"
title_shows() { grab 0 0 1024 560 now && below "$(difference now title_picture)" 0.02; }
check "the moved game shows its title picture" wait_until 30 title_shows
move_to 512 500
slow_click # plays the course's first stage: its map and pictures are read
check "the first stage's play replaces the title" wait_until 30 eval '! title_shows'
press Escape
wait_game_exit 10 || true
check "the moved game ends normally" [ "$GAME_STATUS" = 0 ]
check "its log shows no error" eval '! grep -q "Error" "$XDG_STATE_HOME/vaporel/vaporel.Z5.log"'
first_stage=$(grep -v -e '^#' -e '^chapter ' "$moved/$data/stages/course.txt" | head -n 1)
replay="$XDG_STATE_HOME/vaporel/replays/$first_stage.txt"
check "the play's replay names the version that wrote it" \
    eval '[ "$(sed -n 2p "$replay")" = "# written by vaporel $version" ]'
find "$moved" | sort >"$WORK/after"
check "the game wrote nothing into the installed tree" diff "$WORK/before" "$WORK/after"

# Without the marker the tree is no installation: the data is looked for
# beside the program, and is not there.
rm "$moved/$data/vaporel.installed"
check "without the installation's marker the pictures are not found" \
    eval '! "$moved/$programs_dir/vaporel-view" --screenshot "$WORK/none.png" 2>/dev/null'
finish
