#!/usr/bin/env bash
# Installs what is missing, builds the game and its tools (vaporel-sim,
# vaporel-view, vaporel-midi) and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target vaporel vaporel-sim vaporel-view vaporel-midi
exec build/game/vaporel
