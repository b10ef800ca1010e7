#!/usr/bin/env bash
# End to end: the real companion under Xvfb + openbox, with its own program folder and its own
# settings file.
#   notinstalled: empty program folder, setup done -> title screen, then the not-installed box;
#                 answering it ends the process and writes nothing.
#   companion:    our character as 1.bin, setup done, a remembered position -> the character
#                 appears there; a right click opens the five-item menu; おわり ends the program
#                 and the settings hold the remembered position in the exact text format.
#   tray:         as companion, under a notification area (trayer): a left click on the tray
#                 icon hides and shows the character; the menu mutes (remembered in the
#                 settings), writes and removes the autostart entry, and はじめの設定をやり直す
#                 opens the wizard although setup is recorded as done.
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

# The clip marks the folder as the program folder (a portable layout), as in the build tree.
cp "$program_dir/porukane" "$program_dir/Findcomp.avi" program/
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

find_character() {  # -> the character window's id (a 128x128 porukane window)
    local win=""
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --class porukane 2>/dev/null); do
            geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null || true)
            if echo "$geometry" | grep -q 'Geometry: 128x128'; then win=$id; fi
        done
        [ -n "$win" ] && { echo "$win"; return 0; }
        sleep 0.1
    done
    return 1
}

visible() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
wait_visible() {  # ID yes|no
    for _ in $(seq 100); do
        if visible "$1"; then [ "$2" = yes ] && return 0; else [ "$2" = no ] && return 0; fi
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
    win=$(find_character) || fail "the character did not appear"
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
tray)
    command -v trayer >/dev/null || { echo "SKIP: trayer is not installed"; exit 77; }
    [ -f "$program_dir/1.bin" ] || { echo "SKIP: our character was not built"; exit 77; }
    cp "$program_dir/1.bin" program/
    trayer --edge top --align right --widthtype pixel --width 100 --heighttype pixel \
        --height 24 >trayer.log 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")' && break
        sleep 0.1
    done
    sleep 0.5
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    win=$(find_character) || fail "the character did not appear"
    icon=""
    for _ in $(seq 50); do
        # The tray icon: a small window named after the program ("WxH+x+y  +absX+absY").
        icon=$(xwininfo -root -tree | sed -n \
            's/.*"porukane": ("porukane" "porukane")  *\([0-9]\{1,2\}\)x\([0-9]\{1,2\}\)+[-0-9]*+[-0-9]*  *+\([-0-9]*\)+\([-0-9]*\).*/\1 \2 \3 \4/p' | head -n 1)
        [ -n "$icon" ] && break
        sleep 0.1
    done
    [ -n "$icon" ] || fail "no tray icon in the notification area"
    read -r iw ih ix iy <<<"$icon"
    cx=$((ix + iw / 2)) cy=$((iy + ih / 2))
    sleep 1
    shot tray

    xdotool mousemove "$cx" "$cy" click 1
    wait_visible "$win" no || fail "a left click on the tray icon did not hide the character"
    sleep 0.8  # past the double-click interval
    xdotool mousemove "$cx" "$cy" click 1
    wait_visible "$win" yes || fail "a second left click did not show the character again"

    # menu: 1 隠す, 2 音を消す, 3 ログイン時に起動, 4 キャラクターを追加…, 5 はじめの設定をやり直す, 6 おわり
    tray_item() {
        sleep 0.8
        xdotool mousemove "$cx" "$cy" click 3
        sleep 0.8
        for _ in $(seq "$1"); do xdotool key Down; done
        xdotool key Return
    }
    tray_item 1
    wait_visible "$win" no || fail "隠す did not hide the character"
    kill -0 "$app" 2>/dev/null || fail "隠す ended the program"
    tray_item 1
    wait_visible "$win" yes || fail "表示 did not show the character"

    tray_item 2
    for _ in $(seq 50); do grep -q '^mute=True$' "$ini" && break; sleep 0.1; done
    grep -A1 '^\[sound\]' "$ini" | grep -q '^mute=True$' || fail "mute not remembered: $(cat "$ini")"

    entry=config/autostart/porukane.desktop
    tray_item 3
    for _ in $(seq 50); do [ -f "$entry" ] && break; sleep 0.1; done
    [ -f "$entry" ] || fail "no autostart entry"
    grep -q "^Exec=$work/program/porukane$" "$entry" || fail "autostart entry: $(cat "$entry")"
    tray_item 3
    for _ in $(seq 50); do [ -f "$entry" ] || break; sleep 0.1; done
    [ ! -f "$entry" ] || fail "the autostart entry was not removed"

    boxes() { (xdotool search --onlyvisible --name 'ﾎﾟﾙｶﾈ ９９' 2>/dev/null || true) | wc -l; }
    before=$(boxes)
    tray_item 5
    box=""
    for _ in $(seq 100); do
        [ "$(boxes)" -gt "$before" ] && { box=yes; break; }
        sleep 0.1
    done
    [ -n "$box" ] || fail "はじめの設定をやり直す showed no wizard"
    sleep 0.5
    shot wizard
    kill -0 "$app" 2>/dev/null || fail "the program ended"
    kill "$app"
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
