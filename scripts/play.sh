#!/usr/bin/env bash
# Installs what building and playing need, builds the game and its tools
# (vaporel-sim, vaporel-view, vaporel-midi) and starts the game. The tests and
# benchmarks are left out of this build: their packages are not needed to play.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAPOREL_TESTS=OFF -DVAPOREL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target vaporel vaporel-sim vaporel-view vaporel-midi
exec build/game/vaporel
