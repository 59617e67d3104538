#!/usr/bin/env bash
# Rebuilds the sample data folder from the project's own generators.
# Needs a build (bash scripts/test.sh or scripts/run.sh first).
#   make-sample-data.sh [OUT [BIN]]   OUT defaults to data/sample, BIN to build/bin
# Text files stay loose under OUT/Data so they can be read; meshes, textures
# and sounds go into packs beside it; music stays loose in Data/Music, where
# tracks are played from. Data/Scripts is not generated.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-data/sample}")
bin=$(realpath -m "${2:-build/bin}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What this script makes is made anew, so nothing stale stays behind.
rm -rf "$out/Data/Levels" "$out/Data/Descriptions" "$out/Data/Effects" "$out/Data/Clouds" \
       "$out/Data/Interface" "$out/Data/Music" "$out/Data/Saves" "$out/Data/player.dat" \
       "$out/Data/coeff.dat" "$out/Data/scores.dat" "$out/Data/texts.txt" "$out/Data/shop.txt" \
       "$out/Actions.cfg" "$out"/*.pak
mkdir -p "$out/Data" "$work/sounds" "$work/meshsrc" "$work/meshes" "$work/textures"

"$bin/samplesounds" "$work/sounds"
"$bin/samplemusic" "$out/Data/Music"
"$bin/sampletrack" "$work/meshsrc" "$out/Data/Levels"
for level in level1 level2; do
  "$bin/rslevel" "$out/Data/Levels/$level.lvl.txt" "$out/Data/Levels/$level.lvl"
done
"$bin/samplecars" "$work/meshsrc" "$work/meshes" "$out/Data/Descriptions"
"$bin/sampleart" "$work/textures" "$out/Data"
"$bin/sampleinterface" "$work/textures" "$out/Data/Interface"
"$bin/samplegamedata" "$out/Data"
"$bin/samplecombat" "$work/meshsrc" "$work/meshes" "$out/Data"

# Each description NAME.EXT.txt gives the mesh file NAME.EXT and the scene
# file NAME.rdf.
for source in "$work/meshsrc"/*.txt; do
  mesh=$(basename "$source" .txt)
  "$bin/rsmesh" "$source" "$work/meshes/$mesh" "$work/meshes/${mesh%.*}.rdf"
done

# rspack logs beside where it runs.
(cd "$work" && "$bin/rspack" build "$out/sounds.pak" "$work/sounds" 'data\sounds' \
  && "$bin/rspack" build "$out/meshes.pak" "$work/meshes" 'data\meshes' \
  && "$bin/rspack" build "$out/textures.pak" "$work/textures" 'data\textures')
