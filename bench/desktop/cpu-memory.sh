#!/usr/bin/env bash
# CPU and memory of the character on the desktop: `porukane-acs play` under Xvfb + openbox, for
# our own character (random animations and idling, as the companion runs it) and for a
# generated 160x128 character whose 48-frame animation stacks eight layers per frame and loops
# for ever (a new frame every 100 ms); each also with nothing playing (`--still`, idling off).
#
# CPU is the time the process's threads ran on a processor over the measured span, in percent
# of one core: the scheduler's own sum (se.sum_exec_runtime in /proc/PID/task/*/sched, to the
# microsecond) where the kernel shows it, else user + system time from /proc/PID/stat (whole
# clock ticks: 10 ms steps, 0.017 % of a minute). On a busy machine this stays close to the
# work the program itself did, where wall-clock sampling would not. Peak RSS is VmHWM. The
# number of frames prepared (cache misses) and drawn (handed to the X server, which shows runs
# of them on its own clock) comes from the program itself. The X server's own share over the
# same span is shown beside it: the work of showing each frame is done there.
#
# Aims: animating <= 0.15 %, idle 0.00 %, peak RSS < 40 MB; a miss is marked, not fatal. The
# run fails (exit 1) when an animating run painted no frame, which would make its figure
# meaningless, when the still generated character's plate is not on the screen, or when a
# still run used measurable CPU (>= 0.01 %).
#
# With WAKE_FLOOR (bench_wake_floor), a Qt program that only wakes ten times a second is
# measured too: the part of the animating figures that any Qt program waking at the
# character's frame rate pays on this machine.
# usage: cpu-memory.sh PORUKANE_ACS WORK_DIR [OWN_CHARACTER [WAKE_FLOOR]]
#        BENCH_SECONDS overrides the 60 s per run; BENCH_SCALE passes --scale to every run.
set -euo pipefail
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # scripts below change directory
work=$2
own=${3:-}
[ -z "$own" ] || own=$(cd "$(dirname "$own")" && pwd)/$(basename "$own")
floor=${4:-}
[ -z "$floor" ] || floor=$(cd "$(dirname "$floor")" && pwd)/$(basename "$floor")
seconds=${BENCH_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/e2e/workdir.sh"
need_commands Xvfb openbox xdotool python3 import
enter_work_dir "$work"

session_name=bench_desktop
session_logs=(build.log)
source "$here/../../tests/e2e/xsession.sh"
start_x_session 1024x768
xserver=${pids[0]}  # the session's first process is its Xvfb

python3 "$here/make-layered.py" "$work" >build.log
"$tool" build layered.json layered.acs >>build.log

scale_args=()
[ -z "${BENCH_SCALE:-}" ] || scale_args=(--scale "$BENCH_SCALE")
ticks_per_second=$(getconf CLK_TCK)
status=0
if grep -qs '^se.sum_exec_runtime' /proc/self/sched; then
    cpu_source="scheduler run time of every thread, /proc/PID/task/*/sched"
else
    cpu_source="user+sys clock ticks, /proc/PID/stat"
fi
# cpu_ms PID: the processor time of the process so far, in milliseconds.
cpu_ms() {
    case $cpu_source in
        scheduler*)
            cat /proc/"$1"/task/*/sched 2>/dev/null |
                awk '/^se.sum_exec_runtime/ {sum += $3} END {printf "%.3f\n", sum}' ;;
        *) awk -v hz="$ticks_per_second" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat" ;;
    esac
}
# percent T0_MS T1_MS: the processor time between them in percent of one core over the run
percent() { awk -v a="$1" -v b="$2" -v s="$seconds" 'BEGIN { printf "%.3f", (b - a) / 10 / s }'; }
# measure LABEL KIND FILE ARGS...: KIND is "animating", "still" or "floor" (FILE is then the
# wake-floor program). Skips 3 s of start-up, then measures for the run's seconds; the
# program quits by itself one second later and reports its frame counts.
measure() {
    local label=$1 kind=$2 file=$3
    shift 3
    if [ "$kind" = floor ]; then
        "$file" $((seconds + 4)) >"$label.log" 2>&1 &
    else
        "$tool" play "$file" "${scale_args[@]}" "$@" --report-frames \
            --quit-after $((seconds + 4)) >"$label.log" 2>&1 &
    fi
    local pid=$!
    pids+=($pid)
    session_logs+=("$label.log")
    shown() {
        kill -0 "$pid" 2>/dev/null || fail "$label: the program ended"
        grep -q '^shown at\|^ready' "$label.log"
    }
    wait_until 30 "$label: the character shown" shown
    sleep 3  # start-up settles: not part of the measurement
    local t0 t1 x0 x1 rss_kb
    t0=$(cpu_ms "$pid")
    x0=$(cpu_ms "$xserver")
    sleep "$seconds"
    t1=$(cpu_ms "$pid")
    x1=$(cpu_ms "$xserver")
    rss_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    if [ "$kind" = floor ]; then
        wait "$pid" || true
        printf '%-18s cpu %7s %% of one core   peak rss %6s MB   x server %7s %%\n' "$label" \
            "$(percent "$t0" "$t1")" "$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')" \
            "$(percent "$x0" "$x1")"
        return
    fi
    if [ "$label" = layered-still ]; then
        # The plate's yellow square at frame pixel (80, 64) must be on the screen.
        local x y scale body
        read -r x y scale < <(sed -n 's/^shown at \([-0-9]*\),\([-0-9]*\) .* scale \([0-9]*\)$/\1 \2 \3/p' "$label.log")
        body=$(pixel $((x + 80 * scale)) $((y + 64 * scale)))
        [ "$body" = "220,200,40" ] || fail "$label: no frame on the screen (the plate's pixel shows $body)"
    fi
    wait "$pid" || true
    local prepared drawn
    read -r prepared drawn < <(sed -n 's/^frames prepared \([0-9]*\) drawn \([0-9]*\)$/\1 \2/p' \
        "$label.log")
    local cpu rss_mb marks=""
    cpu=$(percent "$t0" "$t1")
    rss_mb=$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')
    if [ -z "$drawn" ]; then
        marks="NO FRAME REPORT"
        status=1
    elif [ "$kind" = animating ]; then
        if [ "$drawn" -le 1 ]; then marks="NO FRAME DRAWN"; status=1; fi
        if awk -v c="$cpu" 'BEGIN { exit !(c > 0.15) }'; then marks+=" over aim"; fi
    elif awk -v c="$cpu" 'BEGIN { exit !(c >= 0.01) }'; then
        marks="CPU WHILE STILL"
        status=1
    fi
    if awk -v r="$rss_mb" 'BEGIN { exit !(r >= 40) }'; then marks+=" rss over aim"; fi
    printf '%-18s cpu %7s %% of one core   peak rss %6s MB   frames prepared %5s drawn %6s   x server %7s %%  %s\n' \
        "$label" "$cpu" "$rss_mb" "${prepared:--}" "${drawn:--}" "$(percent "$x0" "$x1")" "$marks"
}

echo "porukane-acs play, ${seconds} s per run; cpu = $cpu_source"
echo "aims: animating <= 0.15 %, still 0.00 %, peak rss < 40 MB"
if [ -n "$own" ]; then
    measure own-animating animating "$own"
    measure own-still still "$own" --still
fi
measure layered-animating animating layered.acs Dance --still
measure layered-still still layered.acs --still
[ -z "$floor" ] || measure qt-wake-floor floor "$floor"
exit $status
