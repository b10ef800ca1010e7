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

source "$here/../workdir.sh"
need_commands import xwininfo python3
if [ ! -x /usr/bin/convert ]; then
    echo "SKIP: ImageMagick is not installed"
    exit 77
fi

enter_work_dir "$work"
# A sanitizer build reports leaks at exit on stderr; only system libraries' own are expected.
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export LC_ALL=C.UTF-8  # window names are UTF-8; xdotool matches them in the locale's encoding

session_name=e2e_desktop_play
session_logs=(play.log play.err build.log)
source "$here/../xsession.sh"

start_x_session 800x600 -wr

bash "$here/make-character.sh" "$tool" "$work" >build.log 2>&1 || fail "cannot build the character"

has_line() { grep -q -- "$1" play.log; }
# wait_line PATTERN WHAT: waits for the program to print a matching line
wait_line() { wait_until 20 "$2 (a line matching '$1')" has_line "$1"; }
lines() { wc -l <play.log; }
playing() { kill -0 "$play" 2>/dev/null || fail "the program ended early"; }
ended() { ! kill -0 "$play" 2>/dev/null; }
geometry() { xdotool getwindowgeometry "$win" | tr -s ' \n' ' '; }

# no_new_lines_but MARK PATTERN WHAT: a middle click on the body is the sentinel that shows
# the program has handled everything before it. Once it is reported, the lines printed since
# line MARK must be its report alone; otherwise WHAT reached the character.
no_new_lines_but_sentinel() {
    local mark=$1 what=$2 sx=$3 sy=$4
    xdotool mousemove "$sx" "$sy" click 2
    wait_line "click button=[0-9]* shift=0 x=$sx y=$sy$" "the sentinel middle click at $sx,$sy"
    local extra
    extra=$(tail -n +"$((mark + 1))" play.log | grep -v -- "click button=[0-9]* shift=0 x=$sx y=$sy$" || true)
    [ -z "$extra" ] || fail "$what reached the character: $extra"
}

import -window root before.png
"$tool" play "$work/e2e.acs" --still >play.log 2>play.err &
play=$!
pids+=($play)
wait_line "^shown at" "the character shown"
read -r x y < <(sed -n 's/^shown at \([-0-9]*\),\([-0-9]*\) .*/\1 \2/p' play.log)
named() { playing; win=$(xdotool search --onlyvisible --name "^テスト君\$" 2>/dev/null | head -1); [ -n "$win" ]; }
wait_until 20 "a visible window titled with the character's Japanese name テスト君" named
# Show plays for 200 ms; on a busy machine the first paint may come later.
body_painted() {
    import -window root shown.png && [ "$(shot_rgb $((x + 12)) $((y + 40)) shown.png)" = "208,32,32" ]
}
wait_until 20 "the character's red body at $((x + 12)),$((y + 40))" body_painted
at_shown() { [[ $(geometry) == *"Position: $x,$y "* && $(geometry) == *"Geometry: 64x64"* ]]; }
poll 10 at_shown || fail "window geometry: $(geometry) (expected $x,$y 64x64)"
xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "not always on top"
xprop -id "$win" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_UTILITY ||
    fail "not a tool window"

# Shape: the frame's corner and the body's hole show exactly what the desktop showed before
# the character came.
for spot in "2 2" "61 61" "31 31" "2 61"; do
    read -r dx dy <<<"$spot"
    now=$(shot_rgb $((x + dx)) $((y + dy)) shown.png)
    then=$(shot_rgb $((x + dx)) $((y + dy)) before.png)
    [ "$now" = "$then" ] || fail "transparent pixel ($dx,$dy) shows $now instead of the desktop's $then"
done

# Mouse: right click, left double click, shift + right click on the body. Each uses another
# button than the one before, so no two of them make a double click.
bx=$((x + 12)); by=$((y + 40))
xdotool mousemove "$bx" "$by" click 3
wait_line "^click button=2 shift=0 x=$bx y=$by$" "a right click reported as Click button 2"
xdotool click --repeat 2 --delay 80 1
wait_line "^dblclick button=1 shift=0 x=$bx y=$by$" "a double click reported as DblClick 1"
has_line "^click button=1 shift=0" || fail "the first click of a double click is missing"
xdotool keydown shift click 3 keyup shift
wait_line "^click button=2 shift=1 " "a shift + right click reported with shift=1"

# A click on a transparent pixel (the hole) belongs to whatever lies below. (Left button:
# openbox answers a right click on the desktop with its root menu, which grabs the pointer.)
mark=$(lines)
xdotool mousemove $((x + 31)) $((y + 31)) click 1
no_new_lines_but_sentinel "$mark" "a click on a transparent pixel" "$bx" "$by"

# A left drag moves the character and is no click.
mark=$(lines)
xdotool mousemove "$bx" "$by" mousedown 1 mousemove $((bx + 20)) $((by + 10)) \
    mousemove $((bx + 40)) $((by + 20)) mouseup 1
dragged() { [[ $(geometry) == *"Position: $((x + 40)),$((y + 20)) "* ]]; }
poll 20 dragged || fail "drag did not move the window to $((x + 40)),$((y + 20)): $(geometry)"
no_new_lines_but_sentinel "$mark" "a drag" $((bx + 40)) $((by + 20))
import -window root dragged.png

# Closing from the window manager hides the character (cause 1) and the program ends.
activate "$win"
xdotool key alt+F4 || true  # the window may be gone before the keys are released
wait_line "^hide cause=1$" "Hide with cause 1 after closing the window"
wait_until 20 "the program to end after Hide" ended
wait "$play" || fail "the program ended with status $?"

if [ -s play.err ]; then fail "the program printed warnings"; fi

# With a notification area (trayer) the character has a tray icon whose menu hides it with
# the user cause. Without trayer this part is left out.
tray="no tray"
if command -v trayer >/dev/null; then
    # The character looks for a tray once, when it is loaded: trayer must own the tray first.
    start_tray
    "$tool" play "$work/e2e.acs" --still >play.log 2>play.err &
    play=$!
    pids+=($play)
    wait_line "^shown at" "the character shown the second time"
    # The tray icon: the window named after the program (the character window carries the
    # character's name).
    tray_icon() { playing; icon=$(tray_icon_box porukane-acs); }
    wait_until 20 "a visible tray icon inside trayer's panel" tray_icon
    read -r iw ih ix iy <<<"$icon"
    import -window root tray.png
    # Its menu is one more visible window of the program.
    menus() { xdotool search --onlyvisible --pid "$play" 2>/dev/null | wc -l; }
    before=$(menus)
    menu_open() { playing; [ "$(menus)" -gt "$before" ]; }
    # An icon just taken into the panel may miss the first click: click again while no
    # menu has come.
    for _ in 1 2 3 4; do
        xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
        poll 5 menu_open && break
    done
    menu_open || fail "no menu after four right clicks on the tray icon at $ix,$iy"
    xdotool key Down Return  # the menu's only item, 隠す
    wait_line "^hide cause=1$" "Hide with cause 1 from the tray menu"
    wait_until 20 "the program to end after the tray hide" ended
    if [ -s play.err ]; then fail "the program printed warnings"; fi
    tray="tray menu"
fi
echo "PASS: shaped window, Click/DblClick/drag, close from the window manager, $tray"
