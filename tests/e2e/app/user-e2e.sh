#!/usr/bin/env bash
# End to end: what a new user does, on a real X server with openbox.
#   titlekey: the title screen closes on a key press that the test sends to whatever window has
#             the focus, without activating the title screen itself.
#   import:   first run, no download, the drive import from a folder holding one good
#             character, one Agent 1.5 file and one truncated file; the old character files are
#             replaced by the good one alone and the companion shows it.
#   drag:     the character dragged with the mouse comes back where it was dropped after おわり.
# usage: user-e2e.sh SCENARIO PROGRAM_DIR WORK_DIR      exit 77 = skipped
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scenario=$1
program_dir=$2
work=$3

source "$here/../workdir.sh"
need_commands Xvfb openbox xdotool xwininfo
[ -f "$program_dir/1.bin" ] || { echo "SKIP: our character was not built"; exit 77; }

enter_work_dir "$work" config/porukane program data
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work LC_ALL=C.UTF-8

session_name="user-$scenario" session_logs=(app.log xmessage.log)
source "$here/../xsession.sh"
start_x_session 1024x768

cp "$program_dir/porukane" program/
cp "$program_dir"/*.avi program/ 2>/dev/null || true
ini=config/porukane/Agent.ini
title='ﾎﾟﾙｶﾈ ９９'

running() { kill -0 "$app" 2>/dev/null; }
ended() { ! kill -0 "$app" 2>/dev/null; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
gone() { ! viewable "$1"; }
# The first visible window named exactly NAME that is not in $handled.
find_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        case " $handled " in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
    done
    return 1
}
window() {  # NAME -> id, waiting up to 30 s
    local id=""
    for _ in $(seq 300); do
        running || fail "the program ended early"
        id=$(find_window "$1") && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window '$1'"
}
# The title screen: the 480x260 window named like the program, up to 30 s. Prints nothing when
# a box of the program came first (the title screen had come and gone unseen).
splash_window() {
    local id
    for _ in $(seq 300); do
        running || fail "the program ended early"
        for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
            if xwininfo -id "$id" 2>/dev/null | grep -q -- '-geometry 480x260'; then
                echo "$id"
            fi
            return 0
        done
        sleep 0.1
    done
    fail "no window '$title'"
}
handled=""
press() {  # NAME KEYS...: activates the next window named NAME and types KEYS
    local name=$1 id
    shift
    id=$(window "$name")
    handled="$handled $id"
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    poll 5 is_active "$id" || true
    xdotool key --clearmodifiers "$@"
}
# The character window: a visible window of the program of the character's size. A change of
# character now and then puts a new window in its place, so it is looked up each time.
character_window() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
        xdotool getwindowgeometry "$id" 2>/dev/null | grep -q 'Geometry: 128x128' && {
            echo "$id"; return 0; }
    done
    return 1
}

case "$scenario" in
titlekey)
    printf '[ver99]\n1_0=True\n' >"$ini"
    # Another program has the keyboard when the companion starts.
    xmessage -name other 'another program' >xmessage.log 2>&1 &
    pids+=($!)
    other=""
    poll 30 sh -c "xdotool search --onlyvisible --classname '^other\$' >/dev/null 2>&1" ||
        { echo "SKIP: xmessage did not start"; exit 77; }
    other=$(xdotool search --onlyvisible --classname '^other$' | head -n 1)
    xdotool windowactivate --sync "$other" >/dev/null 2>&1 || true
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    splash=$(splash_window)
    [ -n "$splash" ] || fail "the title screen was not seen"
    # The key goes to the focused window, whichever that is; only the title screen's own
    # request for activation can have made it the title screen.
    poll 5 is_active "$splash" ||
        fail "the title screen did not get the keyboard (active: $(xdotool getactivewindow 2>/dev/null || echo none))"
    xdotool key a
    # Closed by the key, long before its two seconds are up.
    poll 1 gone "$splash" || fail "the title screen stayed after the key press"
    ;;
import)
    printf '[download]\ncharacters=http://127.0.0.1:9\n' >"$ini"
    # Old characters that the import replaces.
    cp "$program_dir/1.bin" program/1.bin
    printf 'an old character' >program/2.bin
    chars=data/msagent/chars
    mkdir -p "$chars"
    cp "$program_dir/1.bin" "$chars/good.acs"
    { printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1'; head -c 4088 /dev/zero; } >"$chars/agent15.acs"
    head -c $(($(stat -c %s "$program_dir/1.bin") / 2)) "$program_dir/1.bin" >"$chars/cut.acs"
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    splash=$(splash_window)
    [ -z "$splash" ] || poll 30 gone "$splash" || fail "the title screen stayed"
    press "$title" Return   # what the program is
    press "$title" Return   # what has to be done first
    press "$title" n        # no download
    press "$title" Return   # yes, Office 2000 is installed
    press 'ドライブ選択' End Tab space  # the downloaded characters come last; press ok
    press "$title" Return   # the search starts
    press "$title" Return   # one file to copy, the two others named with why
    press "$title" Return   # yes, setup is complete
    poll 30 character_window >/dev/null || fail "no character window"
    [ "$(ls program/*.bin)" = "program/1.bin" ] || fail "character files: $(ls program)"
    cmp -s "$program_dir/1.bin" program/1.bin || fail "1.bin is not the good character"
    [ ! -e "program/import.tmp" ] || fail "the staging folder was left"
    [ "$(grep -c '^not copied: ' app.log)" = 2 ] || fail "the two broken files were not left out"
    ;;
drag)
    desktop=$(pixel 264 214)
    printf '[ver99]\n1_0=True\n[pos]\nx=" 200"\ny=" 150"\n' >"$ini"
    cp "$program_dir/1.bin" program/
    program/porukane >app.log 2>&1 &
    app=$!
    pids+=($app)
    poll 30 character_window >/dev/null || fail "the character did not appear"
    position() {
        local win
        win=$(character_window) || return 0
        xdotool getwindowgeometry "$win" 2>/dev/null | awk '/Position/ {print $2}'
    }
    at() { [ "$(position)" = "$1" ]; }
    poll 15 at 200,150 || fail "character at '$(position)', not at 200,150"
    # The press must land on the drawn body: until the first frame is painted and shaped, the
    # window lets clicks through to the desktop.
    painted() { running && [ "$(pixel 264 214)" != "$desktop" ]; }
    wait_until 30 "the character's body painted at 264,214" painted
    # Left button down on the middle of the body, a drag in steps to 564,414, button up. A
    # change of character in the middle of a drag puts the new one where the old one stood:
    # it is dragged again from there.
    for _ in 1 2 3; do
        IFS=, read -r x y <<<"$(position)"
        [ -n "$y" ] || { poll 15 character_window >/dev/null; continue; }
        x=$((x + 64)) y=$((y + 64))
        xdotool mousemove "$x" "$y" mousedown 1
        for step in 1 2 3 4 5 6 7 8 9 10; do
            xdotool mousemove $((x + (564 - x) * step / 10)) $((y + (414 - y) * step / 10))
            sleep 0.05
        done
        xdotool mouseup 1
        poll 10 at 500,350 && break
    done
    at 500,350 || fail "the drag did not move the character: it is at '$(position)'"
    # おわり from the menu: a right click, the fourth item.
    before=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l)
    xdotool mousemove 564 414 click 3
    poll 15 sh -c "[ \$(xdotool search --onlyvisible --pid $app 2>/dev/null | wc -l) -gt $before ]" ||
        fail "right click opened no menu"
    xdotool key Down Down Down Down Return
    poll 10 ended || fail "still running after おわり"
    grep -q '^x=" 500"$' "$ini" || fail "x not saved as ' 500': $(cat "$ini")"
    grep -q '^y=" 350"$' "$ini" || fail "y not saved as ' 350': $(cat "$ini")"
    ;;
*)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac
echo "PASS: $scenario"
