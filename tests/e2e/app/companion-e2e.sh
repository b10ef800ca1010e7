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

source "$here/../workdir.sh"
need_commands import
enter_work_dir "$work" config/porukane program
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work
export LC_ALL=C.UTF-8  # window names are UTF-8; xdotool matches them in the locale's encoding

session_name=e2e_app_$scenario
session_logs=(app.log config/porukane/Agent.ini)
source "$here/../xsession.sh"
shot() { import -window root "$work/$1.png" 2>/dev/null || true; }

start_x_session 1024x768
desktop=$(pixel 264 214)

# The clip marks the folder as the program folder (a portable layout), as in the build tree.
cp "$program_dir/porukane" "$program_dir/Findcomp.avi" program/
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
# The character: a visible 128x128 window of the program. Now and then the program changes
# the character (one chance in fifty each time it plays a random animation), and a new window
# takes the place of the old one: the window is looked up each time, never kept by its id.
character_windows() {
    local id
    for id in $(xdotool search --onlyvisible --class porukane 2>/dev/null); do
        [ "$(window_size "$id")" = "128x128" ] && echo "$id"
    done
    return 0
}
# sets `win` to the character window
character_found() {
    running
    win=$(character_windows | tail -n 1)
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
    position() {
        character_found || return 0
        xdotool getwindowgeometry "$win" | awk '/Position/ {print $2}'
    }
    at_remembered() { [ "$(position)" = "200,150" ]; }
    poll 10 at_remembered || fail "the character window is at $(position), not at 200,150"
    # Clicks count once the character is painted: the body's middle no longer shows the desktop.
    painted() { [ "$(pixel 264 214)" != "$desktop" ]; }
    wait_until 30 "the character's body painted at 264,214" painted
    shot character
    # Right click on the middle of the body opens the menu: one more window of the program.
    # A click in the moment a change of character has no window there goes to the desktop:
    # click again while no menu has come.
    before=$(count_windows)
    for _ in 1 2 3; do
        xdotool mousemove 264 214 click 3
        poll 7 more_windows_than "$before" && break
    done
    more_windows_than "$before" || fail "no menu after three right clicks on the character"
    shot menu
    # おわり is the fourth item.
    xdotool key Down Down Down Down Return
    wait_until 20 "the program to end after おわり" ended
    grep -q '^x=" 200"$' "$ini" || fail "x not saved as ' 200'"
    grep -q '^y=" 150"$' "$ini" || fail "y not saved as ' 150'"
    ;;
tray)
    command -v trayer >/dev/null || { echo "SKIP: trayer is not installed"; exit 77; }
    [ -f "$program_dir/1.bin" ] || { echo "SKIP: our character was not built"; exit 77; }
    cp "$program_dir/1.bin" program/
    start_tray
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    wait_until 30 "the 128x128 character window" character_found
    # The tray icon: the window named after the program; its middle is clicked.
    tray_icon() {
        running
        local box iw ih ix iy
        box=$(tray_icon_box porukane) || return 1
        read -r iw ih ix iy <<<"$box"
        cx=$((ix + iw / 2)) cy=$((iy + ih / 2))
    }
    wait_until 20 "a visible tray icon inside trayer's panel" tray_icon
    shot tray
    # While a change of character is under way no window shows for a moment; a hide asked for
    # before is still carried out after it, and the program changes no hidden character.
    shown() { character_found; }
    hidden() { running; [ -z "$(character_windows)" ]; }
    # An icon just taken into the panel may miss the first click: click again while the
    # character stays.
    for _ in 1 2 3; do
        xdotool mousemove "$cx" "$cy" click 1
        poll 10 hidden && break
    done
    hidden || fail "three left clicks on the tray icon at $cx,$cy did not hide the character"

    # tray_item N [opens-window]: the Nth item of the tray menu (1 隠す/表示, 2 音を消す, 3 ログイン時に起動,
    # 4 キャラクターを追加…, 5 はじめの設定をやり直す, 6 おわり)
    tray_item() {
        local before
        before=$(xdotool search --onlyvisible --class porukane 2>/dev/null | sort)
        # the menu: a visible window of the program that was not there before the click
        # (never a character window, which 表示 maps again)
        menu_shown() {
            local id
            running
            menu=""
            for id in $(comm -13 <(echo "$before") \
                <(xdotool search --onlyvisible --class porukane 2>/dev/null | sort)); do
                [ "$(window_size "$id")" != 128x128 ] && menu=$id
            done
            [ -n "$menu" ]
        }
        # A click that comes while the icon is still busy with the last menu may be lost: click
        # again while no menu has come.
        for _ in 1 2 3 4; do
            xdotool mousemove "$cx" "$cy" click 3
            poll 5 menu_shown && break
        done
        menu_shown || fail "no menu after four right clicks on the tray icon at $cx,$cy"
        for _ in $(seq "$1"); do xdotool key Down; done
        xdotool key Return
        [ "${2:-}" = opens-window ] && return 0
        wait_until 20 "the tray menu to close after item $1" eval '! viewable "$menu"'
    }
    tray_item 1
    wait_until 20 "表示 to show the character" shown
    tray_item 1
    wait_until 20 "隠す to hide the character" hidden
    xdotool mousemove "$cx" "$cy" click 1
    wait_until 20 "a left click on the tray icon to show the character" shown

    tray_item 2
    muted() { grep -A1 '^\[sound\]' "$ini" | grep -q '^mute=True$'; }
    wait_until 20 "mute=True under [sound] in the settings" muted

    entry=config/autostart/porukane.desktop
    tray_item 3
    wait_until 20 "the autostart entry $entry" test -f "$entry"
    grep -q "^Exec=$work/program/porukane$" "$entry" || fail "autostart entry: $(cat "$entry")"
    tray_item 3
    wait_until 20 "the autostart entry to be removed" test ! -f "$entry"

    boxes() { (xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true) | wc -l; }
    before_boxes=$(boxes)
    more_boxes() { running; [ "$(boxes)" -gt "$before_boxes" ]; }
    tray_item 5 opens-window
    wait_until 20 "a wizard box after はじめの設定をやり直す" more_boxes
    shot wizard
    running
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
