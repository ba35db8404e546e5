#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the real window offscreen to the pictures in docs/: reading the sample product in
# packaging/sample/ (the picture of the README and of the AppStream metainfo), with an empty
# cache (the list says why it is empty), and reading the sample with a burst of 2656308 sfu at
# 15400 MHz from Learmonth (every figure whole); and corvaline-plot's picture of the real
# Penticton flux-table lines and the real text product in tests/data/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
cmake --preset bench >/dev/null
cmake --build build-bench --target bench_startup corvaline-report corvaline-plot -j"$(nproc)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/empty" "$scratch/burst"
sed 's/^15400     587 /15400 2656308 /' packaging/sample/current-space-weather-indices.txt \
    >"$scratch/burst/current-space-weather-indices.txt"
render() { # cache folder, picture
    QT_QPA_PLATFORM=offscreen build-bench/bench/bench_startup "$1" "$2" >/dev/null 2>&1
    echo "Wrote $2"
}
render packaging/sample docs/screenshot.png
render "$scratch/empty" docs/empty-cache.png
render "$scratch/burst" docs/burst.png
build-bench/report/corvaline-report --import --quiet --database "$scratch/archive.sqlite" \
    tests/data/penticton-fluxtable-lines.txt tests/data/noaa-current-space-weather-indices-2025-12-19.txt
QT_QPA_PLATFORM=offscreen build-bench/plot/corvaline-plot --database "$scratch/archive.sqlite" \
    --from 2004-10-01 --to 2025-12-31 --mhz 2800 --output docs/plot.png 2>/dev/null
echo "Wrote docs/plot.png"
