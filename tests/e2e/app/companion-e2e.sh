#!/usr/bin/env bash
# End to end: the real companion under Xvfb + openbox, with its own program folder and its own
# settings file.
#   notinstalled: empty program folder, setup done -> title screen, then the not-installed box;
#                 answering it ends the process and writes nothing.
#   companion:    our character as 1.bin, setup done, a remembered position -> the character
#                 appears there; a right click opens the five-item menu; おわり ends the program
#                 and the settings hold the remembered position in the exact text format.
# usage: companion-e2e.sh SCENARIO PROGRAM_DIR WORK_DIR      exit 77 = skipped
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scenario=$1
program_dir=$2
work=$3

command -v import >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }

rm -rf "$work"
mkdir -p "$work/runtime" "$work/config/porukane" "$work/program"
chmod 700 "$work/runtime"
cd "$work"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export HOME=$work
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export LC_ALL=C.UTF-8  # window names are UTF-8; xdotool matches them in the locale's encoding

session_name=e2e_app_$scenario
session_logs=(app.log config/porukane/Agent.ini)
source "$here/../xsession.sh"
shot() { import -window root "$work/$1.png" 2>/dev/null || true; }

start_x_session 1024x768
# pixel X Y: "r,g,b" of one screen pixel
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | sed -n 's/.*(\([0-9]*,[0-9]*,[0-9]*\).*/\1/p' | head -1
}
desktop=$(pixel 264 214)

cp "$program_dir/porukane" program/
ini=config/porukane/Agent.ini
printf '[ver99]\n1_0=True\n' >"$ini"
title='ﾎﾟﾙｶﾈ ９９'

running() { kill -0 "$app" 2>/dev/null || fail "the program ended early"; }
ended() { ! kill -0 "$app" 2>/dev/null; }
# found NAME SIZE: sets `found` to a visible window named exactly NAME whose size is SIZE
# (or, with !SIZE, any size but SIZE)
found() {
    local id size
    running
    found=""
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        size=$(window_size "$id")
        case $2 in
        !*) [ "$size" != "${2#!}" ] && found=$id ;;
        *) [ "$size" = "$2" ] && found=$id ;;
        esac
    done
    [ -n "$found" ]
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
count_windows() { xdotool search --onlyvisible --class porukane 2>/dev/null | wc -l; }
more_windows_than() { running; [ "$(count_windows)" -gt "$1" ]; }
# the character: the program's 128x128 window, and its painted body (not the empty backing)
character_found() {
    local id
    running
    win=""
    for id in $(xdotool search --onlyvisible --class porukane 2>/dev/null); do
        [ "$(window_size "$id")" = "128x128" ] && win=$id
    done
    [ -n "$win" ]
}

case "$scenario" in
notinstalled)
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    wait_until 30 "the 480x260 title screen '$title'" found "$title" 480x260
    splash=$found
    shot title
    # The not-installed box comes once the title screen has gone after its two seconds.
    wait_until 30 "the title screen to go" eval '! viewable "$splash"'
    wait_until 30 "the not-installed box: a '$title' window other than 480x260" \
        found "$title" '!480x260'
    box=$found
    shot notinstalled
    activate "$box"
    xdotool key Return
    wait_until 20 "the program to end after the box was answered" ended
    if grep -q '^\[pos\]' "$ini"; then fail "settings were written"; fi
    ;;
companion)
    [ -f "$program_dir/1.bin" ] || { echo "SKIP: our character was not built"; exit 77; }
    cp "$program_dir/1.bin" program/
    printf '[pos]\nx=" 200"\ny=" 150"\n' >>"$ini"
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    # The character window: a frameless tool window of the character's size.
    wait_until 30 "the 128x128 character window" character_found
    position() { xdotool getwindowgeometry "$win" | awk '/Position/ {print $2}'; }
    at_remembered() { [ "$(position)" = "200,150" ]; }
    poll 10 at_remembered || fail "the character window is at $(position), not at 200,150"
    # Clicks count once the character is painted: the body's middle no longer shows the desktop.
    painted() { [ "$(pixel 264 214)" != "$desktop" ]; }
    wait_until 30 "the character's body painted at 264,214" painted
    shot character
    # Right click on the middle of the body opens the menu: one more window of the program.
    before=$(count_windows)
    xdotool mousemove 264 214 click 3
    wait_until 20 "a menu after a right click on the character" more_windows_than "$before"
    shot menu
    # おわり is the fourth item.
    xdotool key Down Down Down Down Return
    wait_until 20 "the program to end after おわり" ended
    grep -q '^x=" 200"$' "$ini" || fail "x not saved as ' 200'"
    grep -q '^y=" 150"$' "$ini" || fail "y not saved as ' 150'"
    ;;
*)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac

if grep -v -E '^(QStandardPaths|qt\.qpa\.xcb: X server does not support XInput)' app.log | grep -q .; then
    fail "unexpected output"
fi
echo "PASS: $scenario"
