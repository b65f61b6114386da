#!/usr/bin/env bash
# The cost of a preview against the loading and grouping of a real run, over several processes:
# where the heap puts the catalog changes the grouping's speed by a few percent from one process
# to the next, for the run and the preview alike, so one process's figures are not enough.
#
# Usage: bench/preview_cost.sh LIBRARY [BUILD_DIR]      (BUILD_DIR holds bench/preview_cost;
#        default "build"). LIBRARY: for example the 20 000 small MP3s that
#        `WORK=DIR bench/small_files_bench.sh` keeps in DIR/library-20000.
# Environment: PROCESSES (default 5), RUNS (pairs per process, default 7).
# Each process prints its figures; the last line is the median over the processes of each
# process's median paired ratio (goal <= 1.10).
set -euo pipefail

library=${1:?usage: $0 LIBRARY [BUILD_DIR]}
build_dir=${2:-build}
program=$build_dir/bench/preview_cost
processes=${PROCESSES:-5}
runs=${RUNS:-7}
[ -x "$program" ] || { echo "missing $program: configure $build_dir with -DTUNVALE_BUILD_BENCH=ON" >&2; exit 1; }

ratios=()
for ((p = 1; p <= processes; ++p)); do
  output=$("$program" "$library" "$runs")
  echo "--- process $p"
  echo "$output"
  ratios+=("$(awk '/^median of paired ratios/ { print $5 }' <<<"$output")")
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
echo "paired ratios per process: ${ratios[*]}"
echo "median over $processes processes: $median (goal <= 1.10)"
