#!/usr/bin/env bash
# A first run from nothing, driven like a user would: an empty settings store and a program
# folder holding only the program and its clips. The wizard's boxes are answered with the
# keyboard; the character download fetches a sample-character installer (our own character in
# a cabinet behind a Windows stub) from a loopback HTTP server, which extracts it into the
# Agent characters folder; the drive wizard imports it from there as 1.bin; the character
# then appears on the desktop.
# usage: firstrun.sh PORUKANE CHARACTER_ACS CLIP_DIR
# Exit 77 (skipped) when a tool or the character is missing.
set -euo pipefail
program=$1
character=$2
clips=$3

for tool in Xvfb openbox xdotool xwininfo python3 gcab; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -f "$character" ] || { echo "skipped: no character at $character"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- program log"; cat "$work/log" 2>/dev/null || true
    exit 1
}

mkdir -p "$work/program" "$work/config" "$work/data" "$work/home" "$work/www/agent2/chars" \
    "$work/cab"
cp "$program" "$work/program/porukane"
cp "$clips"/*.avi "$work/program/" 2>/dev/null || true

# The installer: a Windows stub, the cabinet, trailing data.
cp "$character" "$work/cab/Genie.acs"
printf '[Version]\r\n' > "$work/cab/Genie.inf"
(cd "$work/cab" && gcab -cz ../Genie.cab Genie.inf Genie.acs)
{ printf 'MZ'; head -c 4096 /dev/zero; cat "$work/Genie.cab"; head -c 512 /dev/zero; } \
    > "$work/www/agent2/chars/Genie.exe"

python3 - "$work/www" "$work/port" 2>"$work/server.log" <<'PY' &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.HTTPServer(("127.0.0.1", 0), handler)
with open(sys.argv[2] + ".tmp", "w") as f:
    f.write(str(server.server_port))
import os; os.rename(sys.argv[2] + ".tmp", sys.argv[2])
server.serve_forever()
PY
pids+=($!)

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && [ -s "$work/port" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
[ -s "$work/port" ] || fail "the HTTP server did not start"
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)

mkdir -p "$work/config/porukane"
printf '[download]\ncharacters=http://127.0.0.1:%s\n' "$(cat "$work/port")" \
    > "$work/config/porukane/Agent.ini"

env -u WAYLAND_DISPLAY XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb HOME="$work/home" \
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    "$work/program/porukane" >"$work/log" 2>&1 &
app=$!
pids+=("$app")

title='ﾎﾟﾙｶﾈ ９９'
export LC_ALL=C.UTF-8  # window names are UTF-8; xdotool matches them in the locale's encoding

# Prints the id of the first visible window named exactly $1 that is not in $2 (ids of windows
# already handled); waits up to 30 seconds.
window() {
    local id
    for _ in $(seq 300); do
        kill -0 "$app" 2>/dev/null || fail "the program ended early"
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            case " $handled " in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
        done
        sleep 0.1
    done
    fail "no window '$1'"
}

handled=""
# Activates the next window named $1 and types the keys that follow.
press() {
    local name=$1 id
    shift
    id=$(window "$name")
    handled="$handled $id"
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    sleep 0.3
    xdotool key --clearmodifiers "$@"
}

# The title screen carries the title too; it goes by itself after two seconds.
splash=$(window "$title")
handled="$splash"
for _ in $(seq 100); do
    xwininfo -id "$splash" 2>/dev/null | grep -q IsViewable || break
    sleep 0.1
done
press "$title" Return        # what the program is
press "$title" Return        # what has to be done first
press "$title" Return        # yes, download sample characters
press 'キャラクターダウンロード' space Tab Tab Tab Tab space   # tick Genie, press dl
press "$title" Return        # yes, connect to the internet
press "$title" Return        # yes, Office 2000 is installed
press 'ドライブ選択' End Tab space  # the downloaded characters come last; press ok
press "$title" Return        # the search starts
press "$title" Return        # one file found, copy it
press "$title" Return        # yes, setup is complete

# The character on the desktop: a visible window of the program named after no form.
for _ in $(seq 100); do
    shown=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | while read -r id; do
        xdotool getwindowname "$id"; done | grep -v -x -e "$title" -e 'キャラクターダウンロード' \
        -e 'ドライブ選択' || true)
    [ -n "$shown" ] && break
    sleep 0.1
done
[ -n "$shown" ] || fail "no character window"

grep -q '^1_0=True' "$work/config/porukane/Agent.ini" || fail "setup was not recorded"
cmp -s "$character" "$work/data/msagent/chars/Genie.acs" || fail "Genie.acs was not extracted"
cmp -s "$character" "$work/program/1.bin" || fail "1.bin is not the downloaded character"
[ -f "$work/program/1.exe" ] || fail "the installer was not stored"
[ ! -x "$work/program/1.exe" ] || fail "the installer was made executable"
# The program logs nothing a user should worry about.
if grep -i -e warning -e critical -e error "$work/log"; then fail "the program logged problems"; fi
echo "first run ended with '$shown' on screen"
