# Sourced by the end-to-end tests and the desktop benchmarks, from inside their work folder: a
# private X server with a window manager, waits that fail with a reason, and failure reports.
#
#   start_x_session SIZE [XVFB_OPTIONS...]
#       Xvfb on a display number it picks itself (tests running side by side never race for
#       one), then openbox; returns once openbox manages windows (it has set
#       _NET_SUPPORTING_WM_CHECK on the root window), exports DISPLAY.
#   wait_until SECONDS WHAT COMMAND...   runs COMMAND until it succeeds; fails naming WHAT
#   poll SECONDS COMMAND...              the same, but only returns 1 when time is up
#   fail MESSAGE...                      reports and ends the test (also from inside $(...))
#   visible_windows                      one line per visible window: id, size+position, name
#   window_size ID                       "WxH" of a window
#   window_box ID                        "W H X Y" of a window on the screen
#   pixel X Y                            "r,g,b" of one screen pixel
#   shot_rgb X Y FILE                    "r,g,b" of one pixel of a screenshot file
#   activate ID                          activates a window and waits until it has the focus
#   selection_owned NAME                 whether a client owns an X selection (python3)
#   start_tray                           trayer's panel at the top right; returns once it owns
#                                        the system tray selection
#   tray_icon_box NAME                   "W H X Y" of the visible window NAME whose middle lies
#                                        in trayer's panel; fails while there is none
#
# Set before sourcing, or any time after: `session_name` (names the failure screenshot) and
# `session_logs` (files printed on failure). `pids` lists processes killed on exit.
# A failure prints the condition, the visible windows and the logs on stderr, which no command
# substitution captures, and keeps a screenshot in $E2E_FAILURE_DIR (the build tree's
# Testing/e2e-failures when run by CTest). A script that ends with a non-zero status for any
# other reason (a command failing under `set -e`) gets the same report.

pids=()
session_name=${session_name:-$(basename "$0" .sh)}
session_logs=(${session_logs[@]+"${session_logs[@]}"})
session_dir=$PWD
session_failed=$session_dir/.session-failed
rm -f "$session_failed"

# now_ms: wall-clock milliseconds
now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

poll() {
    local seconds=$1
    shift
    local end=$(($(now_ms) + seconds * 1000))
    while true; do
        "$@" && return 0
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.05
    done
}

wait_until() {
    local seconds=$1 what=$2
    shift 2
    poll "$seconds" "$@" || fail "waited ${seconds} s for $what"
}

visible_windows() {
    local id
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        # "Window 123 ... Position: 10,20 (screen: 0) ... Geometry: 64x64"
        printf '%s %s %s\n' "$id" \
            "$(xdotool getwindowgeometry "$id" 2>/dev/null |
                awk '/Position/ {p = $2} /Geometry/ {g = $2} END {print g "+" p}')" \
            "'$(xdotool getwindowname "$id" 2>/dev/null)'"
    done
}

# pixel X Y: "r,g,b" of one screen pixel
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*(\([0-9]*,[0-9]*,[0-9]*\).*/\1/p' | head -1
}

# shot_rgb X Y FILE: "r,g,b" of one pixel of a screenshot file
shot_rgb() {
    /usr/bin/convert "$3" -format \
        "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info:
}

# window_box ID -> "W H X Y" of a window on the screen
window_box() {
    xdotool getwindowgeometry "$1" 2>/dev/null |
        awk '/Position/ {split($2, p, ",")} /Geometry/ {split($2, g, "x")} END {print g[1], g[2], p[1], p[2]}'
}

window_size() {
    xdotool getwindowgeometry "$1" 2>/dev/null | awk '/Geometry/ {print $2}'
}

# selection_owned NAME: whether some client owns the X selection NAME
selection_owned() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
display = x.XOpenDisplay(None)
sys.exit(0 if display and x.XGetSelectionOwner(display, x.XInternAtom(display, sys.argv[1].encode(), 0)) else 1)
PY
}

start_tray() {
    trayer --edge top --align right --widthtype pixel --width 100 --heighttype pixel \
        --height 24 >trayer.log 2>&1 &
    pids+=($!)
    session_logs+=(trayer.log)
    wait_until 30 "trayer to own the _NET_SYSTEM_TRAY_S0 selection" \
        selection_owned _NET_SYSTEM_TRAY_S0
}

# tray_icon_box NAME: Qt shows a tray icon at the screen's corner until trayer has taken it
# into its panel; this finds it only once it is there.
tray_icon_box() {
    local panel id pw ph px py iw ih ix iy
    panel=$(xdotool search --onlyvisible --name '^panel$' 2>/dev/null | head -1)
    [ -n "$panel" ] || return 1
    read -r pw ph px py < <(window_box "$panel")
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] || continue
        read -r iw ih ix iy < <(window_box "$id")
        if [ $((ix + iw / 2)) -ge "$px" ] && [ $((ix + iw / 2)) -lt $((px + pw)) ] &&
            [ $((iy + ih / 2)) -ge "$py" ] && [ $((iy + ih / 2)) -lt $((py + ph)) ]; then
            echo "$iw $ih $ix $iy"
            return 0
        fi
    done
    return 1
}

is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# Asks the window manager to activate the window, again every second, until it is active.
activate() {
    local id=$1
    for _ in $(seq 20); do
        xdotool windowactivate "$id" >/dev/null 2>&1 || true
        poll 1 is_active "$id" && return 0
    done
    fail "window $id ($(xdotool getwindowname "$id" 2>/dev/null)) did not become active in 20 s"
}

session_report() {
    echo "FAIL ($session_name): $*"
    if [ -n "${DISPLAY:-}" ]; then
        echo "--- visible windows (id, size+position, name)"
        visible_windows || true
        echo "--- active window: $(xdotool getactivewindow 2>/dev/null || echo none)"
        local shots=${E2E_FAILURE_DIR:-$session_dir/e2e-failures}
        local shot
        shot=$shots/$session_name-$(date +%Y%m%d-%H%M%S)-$$.png
        if mkdir -p "$shots" && import -window root "$shot" 2>/dev/null; then
            echo "--- screenshot: $shot"
        fi
    fi
    local log
    for log in ${session_logs[@]+"${session_logs[@]}"}; do
        echo "--- $log"
        cat "$session_dir/$log" 2>/dev/null || echo "(none)"
    done
}

# Reports once per script, even when called from a subshell, then ends it.
fail() {
    if [ ! -e "$session_failed" ]; then
        : >"$session_failed"
        session_report "$@" >&2
    fi
    # Inside $(...) the exit would only end the subshell: end the script itself as well.
    [ "$BASHPID" = "$$" ] || kill -TERM "$$"
    exit 1
}

end_session() {
    local status=$?
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && [ ! -e "$session_failed" ]; then
        : >"$session_failed"
        session_report "ended with status $status at line ${session_error_line:-?}:" \
            "${session_error_command:-}" >&2
    fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    exit "$status"
}
trap end_session EXIT
trap 'exit 1' TERM INT
trap 'session_error_line=$LINENO session_error_command=$BASH_COMMAND' ERR

x_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }

wm_ready() {
    kill -0 "$wm_pid" 2>/dev/null || fail "openbox ended while starting (see openbox.log)"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'
}

start_x_session() {
    local size=$1
    shift
    for cmd in Xvfb openbox xdotool xprop; do
        command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
    done
    rm -f display
    Xvfb -displayfd 3 -screen 0 "${size}x24" -noreset -nolisten tcp "$@" 3>display 2>xvfb.log &
    pids+=($!)
    session_logs+=(xvfb.log openbox.log)
    wait_until 20 "Xvfb to report its display number" test -s display
    export DISPLAY=":$(cat display)"
    wait_until 20 "Xvfb on $DISPLAY to answer" x_answers
    openbox >openbox.log 2>&1 &
    wm_pid=$!
    pids+=($wm_pid)
    wait_until 30 "openbox to manage windows (_NET_SUPPORTING_WM_CHECK on the root)" wm_ready
}
