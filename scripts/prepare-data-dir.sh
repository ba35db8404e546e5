#!/usr/bin/env bash
# Creates the data directory the program caches its downloads in, when it is missing, as
# the Debian package does: owned by root, writable by every local user (see the README).
# The program itself never creates it. It needs root: sudo is used where we are not.
set -euo pipefail

data_dir=/ProgramData/sfu
if [ -d "$data_dir" ]; then
    exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
"${as_root[@]}" mkdir -p "$data_dir"
"${as_root[@]}" chmod 0777 "$data_dir"
echo "Created the data directory $data_dir, where every local user may cache the products."
