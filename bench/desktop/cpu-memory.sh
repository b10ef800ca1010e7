#!/usr/bin/env bash
# CPU and memory of the character on the desktop: runs `porukane-acs play` under Xvfb +
# openbox, first with an animation that loops for ever (a new frame every 100 ms), then with
# nothing playing and idling off. Reports the average CPU in percent of one core and the peak
# resident memory of each run. Targets: idle 0.0 %, animating under 1 %, peak RSS under 50 MB;
# exits 1 when one is missed, and when the character was not painted: the animating run must
# show the eye blinking on the screen (frames drawn), the idle run the character's body.
# usage: cpu-memory.sh PORUKANE_ACS WORK_DIR     (BENCH_SECONDS overrides the 60 s per run)
set -euo pipefail
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # scripts below change directory
work=$2
seconds=${BENCH_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
command -v import >/dev/null || { echo "needs ImageMagick's import"; exit 2; }

rm -rf "$work"
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
cd "$work"
export XDG_RUNTIME_DIR=$work/runtime
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
session_name=bench_desktop
session_logs=(build.log)
source "$here/../../tests/e2e/xsession.sh"
start_x_session 1024x768

# pixel X Y: "r,g,b" of one screen pixel
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*(\([0-9]*,[0-9]*,[0-9]*\).*/\1/p' | head -1
}

# The end-to-end character, with its looping Blink sped up to ten frames a second.
bash "$here/../../tests/e2e/desktop/make-character.sh" "$tool" "$work" >build.log
sed -i 's/"durationMs": 300/"durationMs": 100/g' e2e.json
"$tool" build e2e.json e2e.acs >>build.log

ticks_per_second=$(getconf CLK_TCK)
status=0
# measure LABEL TARGET LIMIT ARGS...: runs play, skips 3 s of start-up, then samples; the run
# misses its target when the CPU share exceeds LIMIT (0.04 shows as 0.0 %, 0.99 is under 1 %)
measure() {
    local label=$1 target=$2 limit=$3
    shift 3
    "$tool" play e2e.acs "$@" >"$label.log" 2>&1 &
    local pid=$!
    pids+=($pid)
    session_logs+=("$label.log")
    shown() { kill -0 "$pid" 2>/dev/null || fail "$label: the program ended"; grep -q '^shown at' "$label.log"; }
    wait_until 30 "$label: the character shown" shown
    local x y
    read -r x y < <(sed -n 's/^shown at \([-0-9]*\),\([-0-9]*\) .*/\1 \2/p' "$label.log")
    sleep 3  # start-up settles: not part of the measurement
    local t0 t1
    t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    local rss_kb
    rss_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    # Frames drawn: the body's red must be on the screen; while Blink loops, the eye's pixel
    # must change colour (red, green, red) within ten seconds.
    local body eye last="" changes=0 frames="the body painted"
    body=$(pixel $((x + 12)) $((y + 40)))
    [ "$body" = "208,32,32" ] || fail "$label: no frame drawn (the body's pixel shows $body)"
    if [ "$label" = animating ]; then
        local end=$((SECONDS + 10))
        while [ "$changes" -lt 2 ] && [ "$SECONDS" -lt "$end" ]; do
            eye=$(pixel $((x + 22)) $((y + 16)))
            [ -n "$last" ] && [ "$eye" != "$last" ] && changes=$((changes + 1))
            last=$eye
        done
        [ "$changes" -ge 2 ] || fail "$label: the blinking eye did not change on the screen in 10 s"
        frames="the eye changed twice"
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    local cpu rss_mb verdict="ok"
    cpu=$(awk -v d="$((t1 - t0))" -v hz="$ticks_per_second" -v s="$seconds" \
        'BEGIN { printf "%.2f", 100 * d / hz / s }')
    rss_mb=$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')
    if awk -v c="$cpu" -v l="$limit" -v r="$rss_mb" 'BEGIN { exit !(c > l || r >= 50) }'; then
        verdict="OVER TARGET"
        status=1
    fi
    printf '%-10s cpu %6s %% of one core (target %s)   peak rss %6s MB (target < 50)   %s, %s\n' \
        "$label" "$cpu" "$target" "$rss_mb" "$frames" "$verdict"
}

echo "porukane-acs play, ${seconds} s per run"
measure animating "< 1 %" 0.99 Blink --still
measure idle "0.0 %" 0.04 --still
exit $status
