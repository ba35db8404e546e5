#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Corvaline and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build build --target corvaline -j"$(nproc)"
scripts/prepare-data-dir.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Corvaline is built (build/corvaline) but cannot start: no display was found" \
        "(neither DISPLAY nor WAYLAND_DISPLAY is set). Run it from a graphical desktop session." >&2
    exit 1
fi
exec build/corvaline
