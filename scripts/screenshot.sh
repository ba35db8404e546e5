#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the real window offscreen, reading the sample product in packaging/sample/,
# to docs/screenshot.png: the picture of the README and of the AppStream metainfo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
cmake --preset bench >/dev/null
cmake --build build-bench --target bench_startup -j"$(nproc)"
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_startup packaging/sample docs/screenshot.png \
    >/dev/null 2>&1
echo "Wrote docs/screenshot.png"
