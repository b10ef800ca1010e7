# Sourced first by the end-to-end tests and the desktop benchmarks (before xsession.sh, which
# wants to be sourced inside the work folder).
#
#   need_commands CMD...          skips the test (exit 77) when one of them is not installed
#   enter_work_dir DIR [SUB...]   DIR made afresh, with a private runtime folder and the
#                                 folders SUB..., becomes the working folder; XDG_RUNTIME_DIR
#                                 points into it; the X11 platform is used (no Wayland, no
#                                 platform preset by the caller's environment)

need_commands() {
    local cmd
    for cmd; do
        command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
    done
}

enter_work_dir() {
    local dir=$1 sub
    shift
    rm -rf "$dir"
    mkdir -p "$dir/runtime"
    chmod 700 "$dir/runtime"
    for sub; do mkdir -p "$dir/$sub"; done
    cd "$dir"
    export XDG_RUNTIME_DIR=$PWD/runtime
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}
