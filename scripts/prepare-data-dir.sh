#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Creates the data directory the program caches its downloads in, when it is missing, for
# a developer's machine: owned by the user who runs this script (through sudo too), mode
# 0755, so that this user may update the cache and everybody may read it. The Debian
# package instead makes it root:corvaline, mode 2775 (see the README). The program itself
# never creates it. Creating it needs root: sudo is used where we are not.
set -euo pipefail

data_dir=/ProgramData/sfu
for path in /ProgramData "$data_dir"; do
    if [ -L "$path" ] || { [ -e "$path" ] && [ ! -d "$path" ]; }; then
        echo "$path exists but is not a directory; move it out of the way first." >&2
        exit 1
    fi
done
if [ -d "$data_dir" ]; then
    if [ -n "$(find "$data_dir" -maxdepth 0 -perm -0002)" ]; then
        echo "Note: $data_dir is writable by every user; 'sudo chmod o-w $data_dir' closes it." >&2
    fi
    exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
owner="${SUDO_USER:-$(id -un)}"
if [ ! -d /ProgramData ]; then
    "${as_root[@]}" mkdir -m 0755 /ProgramData
fi
"${as_root[@]}" mkdir -m 0755 "$data_dir"
"${as_root[@]}" chown -h "$owner:$(id -gn "$owner")" "$data_dir"
echo "Created the data directory $data_dir, owned by $owner: $owner may update the cache," \
    "everybody may read it."
