#!/usr/bin/env bash
# Installs what is missing, builds the launcher and the game, and runs the
# launcher, which presses Start Game and starts the game on the sample data
# to play the whole sample game as it was recorded (scripts/sample-game.input):
# a new profile, the shop, a race on each circuit with the guns, the rockets
# and the super weapon fired while a computer driver steers the player's
# car, the results, and Exit. The game prints the last race's laps and
# places and what the player's car did in combat when it ends.
# The game runs headless (as fast as it can) even where a display is set.
# Options given here are handed on to the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target RoadSprint _exRoadSprint
./build/bin/RoadSprint --headless --choose "Start Game" --data data/sample -- \
    --autopilot --whole-game --input "$PWD/scripts/sample-game.input" "$@"
