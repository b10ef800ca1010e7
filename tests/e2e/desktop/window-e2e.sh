#!/usr/bin/env bash
# End to end: the character window's own test program (test_desktop_x11) on a real X server
# (Xvfb with a white root window, openbox), where the server paints the frames.
# usage: window-e2e.sh TEST_PROGRAM WORK_DIR      exit 77 = skipped (no Xvfb etc.)
set -euo pipefail
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$2
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../workdir.sh"
need_commands Xvfb openbox xdotool import
enter_work_dir "$work"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

session_name=e2e_desktop_window
session_logs=(window.log)
source "$here/../xsession.sh"
start_x_session 400x300 -wr

QT_QPA_PLATFORM=xcb "$program" >window.log 2>&1 || fail "the window's test program failed"
cat window.log
