#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan) in build-fuzz
# and runs them, one after the other.
#
# Usage: scripts/fuzz.sh [TARGET] [SECONDS]
#   TARGET   one target (Png, Wave, Mesh, ... as in tests/fuzz/<TARGET>Fuzz.cpp),
#            or "all" (the default) for every target
#   SECONDS  how long each target runs (default 20)
#
# Each target keeps the inputs it found worth keeping in
# build-fuzz/corpus/<TARGET>, so a later run goes on from there; it starts
# from the seeds that scripts/fuzz-seeds.sh writes. An input that crashes,
# hangs or leaks is saved in build-fuzz/findings/<TARGET>/ and the script
# ends with a failure once every target has run. Re-run one finding with
#   build-fuzz/fuzz/fuzz_<TARGET> build-fuzz/findings/<TARGET>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-all}
seconds=${2:-20}
build=build-fuzz

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Targets write every input as a file, and the test worlds some use make
# folders of their own: keep them in memory when the machine allows.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRS_FUZZ=ON \
  -DRS_BUILD_TESTS=OFF -DRS_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target fuzz_all samplesounds samplevideo
bash scripts/fuzz-seeds.sh "$build" "$build/fuzz-seeds" > /dev/null

if [ "$target" = all ]; then
  targets=()
  for program in "$build"/fuzz/fuzz_*; do
    name=$(basename "$program")
    targets+=("${name#fuzz_}")
  done
else
  targets=("$target")
fi

failed=()
for name in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$name"
  if [ ! -x "$program" ]; then
    echo "no fuzz target \"$name\" (tests/fuzz/${name}Fuzz.cpp)" >&2
    exit 2
  fi
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  echo "== $name for ${seconds}s"
  # A single input may take at most 10 s and 2 GiB; leaks count as faults.
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus" "$build/fuzz-seeds/$name" > "$findings/last-run.log" 2>&1; then
    echo "   FAILED: see $findings/last-run.log"
    tail -n 30 "$findings/last-run.log"
    failed+=("$name")
  else
    grep -E "^stat::number_of_executed_units|^Done" "$findings/last-run.log" | tail -n 1 | sed 's/^/   /'
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets that found a fault: ${failed[*]}"
  exit 1
fi
echo "every fuzz target ran clean"
