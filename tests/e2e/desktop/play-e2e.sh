#!/usr/bin/env bash
# End to end: `porukane-acs play` on a real X server (Xvfb) with a window manager (openbox).
# Checks, from screenshots, that the character window is shaped to the character (the desktop
# shows through the frame's transparent corners and through the hole in the body), that it is
# an always-on-top utility window, that right clicks, double clicks and shift clicks arrive as
# the engine's Click/DblClick events, that a click on a transparent pixel does not, that a
# left drag moves the character without a click, and that closing the window from the window
# manager hides the character with the user cause and ends the program, and so does the tray
# icon's menu where trayer provides a notification area. Any warning the program prints
# fails the test.
# usage: play-e2e.sh PORUKANE_ACS WORK_DIR      exit 77 = skipped (no Xvfb etc.)
set -euo pipefail
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # scripts below change directory
work=$2
here=$(cd "$(dirname "$0")" && pwd)

for cmd in Xvfb openbox xdotool import xprop; do
    if ! command -v "$cmd" >/dev/null; then
        echo "SKIP: $cmd is not installed"
        exit 77
    fi
done
if [ ! -x /usr/bin/convert ]; then
    echo "SKIP: ImageMagick is not installed"
    exit 77
fi

rm -rf "$work"
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
cd "$work"
export XDG_RUNTIME_DIR=$work/runtime
# A sanitizer build reports leaks at exit on stderr; only system libraries' own are expected.
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

source "$here/../xsession.sh"

fail() {
    echo "FAIL: $*"
    echo "--- program output"; cat play.log 2>/dev/null || true
    echo "--- program errors"; cat play.err 2>/dev/null || true
    exit 1
}

start_x_session 800x600 -wr
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done

bash "$here/make-character.sh" "$tool" "$work" >build.log 2>&1 || fail "cannot build the character"

# rgb X Y FILE -> "r,g,b" of one screen pixel
rgb() {
    /usr/bin/convert "$3" -format \
        "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
# wait_line PATTERN: waits up to 5 s for the program to print a matching line
wait_line() {
    for _ in $(seq 50); do grep -q -- "$1" play.log && return 0; sleep 0.1; done
    return 1
}
lines() { wc -l <play.log; }

import -window root before.png
"$tool" play "$work/e2e.acs" --still >play.log 2>play.err &
play=$!
pids+=($play)
wait_line "^shown at" || fail "the character was not shown"
read -r x y < <(sed -n 's/^shown at \([-0-9]*\),\([-0-9]*\) .*/\1 \2/p' play.log)
win=$(xdotool search --sync --onlyvisible --name "テスト君" | head -1)
[ -n "$win" ] || fail "no window titled with the character's Japanese name"
# Show plays for 200 ms; on a busy machine the first paint may come later.
for _ in $(seq 25); do
    sleep 0.2
    import -window root shown.png
    [ "$(rgb $((x + 12)) $((y + 40)) shown.png)" = "208,32,32" ] && break
done

geometry=$(xdotool getwindowgeometry "$win" | tr -s ' \n' ' ')
[[ $geometry == *"Position: $x,$y "* && $geometry == *"Geometry: 64x64"* ]] ||
    fail "window geometry: $geometry (expected $x,$y 64x64)"
xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "not always on top"
xprop -id "$win" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_UTILITY ||
    fail "not a tool window"

# Shape: body pixels are the character's red; the frame's corner and the body's hole show
# exactly what the desktop showed before the character came.
body=$(rgb $((x + 12)) $((y + 40)) shown.png)
[ "$body" = "208,32,32" ] || fail "body pixel is $body, not the character's red"
for spot in "2 2" "61 61" "31 31" "2 61"; do
    read -r dx dy <<<"$spot"
    now=$(rgb $((x + dx)) $((y + dy)) shown.png)
    then=$(rgb $((x + dx)) $((y + dy)) before.png)
    [ "$now" = "$then" ] || fail "transparent pixel ($dx,$dy) shows $now instead of the desktop's $then"
done

# Mouse: right click, left double click, shift + right click on the body.
bx=$((x + 12)); by=$((y + 40))
xdotool mousemove "$bx" "$by"; sleep 0.2
xdotool click 3
wait_line "^click button=2 shift=0 x=$bx y=$by$" || fail "right click not reported as Click button 2"
sleep 0.6  # past the double-click interval
xdotool click --repeat 2 --delay 80 1
wait_line "^dblclick button=1 shift=0 x=$bx y=$by$" || fail "double click not reported as DblClick 1"
grep -q "^click button=1 shift=0" play.log || fail "the first click of a double click is missing"
sleep 0.6
xdotool keydown shift; xdotool click 3; xdotool keyup shift
wait_line "^click button=2 shift=1 " || fail "shift state not reported"

# A click on a transparent pixel (the hole) belongs to whatever lies below. (Left button:
# openbox answers a right click on the desktop with its root menu, which grabs the pointer.)
before_hole=$(lines)
sleep 0.6
xdotool mousemove $((x + 31)) $((y + 31)); sleep 0.2; xdotool click 1; sleep 0.8
[ "$(lines)" = "$before_hole" ] || fail "a click on a transparent pixel reached the character"

# A left drag moves the character and is no click.
sleep 0.6
xdotool mousemove "$bx" "$by"; sleep 0.2
xdotool mousedown 1; sleep 0.2
xdotool mousemove $((bx + 20)) $((by + 10)); sleep 0.2
xdotool mousemove $((bx + 40)) $((by + 20)); sleep 0.2
xdotool mouseup 1; sleep 0.5
geometry=$(xdotool getwindowgeometry "$win" | tr -s ' \n' ' ')
[[ $geometry == *"Position: $((x + 40)),$((y + 20)) "* ]] || fail "drag did not move the window: $geometry"
[ "$(lines)" = "$before_hole" ] || fail "a drag was reported as a click"
import -window root dragged.png

# Closing from the window manager hides the character (cause 1) and the program ends.
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool key alt+F4 || true  # the window may be gone before the keys are released
wait_line "^hide cause=1$" || fail "closing the window did not raise Hide with cause 1"
for _ in $(seq 50); do kill -0 "$play" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$play" 2>/dev/null; then fail "the program did not end after Hide"; fi
wait "$play" || fail "the program ended with status $?"

if [ -s play.err ]; then fail "the program printed warnings"; fi

# With a notification area (trayer) the character has a tray icon whose menu hides it with
# the user cause. Without trayer this part is left out.
tray="no tray"
if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype pixel --width 100 --heighttype pixel \
        --height 24 >trayer.log 2>&1 &
    pids+=($!)
    # The character looks for a tray once, when it is loaded: wait for trayer's panel.
    for _ in $(seq 100); do
        xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")' && break
        sleep 0.1
    done
    sleep 0.5
    "$tool" play "$work/e2e.acs" --still >play.log 2>play.err &
    play=$!
    pids+=($play)
    wait_line "^shown at" || fail "the character was not shown the second time"
    icon=""
    for _ in $(seq 50); do
        # The tray icon is the program's window named after the program (the character
        # window carries the character's name): "WxH+x+y  +absX+absY".
        icon=$(xwininfo -root -tree | sed -n \
            's/.*"porukane-acs": ("porukane-acs" "porukane-acs")  *\([0-9]*\)x\([0-9]*\)+[-0-9]*+[-0-9]*  *+\([-0-9]*\)+\([-0-9]*\).*/\1 \2 \3 \4/p')
        [ -n "$icon" ] && break
        sleep 0.1
    done
    [ -n "$icon" ] || fail "no tray icon in the notification area"
    read -r iw ih ix iy <<<"$icon"
    import -window root tray.png
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)); sleep 0.2
    xdotool click 3; sleep 0.7
    xdotool key Down Return  # the menu's only item, 隠す
    wait_line "^hide cause=1$" || fail "the tray menu did not hide the character with cause 1"
    for _ in $(seq 50); do kill -0 "$play" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$play" 2>/dev/null; then fail "the program did not end after the tray hide"; fi
    if [ -s play.err ]; then fail "the program printed warnings"; fi
    tray="tray menu"
fi
echo "PASS: shaped window, Click/DblClick/drag, close from the window manager, $tray"
