#!/usr/bin/env bash
# Creates the data directory the program caches its downloads in, when it is missing.
# The program itself never creates it. It needs root: sudo is used where we are not.
set -euo pipefail

data_dir=/ProgramData/sfu
if [ -d "$data_dir" ]; then
    exit 0
fi

owner="${SUDO_USER:-$(id -un)}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
"${as_root[@]}" mkdir -p "$data_dir"
"${as_root[@]}" chown "$owner:" "$data_dir"
echo "Created the data directory $data_dir, owned by $owner; downloaded products are cached there."
