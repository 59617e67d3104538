#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets: each target's own small
# valid files (the target writes them when run with -write_seeds=DIR), and
# the files of the sample data folder that its reader takes.
# Usage: scripts/fuzz-seeds.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
out=${2:-$build/fuzz-seeds}
for program in "$build"/fuzz/fuzz_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program")
  name=${name#fuzz_}
  rm -rf "$out/$name"
  mkdir -p "$out/$name"
  "$program" -write_seeds="$out/$name" > /dev/null
done
# The sample data: its pack, its scripts as text and the sounds its pack is
# made from.
sample=data/sample
if [ -d "$out/PackFile" ] && [ -f "$sample/sounds.pak" ]; then
  cp "$sample/sounds.pak" "$out/PackFile/sample-sounds.pak"
fi
if [ -d "$out/Text" ]; then
  find "$sample" -name '*.lua' -print0 | while IFS= read -r -d '' file; do
    cp "$file" "$out/Text/sample-$(basename "$file")"
  done
fi
if [ -d "$out/Wave" ] && [ -x "$build/bin/samplesounds" ]; then
  work=$(mktemp -d)
  if "$build/bin/samplesounds" "$work" > /dev/null 2>&1; then
    find "$work" -iname '*.wav' -size -64k -print0 | while IFS= read -r -d '' file; do
      cp "$file" "$out/Wave/sample-$(basename "$file")"
    done
  fi
  rm -rf "$work"
fi
# The sample's own files of the text readers and its descriptions.
copy_sample() { # TARGET FILE...
  local target=$1
  shift
  [ -d "$out/$target" ] || return 0
  for file in "$@"; do
    [ -f "$file" ] && cp "$file" "$out/$target/sample-$(basename "$file")"
  done
  return 0
}
copy_sample Particles "$sample/Data/Effects/particles.txt"
copy_sample Fonts "$sample/Data/Interface/fonts.txt"
copy_sample TextTable "$sample/Data/texts.txt"
copy_sample Shots "$sample/Data/Effects/shots.txt"
copy_sample ObjectXml "$sample"/Data/Descriptions/*.xml
copy_sample Car "$sample"/Data/Descriptions/*.xml
copy_sample InputScript scripts/sample-race.input
# A small video with its sound, as the video generator writes them.
if [ -d "$out/VideoSound" ] && [ -x "$build/bin/samplevideo" ]; then
  "$build/bin/samplevideo" --tone 441 "$out/VideoSound/sample-toned.avi" 8 8 4 ff0000 00ff00 0000ff \
    > /dev/null 2>&1 || true
fi
echo "seeds in $out"
