#!/usr/bin/env bash
# Installs what is missing, builds the launcher and the game, and runs the
# launcher, which presses Start Game and starts the game on the sample data:
# the input file clicks the main menu's Start, a computer driver steers the
# player's car, and the game prints the race's laps and places when it ends.
# The game runs headless (as fast as it can) even where a display is set.
# Options given here are handed on to the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target RoadSprint _exRoadSprint
./build/bin/RoadSprint --headless --choose "Start Game" --data data/sample -- \
    --autopilot --input "$PWD/scripts/sample-race.input" "$@"
