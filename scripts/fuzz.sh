#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 30), starting from fuzz/corpus. Any finding fails the
# run; the input that caused it is kept in build-fuzz/findings/. For a long campaign give
# more seconds: ./scripts/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
mkdir -p build-fuzz/findings
seeds() { # the report reads either product
    case "$1" in
    report) echo fuzz/corpus/text_reader fuzz/corpus/json_reader ;;
    observations) echo fuzz/corpus/observations fuzz/corpus/text_reader fuzz/corpus/json_reader ;;
    *) echo "fuzz/corpus/$1" ;;
    esac
}
for target in text_reader json_reader estimates report observations; do
    corpus="build-fuzz/corpus/$target"
    log="build-fuzz/fuzz_$target.log"
    mkdir -p "$corpus"
    if ! build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/ "$corpus" $(seeds "$target") >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$target: FINDING (see $log and build-fuzz/findings/)" >&2
        exit 1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
    echo "fuzz_$target: no finding in $runs executions (${seconds} s)"
done
