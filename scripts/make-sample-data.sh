#!/usr/bin/env bash
# Rebuilds the packs of the sample data folder from the project's own
# generators. Needs a build (bash scripts/test.sh or scripts/run.sh first).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sounds"
"$bin/samplesounds" "$work/sounds"
"$bin/rspack" build data/sample/sounds.pak "$work/sounds" 'data\sounds'
# The sample level: its level file, meshes and car from their descriptions
# in data/sample-src (the scene files and car descriptions are plain text
# in data/sample and need no building).
src=data/sample-src
meshes=data/sample/Data/Meshes
"$bin/rslevel" "$src/sample.level.txt" data/sample/Data/Levels/sample.lvl
"$bin/rsmesh" "$src/track.mesh.txt" "$meshes/track.msh"
"$bin/rsmesh" "$src/road.mesh.txt" "$meshes/road.msh"
"$bin/rsmesh" "$src/box.mesh.txt" "$meshes/box.msh"
"$bin/rsmesh" "$src/car.mesh.txt" "$meshes/car.p3d"
