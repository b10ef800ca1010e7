#!/usr/bin/env python3
"""Writes a 160x128 benchmark character for `porukane-acs build`: a background plate and
24 small sprites, and an animation "Dance" of 48 frames (100 ms each) that each stack eight
layers at shifting places and loop for ever (the last frame branches back to the first).
usage: make-layered.py OUT_DIR   -> OUT_DIR/layered.json and its images"""
import json
import os
import struct
import sys
import zlib


def png(path, width, height, pixel):
    """An RGBA PNG; pixel(x, y) -> (r, g, b, a)."""
    rows = b"".join(
        b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


out = sys.argv[1]
os.makedirs(out, exist_ok=True)
colours = [(200, 40, 40), (40, 160, 40), (40, 40, 200), (220, 200, 40), (200, 80, 200),
           (40, 200, 200), (240, 240, 240), (90, 60, 30)]
images = ["plate.png"]
png(os.path.join(out, "plate.png"), 120, 100,
    lambda x, y: (*colours[(x // 10 + y // 10) % 4], 255) if (x - 60) ** 2 * 100 // 36 +
    (y - 50) ** 2 * 100 // 25 < 2500 else (0, 0, 0, 0))
for i in range(24):
    name = f"sprite{i}.png"
    size = 12 + i % 5 * 4
    png(os.path.join(out, name), size, size,
        lambda x, y, s=size, c=colours[i % len(colours)]:
        (*c, 255) if (x - s // 2) ** 2 + (y - s // 2) ** 2 < (s // 2) ** 2 else (0, 0, 0, 0))
    images.append(name)

frames = []
for f in range(48):
    layers = [[1 + (f + k * 3) % 24, (f * 7 + k * 19) % 130, (f * 5 + k * 23) % 100]
              for k in range(7)]
    layers.append([0, 20, 14])  # the plate at the bottom
    frame = {"durationMs": 100, "images": layers}
    if f == 47:
        frame["branches"] = [[0, 100]]
    frames.append(frame)
manifest = {
    "width": 160, "height": 128, "transparentIndex": 0, "palette": "derive",
    "images": images,
    "names": {"0x0409": {"name": "Layered"}, "0x0411": {"name": "かさね"}},
    "animations": [
        {"name": "Show", "frames": [{"durationMs": 100, "images": [[0, 20, 14]]}]},
        {"name": "Hide", "frames": [{"durationMs": 100, "images": [[0, 20, 14]]}]},
        {"name": "RestPose", "frames": [{"durationMs": 100, "images": [[0, 20, 14]]}]},
        {"name": "Dance", "frames": frames},
    ],
    "states": {"Showing": ["Show"], "Hiding": ["Hide"]},
}
with open(os.path.join(out, "layered.json"), "w", encoding="utf-8") as f:
    json.dump(manifest, f, ensure_ascii=False, indent=1)
