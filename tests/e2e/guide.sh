#!/usr/bin/env bash
# What a newcomer is told on screen: how to play under the title, the help
# panel that F1 shows and hides over the title and over the game, and the
# goal at the top of the field when a play starts.
# Usage: guide.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_game_window "$1"
DATA="$WORK/game"

# Share of the part's pixels that are near white: lettering.
light_share() { convert "$WORK/$1.png" -fx '(r>0.85 && g>0.85 && b>0.85)?1:0' -format '%[fx:mean]' info:; }
xdotool mousemove $((X0 + 1000)) $((Y0 + 20)) # the pointer away from what is looked at

# The title picture's band below the tower holds the how-to-play line.
picture_part 0 700 1024 68 band "$DATA/images/Title.jpg"
picture_part 112 112 800 488 panel_area "$DATA/images/Title.jpg"
hint_shows() { grab 0 700 1024 68 now && ! below "$(difference now band)" 0.03 && ! below "$(light_share now)" 0.05; }
check "the title tells how to play, and names F1" wait_until 15 hint_shows
# The panel: the area it covers no longer looks like the title, and carries
# many lines of light lettering on a dark ground.
panel_shows() { grab 112 112 800 488 now && ! below "$(difference now panel_area)" 0.15 && ! below "$(light_share now)" 0.04; }
panel_hidden() { grab 112 112 800 488 now && below "$(difference now panel_area)" 0.02; }
check "the title alone before F1" wait_until 15 panel_hidden
press F1
check "F1 shows the help panel over the title" wait_until 15 panel_shows
press F1
check "F1 again hides it" wait_until 15 panel_hidden

xdotool mousemove $((X0 + 512)) $((Y0 + 500)) click 1
xdotool mousemove $((X0 + 1000)) $((Y0 + 20))
# The goal line: light lettering on a dark plate across the top of the field,
# looked at right of where the water falls.
goal_shows() { grab 490 40 390 24 now && ! below "$(light_share now)" 0.08; }
check "a play starts with the goal at the top of the field" wait_until 15 goal_shows
check "which goes after five seconds of play" wait_until 60 eval '! goal_shows'
# Over the running water the panel is told by its brass frame, whose top edge
# crosses open field left of the falling water and of the goal line.
brass_share() { convert "$WORK/$1.png" -fx '(r>0.8 && g>0.6 && b<0.6)?1:0' -format '%[fx:mean]' info:; }
frame_shows() { grab 100 46 150 4 now && ! below "$(brass_share now)" 0.3; }
press F1
check "F1 shows the help panel over the game" wait_until 15 frame_shows
press F1
check "and F1 hides it again" wait_until 15 eval 'grab 100 46 150 4 now && below "$(brass_share now)" 0.02'

press Escape
wait_game_exit 10 || true
check "Escape ends the game normally" [ "$GAME_STATUS" = 0 ]
finish
