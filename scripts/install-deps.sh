#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that are missing: those to build and run Corvaline, and
# for each argument (test, bench, package) what that work needs as well.
set -euo pipefail

packages=(cmake make g++ qt6-base-dev libsqlite3-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libmosquitto-dev pkgconf libgl-dev libssl3 openssl fonts-dejavu-core)
for need in "$@"; do
    case "$need" in
    test) packages+=(clang-14 libclang-rt-14-dev clang-format qt6-tools-dev qt6-l10n-tools mosquitto) ;;
    bench) packages+=(libbenchmark-dev time) ;;
    package) packages+=(dpkg-dev file desktop-file-utils appstream lintian) ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing missing packages: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
