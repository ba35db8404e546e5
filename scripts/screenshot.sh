#!/usr/bin/env bash
# Renders the real window offscreen, reading the sample product in packaging/sample/,
# to docs/screenshot.png: the picture of the README and of the AppStream metainfo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench --target bench_startup -j"$(nproc)"
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_startup packaging/sample docs/screenshot.png \
    >/dev/null 2>&1
echo "Wrote docs/screenshot.png"
