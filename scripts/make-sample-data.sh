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
