#!/usr/bin/env bash
# A first run from nothing, driven like a user would: an empty settings store and a program
# folder holding only the program and its clips. The wizard's boxes are answered with the
# keyboard; the character download fetches a sample-character installer (our own character in
# a cabinet behind a Windows stub) from a loopback HTTP server, which extracts it into the
# Agent characters folder; the drive wizard imports it from there as 1.bin; the character
# then appears on the desktop.
# usage: firstrun.sh PORUKANE CHARACTER_ACS CLIP_DIR WORK_DIR
# Exit 77 (skipped) when a tool or the character is missing.
set -euo pipefail
program=$(realpath "$1")
character=$(realpath "$2")
clips=$(realpath "$3")
work=$4
here=$(cd "$(dirname "$0")" && pwd)

for tool in xwininfo python3 gcab; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -f "$character" ] || { echo "skipped: no character at $character"; exit 77; }

rm -rf "$work"
mkdir -p "$work"
cd "$work"
mkdir -p program config data home www/agent2/chars cab
export LC_ALL=C.UTF-8  # window names are UTF-8; xdotool matches them in the locale's encoding
session_name=e2e_firstrun
session_logs=(app.log server.log config/porukane/Agent.ini)
source "$here/../xsession.sh"

cp "$program" program/porukane
cp "$clips"/*.avi program/ 2>/dev/null || true

# The installer: a Windows stub, the cabinet, trailing data.
cp "$character" cab/Genie.acs
printf '[Version]\r\n' > cab/Genie.inf
(cd cab && gcab -cz ../Genie.cab Genie.inf Genie.acs)
{ printf 'MZ'; head -c 4096 /dev/zero; cat Genie.cab; head -c 512 /dev/zero; } \
    > www/agent2/chars/Genie.exe

python3 - "$work/www" "$work/port" 2>server.log <<'PY' &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.HTTPServer(("127.0.0.1", 0), handler)
with open(sys.argv[2] + ".tmp", "w") as f:
    f.write(str(server.server_port))
import os; os.rename(sys.argv[2] + ".tmp", sys.argv[2])
server.serve_forever()
PY
pids+=($!)

start_x_session 1024x768
wait_until 20 "the HTTP server to write its port file" test -s port

mkdir -p config/porukane
printf '[download]\ncharacters=http://127.0.0.1:%s\n' "$(cat port)" > config/porukane/Agent.ini

env -u WAYLAND_DISPLAY XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb HOME="$work/home" \
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    program/porukane >app.log 2>&1 &
app=$!
pids+=("$app")

title='ﾎﾟﾙｶﾈ ９９'
running() { kill -0 "$app" 2>/dev/null || fail "the program ended early"; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
handled=""
# next_window NAME: sets `found` to a visible window named exactly NAME, not the 480x260 title
# screen and not one of the windows already handled
next_window() {
    local id
    running
    found=""
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        case " $handled " in *" $id "*) continue ;; esac
        [ "$(window_size "$id")" = 480x260 ] && continue
        found=$id
        return 0
    done
    return 1
}
# press WHAT NAME KEYS...: waits for the next window NAME (described as WHAT), activates it
# and types the keys
press() {
    local what=$1 name=$2
    shift 2
    wait_until 30 "$what: a new '$name' window" next_window "$name"
    handled="$handled $found"
    activate "$found"
    xdotool key --clearmodifiers "$@"
}
title_screen() {
    local id
    running
    splash=""
    for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
        [ "$(window_size "$id")" = 480x260 ] && splash=$id
    done
    [ -n "$splash" ]
}

# The title screen carries the title too; it goes by itself after two seconds.
wait_until 30 "the 480x260 title screen" title_screen
wait_until 30 "the title screen to go" eval '! viewable "$splash"'
press "the box telling what the program is" "$title" Return
press "the box telling what has to be done first" "$title" Return
press "the box offering sample characters" "$title" Return  # yes
press "the download form" 'キャラクターダウンロード' space Tab Tab Tab Tab space  # tick Genie, dl
press "the box asking to connect to the internet" "$title" Return  # yes
press "the box asking whether Office 2000 is installed" "$title" Return  # yes
press "the drive selection" 'ドライブ選択' End Tab space  # the downloaded characters come last; ok
press "the box announcing the search" "$title" Return
press "the box offering to copy the one file found" "$title" Return
press "the box asking whether setup is complete" "$title" Return  # yes

# The character on the desktop: a visible window of the program named after no form.
character_shown() {
    running
    shown=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | while read -r id; do
        xdotool getwindowname "$id"; done | grep -v -x -e "$title" -e 'キャラクターダウンロード' \
        -e 'ドライブ選択' || true)
    [ -n "$shown" ]
}
wait_until 30 "the character window" character_shown

recorded() { grep -q '^1_0=True' config/porukane/Agent.ini; }
wait_until 10 "setup recorded in Agent.ini (1_0=True)" recorded
cmp -s "$character" data/msagent/chars/Genie.acs || fail "Genie.acs was not extracted"
cmp -s "$character" program/1.bin || fail "1.bin is not the downloaded character"
[ -f program/1.exe ] || fail "the installer was not stored"
[ ! -x program/1.exe ] || fail "the installer was made executable"
# The program logs nothing a user should worry about.
if grep -i -e warning -e critical -e error app.log; then fail "the program logged problems"; fi
echo "first run ended with '$shown' on screen"
