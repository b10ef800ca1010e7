#!/usr/bin/env bash
# End to end: the character drawn at twice its size on a real X server (Xvfb + openbox), once
# asked for with `--scale 2` and once found from the screen's device pixel ratio
# (QT_SCALE_FACTOR=2, scale left to the default). Each time the window must be exactly twice
# the frame size at the physical position the program reports, every character pixel a 2x2
# block, the transparent corners and the hole in the body must show the desktop below, a
# click there must not reach the character, and a click on the body must be reported at its
# physical screen position.
# usage: scale-e2e.sh PORUKANE_ACS WORK_DIR      exit 77 = skipped (no Xvfb etc.)
set -euo pipefail
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # scripts below change directory
work=$2
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../workdir.sh"
need_commands Xvfb openbox xdotool import
if [ ! -x /usr/bin/convert ]; then
    echo "SKIP: ImageMagick is not installed"
    exit 77
fi

enter_work_dir "$work"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
export LC_ALL=C.UTF-8  # window names are UTF-8; xdotool matches them in the locale's encoding

session_name=e2e_desktop_scale
session_logs=(play.log play.err build.log)
source "$here/../xsession.sh"

start_x_session 800x600 -wr
bash "$here/make-character.sh" "$tool" "$work" >build.log 2>&1 || fail "cannot build the character"

has_line() { grep -q -- "$1" play.log; }
wait_line() { poll 20 has_line "$1"; }
lines() { wc -l <play.log; }

import -window root before.png

# check LABEL ENV... -- ARGS...: one run of the program at scale 2
check() {
    local label=$1
    shift
    local envs=()
    while [ "$1" != "--" ]; do envs+=("$1"); shift; done
    shift
    env "${envs[@]}" "$tool" play "$work/e2e.acs" --still "$@" >play.log 2>play.err &
    local play=$!
    pids+=($play)
    wait_line "^shown at" || fail "$label: the character was not shown"
    grep -q "size 128x128 scale 2$" play.log || fail "$label: not shown at scale 2"
    local x y
    read -r x y < <(sed -n 's/^shown at \([-0-9]*\),\([-0-9]*\) .*/\1 \2/p' play.log)
    local win
    win=$(xdotool search --sync --onlyvisible --name "テスト君" | head -1)
    [ -n "$win" ] || fail "$label: no character window"
    # The body's red at frame pixel (12, 40) is the block at (24..25, 80..81).
    for _ in $(seq 25); do
        sleep 0.2
        import -window root shown.png
        [ "$(shot_rgb $((x + 25)) $((y + 81)) shown.png)" = "208,32,32" ] && break
    done
    local geometry
    geometry=$(xdotool getwindowgeometry "$win" | tr -s ' \n' ' ')
    [[ $geometry == *"Position: $x,$y "* && $geometry == *"Geometry: 128x128"* ]] ||
        fail "$label: window geometry $geometry (expected $x,$y 128x128)"
    # Body edges: frame pixels 8 and 55 are the body's first and last columns, so physical
    # columns 16..111 are red and 15 and 112 show the desktop; the hole (frame 24..39) is
    # physical 48..79.
    local spot now then
    for spot in "16 81" "111 81" "25 16" "25 111" "47 60" "80 60"; do
        read -r dx dy <<<"$spot"
        now=$(shot_rgb $((x + dx)) $((y + dy)) shown.png)
        [ "$now" = "208,32,32" ] || fail "$label: body pixel ($dx,$dy) is $now"
    done
    for spot in "2 2" "15 81" "112 81" "48 60" "79 60" "63 63" "125 125" "2 125"; do
        read -r dx dy <<<"$spot"
        now=$(shot_rgb $((x + dx)) $((y + dy)) shown.png)
        then=$(shot_rgb $((x + dx)) $((y + dy)) before.png)
        [ "$now" = "$then" ] || fail "$label: transparent pixel ($dx,$dy) shows $now, not $then"
    done
    # A click in the hole goes to the desktop; one on the body arrives in physical pixels.
    local before_hole
    before_hole=$(lines)
    xdotool mousemove $((x + 63)) $((y + 63)); sleep 0.2; xdotool click 1; sleep 0.8
    [ "$(lines)" = "$before_hole" ] || fail "$label: a click in the hole reached the character"
    xdotool mousemove $((x + 30)) $((y + 90)); sleep 0.2; xdotool click 3
    wait_line "^click button=2 shift=0 x=$((x + 30)) y=$((y + 90))$" ||
        fail "$label: the click on the body was not reported at its screen position"
    kill "$play"
    wait "$play" 2>/dev/null || true
    if [ -s play.err ]; then fail "$label: the program printed warnings"; fi
}

check "--scale 2" -- --scale 2
check "QT_SCALE_FACTOR=2" QT_SCALE_FACTOR=2 --
echo "PASS: scale 2 by option and by device pixel ratio: size, blocks, click-through"
