#pragma once

#include "clip/Clip.h"
#include "clip/Result.h"

#include <cstdint>
#include <span>

namespace clip {

// Strict mode refuses any damage (tools, tests). Lenient mode, used by the program, plays
// what it can: a file cut short keeps its complete frames, a malformed frame repeats the
// picture before it, and each such repair is noted in Clip::warnings.
enum class ReadMode { Strict, Lenient };

// Reads and checks a whole RIFF AVI progress clip from `bytes` (the file's contents; the span
// is not kept). Accepts one video stream of 8-bit BI_RLE8, 8-bit BI_RGB or 24-bit BI_RGB
// frames and no audio stream; everything else is refused with an Error carrying the code and
// the file offset of the offending field. Bytes after the RIFF end are ignored. Every frame's
// data is validated here, so a returned Clip can be played without further checks. Never
// throws; allocates at most a copy of the frame data and the palette.
Result<Clip> readClip(std::span<const std::uint8_t> bytes, ReadMode mode);

}  // namespace clip
