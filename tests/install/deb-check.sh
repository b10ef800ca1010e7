#!/usr/bin/env bash
# Builds the Debian package with cpack, checks it with lintian (errors fail, warnings are
# listed), installs it with dpkg into a throw-away root with its own package database, runs
# the installed programs, checks the desktop entry and metainfo, removes the package and
# checks that nothing is left behind.
# usage: deb-check.sh BUILD_DIR WORK_DIR      exit 77 = skipped (not root, or no dpkg tools)
set -euo pipefail
build=$(cd "$1" && pwd)
work=$2
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package needs root"
    exit 77
fi
for cmd in cpack dpkg dpkg-deb dpkg-shlibdeps; do
    command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -20 "$work/cpack.log")"
deb=$(ls "$work"/out/porukane_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no porukane_<version>_<arch>.deb"
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "porukane_${version}_${arch}.deb" ] || fail "package name $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "no dependencies computed: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -c "$deb" | grep -q "./usr/share/doc/porukane/copyright$" || fail "no copyright file"
file_out=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/porukane | file -)
grep -q "not stripped" <<<"$file_out" && fail "porukane is not stripped"

lintian_note="lintian not installed"
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
    if grep -q "^E: " "$work/lintian.log"; then
        fail "lintian errors:"$'\n'"$(grep '^E: ' "$work/lintian.log")"
    fi
    lintian_note="lintian: no errors, $(grep -c '^W: ' "$work/lintian.log" || true) warnings"
    grep '^W: ' "$work/lintian.log" || true
fi

# A throw-away root with an empty package database; the shared libraries come from the host.
root=$work/root
admin=$work/admin
mkdir -p "$root" "$admin/updates" "$admin/info"
touch "$admin/status" "$admin/available"
dpkg_root() { dpkg --force-depends --force-not-root --admindir="$admin" --instdir="$root" "$@"; }
dpkg_root --install "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg --install: $(cat "$work/dpkg.log")"

"$root/usr/bin/porukane" --version | grep -q -x "porukane $version" || fail "porukane --version"
"$root/usr/bin/porukane-acs" info "$root/usr/share/porukane/1.bin" >"$work/info.json" ||
    fail "porukane-acs info on the installed character"
grep -q '"animations"' "$work/info.json" || fail "porukane-acs info printed no animations"
[ -f "$root/usr/share/applications/org.porukane.Porukane.desktop" ] || fail "no desktop entry"
[ -f "$root/usr/share/metainfo/org.porukane.Porukane.metainfo.xml" ] || fail "no metainfo"
[ -f "$root/usr/share/icons/hicolor/48x48/apps/org.porukane.Porukane.png" ] || fail "no icon"
[ -f "$root/usr/share/man/man1/porukane.1.gz" ] || fail "no man page"
XDG_DATA_HOME=$work/home/data "$root/usr/bin/porukane" --where | grep -q -x "$work/home/data/porukane" ||
    fail "the installed program does not use the XDG data folder"

dpkg_root --purge porukane >>"$work/dpkg.log" 2>&1 || fail "dpkg --purge: $(cat "$work/dpkg.log")"
left=$(cd "$root" && find . -mindepth 1 ! -type d | head)
[ -z "$left" ] || fail "files left after removal: $left"
left=$(cd "$root" && find . -mindepth 1 -type d -path './usr/share/*porukane*' | head)
[ -z "$left" ] || fail "folders left after removal: $left"
echo "PASS: $(basename "$deb") installs, runs and removes cleanly; $lintian_note"
