#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs the benchmarks. First the core's cases beside their baselines: the
# "ratio" and "time" lines at the end come from the fastest of five repetitions. Then the
# start-up of the window reading a cached product beside the same window with an empty
# cache, to the first frame, offscreen: peak memory from /usr/bin/time, elapsed time from
# the shell, medians of the runs. "quick" runs every case once, briefly, as CI does so that
# the benchmarks keep building and running; no timing ever fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
min_time=0.5 repetitions=5 runs=21
if [ "${1:-}" = quick ]; then
    min_time=0.01 repetitions=1 runs=1
fi
cmake --preset bench >/dev/null
cmake --build build-bench -j"$(nproc)" --target bench_corvaline bench_archive bench_startup
build-bench/bench/bench_corvaline --benchmark_min_time="$min_time" \
    --benchmark_repetitions="$repetitions"
build-bench/bench/bench_archive --benchmark_min_time="$min_time" \
    --benchmark_repetitions="$repetitions"

export QT_QPA_PLATFORM=offscreen
median() { grep . | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
startup() { # label, data directory
    local samples="" start end memory
    for _ in $(seq "$runs"); do
        start=$EPOCHREALTIME
        memory=$(/usr/bin/time -f "%M" build-bench/bench/bench_startup "$2" 2>&1 >/dev/null | tail -n 1)
        end=$EPOCHREALTIME
        samples+="$(awk -v s="$start" -v e="$end" 'BEGIN {printf "%.1f", (e - s) * 1000}') $memory"$'\n'
    done
    printf 'startup %s %s ms, peak %s KiB\n' "$1" "$(cut -d' ' -f1 <<<"$samples" | median)" \
        "$(cut -d' ' -f2 <<<"$samples" | median)"
}
empty=$(mktemp -d)
startup program packaging/sample
startup baseline "$empty"
rmdir "$empty"
