#!/usr/bin/env bash
# Builds the Debian package and checks it: the desktop entry and the AppStream metainfo
# validate, lintian reports no error, and the package holds what it must. With CI=true it
# also installs the package, starts the menu entry's command, removes the package (the
# cache stays) and purges it (the cache goes): CI machines are thrown away afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF >/dev/null
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
    usr/share/doc/corvaline/copyright usr/share/doc/corvaline/changelog.Debian.gz; do
    grep -qx "./$file" <<<"$listing" || { echo "The package lacks $file" >&2; exit 1; }
done
echo "Package contents: as expected"

if [ "${CI:-}" != true ]; then
    exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
[ "$(stat -c '%a %U' /ProgramData/sfu)" = "777 root" ] || { echo "wrong data directory" >&2; exit 1; }
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
