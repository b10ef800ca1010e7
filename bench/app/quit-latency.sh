#!/usr/bin/env bash
# How long quitting takes: the companion under Xvfb + openbox, おわり chosen from its menu, then
# the milliseconds until the character window is gone and until the process has ended, and
# whether the remembered position was on disk by the time the window went. Several rounds.
# usage: quit-latency.sh PROGRAM_DIR WORK_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program_dir=$1
work=$2
rounds=${3:-5}

source "$here/../../tests/e2e/workdir.sh"
enter_work_dir "$work" config/porukane program
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work LC_ALL=C.UTF-8
source "$here/../../tests/e2e/xsession.sh"
start_x_session 1024x768
# The clip marks the folder as the program folder (a portable layout), as in the build tree.
cp "$program_dir/porukane" "$program_dir/1.bin" "$program_dir/Findcomp.avi" program/
ini=config/porukane/Agent.ini

desktop=$(pixel 364 264)
printf '%-6s %12s %12s %s\n' round window_ms process_ms saved_when_window_went
for round in $(seq "$rounds"); do
    printf '[ver99]\n1_0=True\n[pos]\nx=" 300"\ny=" 200"\n' >"$ini"
    program/porukane >app.log 2>&1 &
    app=$!
    win=""
    for _ in $(seq 300); do
        for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
            xdotool getwindowgeometry "$id" | grep -q 'Geometry: 128x128' && win=$id
        done
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || fail "no character window"
    # The press must land on the drawn body: until the first frame is shown the window has no
    # pixel there and the press goes to the desktop.
    painted() { kill -0 "$app" 2>/dev/null && [ "$(pixel 364 264)" != "$desktop" ]; }
    wait_until 30 "the character's body shown at 364,264" painted
    # Drag by (40, 30) so that quitting has a new position to save.
    xdotool mousemove 364 264 mousedown 1
    for step in 1 2 3 4; do xdotool mousemove $((364 + step * 10)) $((264 + step * 8)); sleep 0.05; done
    xdotool mouseup 1
    dragged=no
    for _ in $(seq 50); do
        xdotool getwindowgeometry "$win" | grep -q 'Position: 340,232' && { dragged=yes; break; }
        sleep 0.1
    done
    xdotool mousemove 404 296 click 3
    sleep 0.5
    start=$(now_ms)
    xdotool key Down Down Down Down Return
    window_ms="" saved_first=no
    while kill -0 "$app" 2>/dev/null || [ -z "$window_ms" ]; do
        if [ -z "$window_ms" ] && ! xwininfo -id "$win" 2>/dev/null | grep -q IsViewable; then
            window_ms=$(($(now_ms) - start))
            grep -q '^x=" 340"$' "$ini" && grep -q '^y=" 232"$' "$ini" && saved_first=yes
        fi
        kill -0 "$app" 2>/dev/null || break
        sleep 0.005
    done
    process_ms=$(($(now_ms) - start))
    wait "$app" 2>/dev/null || true
    [ "$dragged" = yes ] || saved_first="(drag missed)"
    printf '%-6s %12s %12s %s\n' "$round" "${window_ms:-?}" "$process_ms" "$saved_first"
done
