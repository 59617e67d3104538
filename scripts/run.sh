#!/usr/bin/env bash
# Installs what is missing, builds the game and runs it on the sample data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target _exRoadSprint
./build/bin/_exRoadSprint --data data/sample "$@"
