#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang with ASan and UBSan) and runs
# each for the given seconds (default 60), two at a time at low priority,
# from the seed corpora in fuzz/corpus/<target>/. Each length of run keeps
# its own directory, build/fuzz/runs-<seconds>s/: the targets' logs, the
# inputs they find (corpus/<target>/, never in the repository) and any
# crashing input (crash-*), which fails the script. Prints the runs of each
# target.
# Usage: scripts/fuzz.sh [seconds] [target-name-filter]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
filter=${2:-}
"$top/scripts/setup.sh" >/dev/null
build="$top/build/fuzz"
cmake -S "$top/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null

out="$build/runs-${seconds}s"
run_one() {
  local t=$1 work="$out/corpus/$1" log="$out/$1.log"
  mkdir -p "$work"
  # Leaks are checked by the native suite; here a hang or a crash counts.
  if (cd "$out" && ASAN_OPTIONS=detect_leaks=0 nice "$build/$t" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 "$work" "$top/fuzz/corpus/$t" >"$log" 2>&1); then
    echo "$t: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs"
  else
    echo "$t: FAILED (see $log)"; grep -E "ERROR|SUMMARY|runtime error" "$log" | head -5
    return 1
  fi
}

targets=()
for t in "$top"/fuzz/*_fuzz.cpp; do
  t=$(basename "$t" .cpp)
  [[ -z "$filter" || "$t" == *"$filter"* ]] && targets+=("$t")
done
status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for t in "${targets[@]:i:2}"; do run_one "$t" & pids+=($!); done
  for p in "${pids[@]}"; do wait "$p" || status=1; done
done
exit $status
