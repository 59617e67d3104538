#!/usr/bin/env bash
# Runs the benchmarks that measure the project's performance targets and
# prints one table: each figure, its target and what it is now.
#   scripts/bench.sh [BUILD_DIR]     (default: build)
# The benchmarks are built in BUILD_DIR first (configure it as in
# scripts/test.sh; a release-like build type gives figures worth reading).
# RS_BENCH_CPU=N pins the runs to core N; RS_BENCH_OUT=DIR keeps the JSON
# each benchmark program wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
programs=(RaceBench PhysicsStepBench)

command -v jq >/dev/null || { echo "bench.sh: jq is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
[ -f "$build/CMakeCache.txt" ] || { echo "bench.sh: $build is not a configured build directory" >&2; exit 1; }
cmake --build "$build" --target "${programs[@]}" >/dev/null || {
  echo "bench.sh: the benchmarks do not build in $build (is RS_BUILD_BENCH off?)" >&2
  exit 1
}

out="${RS_BENCH_OUT:-}"
if [ -z "$out" ]; then
  out="$(mktemp -d)"
  trap 'rm -rf "$out"' EXIT
fi
mkdir -p "$out"

pin=()
[ -n "${RS_BENCH_CPU:-}" ] && pin=(taskset -c "$RS_BENCH_CPU")

for program in "${programs[@]}"; do
  echo "running $program ..." >&2
  # The JSON goes to its own file: what the game prints while it runs
  # (the scripts' lines) stays out of it.
  "${pin[@]}" "$build/bin/$program" --benchmark_out="$out/$program.json" --benchmark_out_format=json \
    >"$out/$program.txt" || { echo "bench.sh: $program failed (see $out/$program.txt)" >&2; exit 1; }
done

# value PROGRAM BENCHMARK FIELD: a field of one benchmark's result, times in
# milliseconds; "-" when the benchmark did not run, reported an error, or
# its file cannot be read.
value() {
  jq -r --arg name "$2" --arg field "$3" '
    def ms: if .time_unit == "ns" then 1e-6 elif .time_unit == "us" then 1e-3
            elif .time_unit == "s" then 1e3 else 1 end;
    [.benchmarks[] | select(.name == $name and (.error_occurred | not))] |
    if length == 0 or (.[0][$field] == null) then "-"
    elif ($field | endswith("_time")) then .[0][$field] * (.[0] | ms)
    else .[0][$field] end' "$out/$1.json" 2>/dev/null || echo "-"
}

# row FIGURE TARGET-TEXT COMPARISON LIMIT NOW (comparison "-": no target)
row() {
  local verdict="-"
  if [ "$5" != "-" ] && [ "$3" = "-" ]; then
    printf '%-44s %-10s %10.2f  %s\n' "$1" "$2" "$5" ""
  elif [ "$5" != "-" ]; then
    verdict=$(awk -v now="$5" -v limit="$4" -v op="$3" \
      'BEGIN { ok = (op == "<=") ? now <= limit : (op == "<") ? now < limit : now == limit;
               print ok ? "met" : "missed" }')
    printf '%-44s %-10s %10.2f  %s\n' "$1" "$2" "$5" "$verdict"
  else
    printf '%-44s %-10s %10s  %s\n' "$1" "$2" "-" "$verdict"
  fi
}

printf '%-44s %-10s %10s  %s\n' "figure" "target" "now" ""
row "race: CPU ms per race second" "<= 2.0" "<=" 2.0 "$(value RaceBench BM_SampleRace cpu_ms_per_race_s)"
# Every frame of the race, but for the allocations of the save at its end.
row "race: allocations per frame" "0" "==" 0 "$(value RaceBench BM_SampleRace allocs_per_frame)"
# That save (the best times and the profile written, the save slots read
# back) is file work at the finish, counted apart and per race.
row "race end: save allocations per race" "-" "-" 0 \
  "$(value RaceBench BM_SampleRace race_end_save_allocs)"
# Of those, the physics library's own blocks (its shapes, made once each).
row "race: physics library allocs per frame" "-" "-" 0 \
  "$(value RaceBench BM_SampleRace physics_lib_allocs_per_frame)"
row "race: peak RSS, MB" "<= 55" "<=" 55 "$(value RaceBench BM_SampleRace peak_rss_MB)"
row "level load: CPU ms" "<= 20" "<=" 20 "$(value RaceBench BM_LevelLoad cpu_time)"
row "physics, 200 boxes: CPU ms per sim. second" "<= 3" "<=" 3 \
  "$(value PhysicsStepBench BM_RaceSimulatedSecond/200 cpu_time)"
row "physics, boxes landing: CPU ms, 1st second" "< 20" "<" 20 \
  "$(value PhysicsStepBench BM_RaceFirstSecondsWithBoxesLanding cpu_time)"
row "physics, sample track: CPU ms per sim. s" "-" "-" 0 \
  "$(value PhysicsStepBench BM_SampleTrackSimulatedSecond cpu_time)"
# The sample track, and more cars than a race has (how the figure grows):
# no targets of their own.
for cars in 8 16 32; do
  row "physics, $cars cars, 200 boxes: CPU ms per s" "-" "-" 0 \
    "$(value PhysicsStepBench BM_CarsSimulatedSecond/$cars cpu_time)"
done
