# Sourced by the end-to-end tests: a private X server with a window manager for one test.
# Defines `pids` (killed on exit), and `start_x_session SIZE [XVFB_OPTIONS...]`, which starts
# Xvfb on a display number it picks itself (so tests running side by side never race for one),
# exports DISPLAY, waits until the server answers and starts openbox. Needs `fail` defined.

pids=()
cleanup_x_session() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup_x_session EXIT

start_x_session() {
    local size=$1
    shift
    Xvfb -displayfd 3 -screen 0 "${size}x24" -noreset -nolisten tcp "$@" 3>display 2>xvfb.log &
    pids+=($!)
    for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
    [ -s display ] || fail "Xvfb did not start"
    export DISPLAY=":$(cat display)"
    for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start"
    openbox >openbox.log 2>&1 &
    pids+=($!)
}
