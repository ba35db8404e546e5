#!/usr/bin/env bash
# Installs what is missing, builds Corvaline twice (plain, and with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer) and runs the whole test suite in both builds;
# runs each fuzz target for 30 seconds; builds and runs the benchmarks briefly; builds the
# Debian package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test bench package

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

run_suite() {
    local dir="$1"
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCORVALINE_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

echo "== Plain build =="
run_suite build-tests

echo "== Sanitizer build =="
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
run_suite build-sanitize -DCORVALINE_SANITIZE=ON

echo "== Fuzz smoke =="
scripts/fuzz.sh 30

echo "== Benchmarks, briefly =="
scripts/bench.sh quick

echo "== Debian package =="
scripts/package.sh
