#!/usr/bin/env bash
# Builds and runs the benchmarks: the core's cases beside their baselines (the "ratio" and
# "time" lines at the end), then the start-up of the window reading a cached product beside
# a window of the same widgets that reads nothing, to the first frame, offscreen, measured
# with /usr/bin/time (median of the runs). "quick" runs every case once, briefly, as CI
# does so that the benchmarks keep building and running; no timing ever fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
min_time=0.5 runs=21
if [ "${1:-}" = quick ]; then
    min_time=0.01 runs=1
fi
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target bench_corvaline bench_startup
build-bench/bench/bench_corvaline --benchmark_min_time="$min_time"

export QT_QPA_PLATFORM=offscreen
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
startup() { # label, arguments of bench_startup
    local label="$1" samples
    shift
    samples=$(for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e %M" build-bench/bench/bench_startup "$@" 2>&1 >/dev/null | tail -n 1
    done)
    printf 'startup %s %s s, peak %s KiB\n' "$label" "$(cut -d' ' -f1 <<<"$samples" | median)" \
        "$(cut -d' ' -f2 <<<"$samples" | median)"
}
startup program program packaging/sample
startup baseline baseline
