#!/usr/bin/env bash
# cmake --install into a scratch prefix, then checks the layout, validates the desktop entry,
# the metainfo and the man pages, and runs the installed program's command line without a
# display: --version, --help, --where (seeding nothing), an unknown option (status 2).
# usage: install-check.sh BUILD_DIR WORK_DIR      exit 77 = a validator is not installed
set -euo pipefail
build=$1
work=$2
for cmd in desktop-file-validate appstreamcli man; do
    command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"

sizes="16 22 24 32 48 64 128 256"
expected=$(printf '%s\n' bin/porukane{,-acs,-acs-play,-clip} share/man/man1/porukane{,-acs,-clip}.1.gz \
    share/applications/org.porukane.Porukane.desktop share/metainfo/org.porukane.Porukane.metainfo.xml \
    share/doc/porukane/{changelog.gz,copyright} share/porukane/{1.bin,Filecopy.avi,Findcomp.avi} \
    $(for size in $sizes; do echo "share/icons/hicolor/${size}x${size}/apps/org.porukane.Porukane.png"; done))
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(LC_ALL=C sort <<<"$expected")" ] ||
    fail "installed files differ:"$'\n'"$(diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") || true)"
cmp -s "$prefix/share/porukane/1.bin" "$build/assets/character/character.acs" ||
    fail "share/porukane/1.bin is not our character"

if command -v identify >/dev/null; then
    for size in $sizes; do
        got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/org.porukane.Porukane.png")
        [ "$got" = "${size}x${size}" ] || fail "the ${size}px icon is $got"
    done
fi

desktop-file-validate "$prefix/share/applications/org.porukane.Porukane.desktop" >"$work/desktop.log" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/desktop.log")"
grep -v -E ': hint: ' "$work/desktop.log" | grep -q . && fail "desktop entry: $(cat "$work/desktop.log")"
appstreamcli validate --no-net "$prefix/share/metainfo/org.porukane.Porukane.metainfo.xml" \
    >"$work/metainfo.log" 2>&1 || fail "appstreamcli: $(cat "$work/metainfo.log")"

for page in porukane porukane-acs porukane-clip; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
        "$prefix/share/man/man1/$page.1.gz" 2>&1 >"$work/$page.txt") || fail "man $page failed"
    [ -z "$warnings" ] || fail "man $page: $warnings"
    grep -q "^NAME" "$work/$page.txt" || fail "man $page rendered no NAME section"
done

# The command line needs no display; an installed program uses the XDG data folder.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config HOME=$work
unset DISPLAY WAYLAND_DISPLAY
program=$prefix/bin/porukane
"$program" --version | grep -q -x "porukane [0-9.]*" || fail "--version"
help=$("$program" --help) || fail "--help failed"
grep -q -- "--import PATH" <<<"$help" || fail "--help does not list --import"
grep -q "$work/data/porukane" <<<"$help" || fail "--help does not name the program folder"
[ "$("$program" --where)" = "$work/data/porukane" ] || fail "--where: $("$program" --where)"
[ ! -e "$work/data" ] || fail "--where created the program folder"
status=0
"$program" --bogus >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 2 ] || fail "unknown option: status $status"
[ "$(wc -l <"$work/err")" = 1 ] && [ ! -s "$work/out" ] || fail "unknown option: $(cat "$work/err")"
echo "PASS: layout, desktop entry, metainfo, man pages, command line"
