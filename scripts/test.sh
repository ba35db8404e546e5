#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, checks the formatting, builds Corvaline twice (plain, and with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer) and runs the whole test suite in both builds;
# runs each fuzz target for 30 seconds; builds and runs the benchmarks briefly; builds the
# Debian package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test bench package

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

run_suite() { # preset, build folder
    cmake --preset "$1" >/dev/null
    cmake --build "$2" -j"$jobs"
    (cd "$2" && ctest --output-on-failure -j"$jobs")
}

echo "== Formatting (.clang-format) =="
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')
echo "All sources formatted"

echo "== Plain build =="
run_suite debug build-tests

echo "== Sanitizer build =="
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
run_suite sanitize build-sanitize

echo "== Fuzz smoke =="
scripts/fuzz.sh 30

echo "== Benchmarks, briefly =="
scripts/bench.sh quick

echo "== Debian package =="
scripts/package.sh
