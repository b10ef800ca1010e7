#!/usr/bin/env bash
# Builds the end-to-end test character with `porukane-acs build`: a 64x64 frame holding a red
# 48x48 body at (8, 8) with a 16x16 hole in its middle, so that the frame's corners and the
# hole are transparent. Animations: Show, Hide, RestPose (the body), and Blink, which loops
# for ever between the body and the body with a green eye (300 ms per frame). Show starts a
# short 8-bit PCM beep, so the sound path runs too (silently where there is no audio device).
# usage: make-character.sh PORUKANE_ACS OUT_DIR   -> OUT_DIR/e2e.acs
set -euo pipefail
tool=$1
out=$2
mkdir -p "$out"
im=/usr/bin/convert  # ImageMagick itself, whatever else is first on PATH

"$im" -size 48x48 xc:'#d02020' -alpha set \( -size 16x16 xc:none \) -geometry +16+16 \
    -compose Copy -composite -define png:color-type=6 "$out/body.png"
"$im" -size 8x8 xc:'#20c020' -define png:color-type=6 "$out/eye.png"

python3 - "$out/beep.wav" <<'PY'
import math, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(1)
    w.setframerate(11025)
    w.writeframes(bytes(128 + int(60 * math.sin(i * 0.25)) for i in range(2205)))
PY

cat > "$out/e2e.json" <<'JSON'
{
  "width": 64, "height": 64, "transparentIndex": 0, "palette": "derive",
  "images": ["body.png", "eye.png"], "sounds": ["beep.wav"],
  "names": {"0x0409": {"name": "E2E Tester"}, "0x0411": {"name": "テスト君"}},
  "animations": [
    {"name": "Show", "frames": [{"durationMs": 200, "images": [[0, 8, 8]], "sound": 0}]},
    {"name": "Hide", "frames": [{"durationMs": 200, "images": [[0, 8, 8]]}]},
    {"name": "RestPose", "frames": [{"durationMs": 100, "images": [[0, 8, 8]]}]},
    {"name": "Blink", "frames": [
      {"durationMs": 300, "images": [[0, 8, 8]]},
      {"durationMs": 300, "images": [[1, 20, 14], [0, 8, 8]], "branches": [[0, 100]]}
    ]}
  ],
  "states": {"Showing": ["Show"], "Hiding": ["Hide"]}
}
JSON
"$tool" build "$out/e2e.json" "$out/e2e.acs"
