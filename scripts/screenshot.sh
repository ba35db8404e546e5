#!/usr/bin/env bash
# Renders the real window offscreen, reading the sample product in packaging/sample/,
# to docs/screenshot.png: the picture of the README and of the AppStream metainfo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF >/dev/null
cmake --build build --target corvaline_render_window -j"$(nproc)"
QT_QPA_PLATFORM=offscreen build/packaging/corvaline_render_window packaging/sample docs/screenshot.png
echo "Wrote docs/screenshot.png"
