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

for cmd in Xvfb openbox xdotool; do
    command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
done
[ -x /usr/bin/import ] || { echo "SKIP: ImageMagick is not installed"; exit 77; }

rm -rf "$work"
mkdir -p "$work/runtime" "$work/config/porukane" "$work/program"
chmod 700 "$work/runtime"
cd "$work"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export HOME=$work
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

source "$here/../xsession.sh"
fail() {
    echo "FAIL: $*"
    echo "--- program output"; cat app.log 2>/dev/null || true
    exit 1
}
shot() { import -window root "$work/$1.png" 2>/dev/null || true; }

start_x_session 1024x768
sleep 1

cp "$program_dir/porukane" program/
ini=config/porukane/Agent.ini
printf '[ver99]\n1_0=True\n' >"$ini"

wait_for_window() {  # NAME SECONDS -> prints the window id
    local name=$1 seconds=$2 id=""
    for _ in $(seq $((seconds * 10))); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

wait_for_exit() {  # PID SECONDS
    for _ in $(seq $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

case "$scenario" in
notinstalled)
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    wait_for_window 'ﾎﾟﾙｶﾈ ９９' 10 >/dev/null || fail "no title screen"
    shot title
    # The not-installed box comes after the two-second wait.
    box=""
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name 'ﾎﾟﾙｶﾈ ９９' 2>/dev/null); do
            geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry/ {print $2}' || true)
            [ "$geometry" != "480x260" ] && box=$id
        done
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "no not-installed box"
    kill -0 "$app" 2>/dev/null || fail "ended before the box was answered"
    sleep 0.5
    shot notinstalled
    xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
    xdotool windowfocus --sync "$box" >/dev/null 2>&1 || true
    xdotool key Return
    wait_for_exit "$app" 10 || fail "still running after the box was answered"
    grep -q '^\[pos\]' "$ini" && fail "settings were written"
    ;;
companion)
    [ -f "$program_dir/1.bin" ] || { echo "SKIP: our character was not built"; exit 77; }
    cp "$program_dir/1.bin" program/
    printf '[pos]\nx=" 200"\ny=" 150"\n' >>"$ini"
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    # The character window: a frameless tool window of the character's size.
    win=""
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --class porukane 2>/dev/null); do
            geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null || true)
            if echo "$geometry" | grep -q 'Geometry: 128x128'; then win=$id; fi
        done
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || fail "the character did not appear"
    sleep 1.5
    shot character
    position=$(xdotool getwindowgeometry "$win" | awk '/Position/ {print $2}')
    [ "$position" = "200,150" ] || fail "character at $position, expected 200,150"
    # Right click on the middle of the body opens the menu.
    before=$(xdotool search --onlyvisible --class porukane 2>/dev/null | wc -l)
    xdotool mousemove 264 214 click 3
    menu=""
    for _ in $(seq 50); do
        after=$(xdotool search --onlyvisible --class porukane 2>/dev/null | wc -l)
        [ "$after" -gt "$before" ] && { menu=yes; break; }
        sleep 0.1
    done
    [ -n "$menu" ] || fail "right click opened no menu"
    sleep 0.3
    shot menu
    # おわり is the fourth item.
    xdotool key Down Down Down Down Return
    wait_for_exit "$app" 10 || fail "still running after おわり"
    grep -q '^x=" 200"$' "$ini" || fail "x not saved as ' 200': $(cat "$ini")"
    grep -q '^y=" 150"$' "$ini" || fail "y not saved as ' 150': $(cat "$ini")"
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
