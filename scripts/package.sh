#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and checks it: the desktop entry and the AppStream metainfo
# validate, lintian reports no error, and the package holds what it must. As root it
# installs the package into a clean scratch root with a link planted at the cache, which
# must fail and leave the link's victim untouched, then configures, and purges it there.
# With CI=true it also installs the package on this system, starts the menu entry's
# command, removes the package (the cache stays) and purges it (the cache goes): CI
# machines are thrown away afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
cmake --preset package >/dev/null
cmake --build build-package -j"$(nproc)"
rm -f build-package/corvaline_*.deb
(cd build-package && cpack >/dev/null)
deb=$(ls build-package/corvaline_*.deb)
echo "Built $deb ($(du -k "$deb" | cut -f1) KiB)"

desktop-file-validate packaging/org.corvaline.Corvaline.desktop
appstreamcli validate --no-net packaging/org.corvaline.Corvaline.metainfo.xml
lintian --fail-on error "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in usr/bin/corvaline usr/bin/corvaline-report \
    usr/share/applications/org.corvaline.Corvaline.desktop usr/share/man/man1/corvaline-report.1.gz \
    usr/share/icons/hicolor/scalable/apps/org.corvaline.Corvaline.svg \
    usr/share/metainfo/org.corvaline.Corvaline.metainfo.xml usr/share/man/man1/corvaline.1.gz \
    usr/share/doc/corvaline/copyright usr/share/doc/corvaline/changelog.Debian.gz \
    usr/lib/systemd/user/corvaline-archive.timer usr/lib/systemd/user/corvaline-archive.service \
    usr/libexec/corvaline/archive-products usr/bin/corvaline-plot usr/share/man/man1/corvaline-plot.1.gz; do
    grep -qx "./$file" <<<"$listing" || { echo "The package lacks $file" >&2; exit 1; }
done
echo "Package contents: as expected"

in_scratch_root() { # dpkg's arguments
    dpkg --root="$root" --force-script-chrootless --force-depends "$@" >"$root.log" 2>&1
}
if [ "$(id -u)" -eq 0 ]; then
    root=$(mktemp -d) victim=$(mktemp -d)
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/etc" "$root/ProgramData"
    touch "$root/var/lib/dpkg/status"
    cp /etc/group /etc/gshadow /etc/passwd /etc/shadow /etc/login.defs "$root/etc/"
    chown 1234:1234 "$victim" && chmod 0700 "$victim"
    ln -s "$victim" "$root/ProgramData/sfu"
    if in_scratch_root -i "$deb" || [ "$(stat -c '%u:%g %a' "$victim")" != "1234:1234 700" ]; then
        echo "a link planted at the cache was followed or accepted" >&2; exit 1
    fi
    rm "$root/ProgramData/sfu"
    in_scratch_root --configure corvaline || { cat "$root.log"; exit 1; }
    gid=$(grep '^corvaline:' "$root/etc/group" | cut -d: -f3)
    [ "$(stat -c '%u:%g %a' "$root/ProgramData/sfu")" = "0:$gid 2775" ] || { echo "wrong cache" >&2; exit 1; }
    in_scratch_root --purge corvaline || { cat "$root.log"; exit 1; }
    [ ! -e "$root/ProgramData/sfu" ] || { echo "purge kept the cache" >&2; exit 1; }
    rm -rf --one-file-system "$root" "$victim" "$root.log"
    echo "Scratch root: a planted link refused, its victim untouched; configured 2775" \
        "root:corvaline; purged"
fi

if [ "${CI:-}" != true ]; then
    exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
[ "$(stat -c '%a %U %G' /ProgramData/sfu)" = "2775 root corvaline" ] || { echo "wrong data directory" >&2; exit 1; }
command=$(sed -n 's/^Exec=//p' /usr/share/applications/org.corvaline.Corvaline.desktop)
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$command" >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || { echo "the menu entry's command ended with $status" >&2; exit 1; }
echo cached >/ProgramData/sfu/solar-radio-flux.json
"${as_root[@]}" apt-get remove -y -qq corvaline >/dev/null
[ -f /ProgramData/sfu/solar-radio-flux.json ] || { echo "removal lost the cache" >&2; exit 1; }
"${as_root[@]}" apt-get purge -y -qq corvaline >/dev/null
[ ! -e /ProgramData/sfu ] || { echo "purge kept the cache" >&2; exit 1; }
echo "Installed, started, removed (cache kept) and purged (cache gone): as expected"
