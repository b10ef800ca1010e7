#!/usr/bin/env bash
# Renders every frame of every animation of a character with `porukane-acs render` and lays
# them out as contact sheets, one row per animation, on a light and on a dark background (the
# character must read well on both). Zero-time frames are rendered too; they are usually blank.
#
# Usage: contact-sheet.sh [CHARACTER] [OUT_DIR]
#   CHARACTER  defaults to build/dev/program/1.bin
#   OUT_DIR    defaults to a new temporary folder; the sheets are OUT_DIR/sheet-light.png and
#              OUT_DIR/sheet-dark.png
# The tool is taken from $PORUKANE_ACS, else from the bin/ folder beside the character's
# program folder.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
character="${1:-$root/build/dev/program/1.bin}"
out="${2:-$(mktemp -d)}"
tool="${PORUKANE_ACS:-$(dirname "$character")/../bin/porukane-acs}"
# ImageMagick's own binaries, not any wrapper earlier on the PATH.
convert=/usr/bin/convert
montage=/usr/bin/montage

[ -f "$character" ] || { echo "no character at $character" >&2; exit 1; }
[ -x "$tool" ] || { echo "porukane-acs not found at $tool (set PORUKANE_ACS)" >&2; exit 1; }

mkdir -p "$out/frames" "$out/rows"
# One "name frameCount" line per animation, in directory order.
"$tool" info "$character" | python3 -c '
import json, sys
for a in json.load(sys.stdin)["animations"]:
    print(a["name"], len(a["frames"]))
' > "$out/animations.txt"

rows=()
n=0
while read -r name count; do
    files=()
    for ((f = 0; f < count; f++)); do
        png="$out/frames/$(printf '%02d' "$n")-$f.png"
        "$tool" render "$character" "$name" "$f" "$png"
        files+=("$png")
    done
    row="$out/rows/$(printf '%02d' "$n").png"
    "$montage" -label '%t' "${files[@]}" -tile "${count}x1" -geometry 128x128+3+3 \
        -background none -fill '#808080' -pointsize 9 "$row" 2>/dev/null ||
        "$montage" "${files[@]}" -tile "${count}x1" -geometry 128x128+3+3 -background none "$row"
    # The animation's name at the left of its row.
    "$convert" -background none -fill '#808080' -pointsize 14 -size 140x134 -gravity west \
        "label:$name" "$row" +append +repage "$row" 2>/dev/null || true
    rows+=("$row")
    n=$((n + 1))
done < "$out/animations.txt"

"$convert" -background none "${rows[@]}" -gravity west -append +repage "$out/sheet.png"
"$convert" "$out/sheet.png" -background '#f4f1ea' -flatten "$out/sheet-light.png"
"$convert" "$out/sheet.png" -background '#1e2630' -flatten "$out/sheet-dark.png"
echo "$out/sheet-light.png"
echo "$out/sheet-dark.png"
