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
dpkg-deb -c "$deb" >"$work/contents"
grep -q "./usr/share/doc/porukane/copyright$" "$work/contents" || fail "no copyright file"
mkdir -p "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
for program in porukane porukane-acs porukane-clip; do
    file "$work/unpacked/usr/bin/$program" | grep -q "not stripped" && fail "$program is not stripped"
done

lintian_note="lintian not installed"
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
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
for f in applications/org.porukane.Porukane.desktop metainfo/org.porukane.Porukane.metainfo.xml \
    icons/hicolor/48x48/apps/org.porukane.Porukane.png man/man1/porukane.1.gz; do
    [ -f "$root/usr/share/$f" ] || fail "no $f"
done
XDG_DATA_HOME=$work/home/data "$root/usr/bin/porukane" --where | grep -q -x "$work/home/data/porukane" ||
    fail "the installed program does not use the XDG data folder"

# The installed companion on an X server, from an empty home: the title screen, then the
# wizard; with setup recorded, our character from the seeded data folder.
gui_note="no X server tools"
if command -v Xvfb >/dev/null && command -v openbox >/dev/null && command -v xdotool >/dev/null; then
    here=$(cd "$(dirname "$0")" && pwd)
    mkdir -p "$work/x"
    cd "$work/x"
    source "$here/../e2e/xsession.sh"
    start_x_session 1024x768
    export LC_ALL=C.UTF-8
    run_installed() {  # HOME_DIR
        env -u WAYLAND_DISPLAY -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$1" \
            XDG_RUNTIME_DIR="$work/x" "$root/usr/bin/porukane" >"$1.log" 2>&1 &
        pids+=($!)
    }
    poll() {  # COMMAND...: true once it succeeds, within 15 s
        for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
        return 1
    }
    visible() { (xdotool search --onlyvisible "$@" 2>/dev/null || true); }
    title_shown() { [ "$(visible --name 'ﾎﾟﾙｶﾈ ９９' | wc -l)" -ge 1 ]; }
    wizard_shown() {  # a window with the program's title that is not the title screen
        for id in $(visible --name 'ﾎﾟﾙｶﾈ ９９'); do
            geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry/ {print $2}' || true)
            [ -n "$geometry" ] && [ "$geometry" != "480x260" ] && return 0
        done
        return 1
    }
    character_shown() {
        for id in $(visible --class porukane); do
            xdotool getwindowgeometry "$id" 2>/dev/null | grep -q 'Geometry: 128x128' && return 0
        done
        return 1
    }
    chmod 700 "$work/x"
    mkdir -p "$work/fresh"
    run_installed "$work/fresh"
    poll title_shown || fail "no title screen from the installed program"
    poll wizard_shown || fail "no wizard after the title screen"
    kill "${pids[-1]}"
    for f in 1.bin Findcomp.avi Filecopy.avi; do
        cmp -s "$work/fresh/.local/share/porukane/$f" "$root/usr/share/porukane/$f" ||
            fail "$f was not seeded into ~/.local/share/porukane"
    done

    mkdir -p "$work/done/.config/porukane"
    printf '[ver99]\n1_0=True\n' >"$work/done/.config/porukane/Agent.ini"
    run_installed "$work/done"
    poll character_shown || fail "our character did not appear from the seeded data folder"
    kill "${pids[-1]}"
    cd "$work"
    gui_note="title, wizard and character under Xvfb"
fi

dpkg_root --purge porukane >>"$work/dpkg.log" 2>&1 || fail "dpkg --purge: $(cat "$work/dpkg.log")"
left=$(cd "$root" && find . -mindepth 1 ! -type d | head)
[ -z "$left" ] || fail "files left after removal: $left"
left=$(cd "$root" && find . -mindepth 1 -type d -path './usr/share/*porukane*' | head)
[ -z "$left" ] || fail "folders left after removal: $left"
echo "PASS: $(basename "$deb") installs, runs ($gui_note) and removes cleanly; $lintian_note"
