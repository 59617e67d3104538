#!/usr/bin/env bash
# Installs what is missing, builds the launcher and the game, and plays the
# sample data headless (as fast as it can) even where a display is set.
#   run.sh [--race] [GAME OPTIONS...]
# Without --race the launcher presses Start Game and starts the game to
# play the whole sample game as it was recorded (scripts/sample-game.input):
# a new profile, the shop, a race on each circuit with the guns, the rockets
# and the super weapon fired while a computer driver steers the player's
# car, the results, and Exit. With --race the game plays one race on the
# first circuit as scripts/sample-race.input clicks and fires it.
# The game prints the last race's laps and places and what the player's car
# did in combat when it ends.
# It plays on a fresh copy of the sample data in build/, so the tracked files
# (the score table, the saves, the launcher's config.cfg) stay as they are
# and every run starts from the same empty profile list.
# Options given here are handed on to the game.
set -euo pipefail
cd "$(dirname "$0")/.."
race=false
if [[ "${1:-}" == "--race" ]]; then
  race=true
  shift
fi
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target RoadSprint _exRoadSprint
rm -rf build/sample-run
cp -r data/sample build/sample-run
if $race; then
  exec ./build/bin/_exRoadSprint --data build/sample-run --autopilot --input "$PWD/scripts/sample-race.input" "$@"
fi
exec ./build/bin/RoadSprint --headless --choose "Start Game" --data build/sample-run -- \
    --autopilot --whole-game --input "$PWD/scripts/sample-game.input" "$@"
