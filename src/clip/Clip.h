#pragma once

#include "bytes/Colour.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace clip {

// Largest width or height we accept. Real progress clips are at most a few hundred pixels;
// the limit keeps a hostile header from making the player allocate gigabytes.
inline constexpr std::uint32_t kMaxDimension = 4096;

// Frame period used when neither header gives a usable one (10 frames per second).
inline constexpr std::uint32_t kDefaultFrameMicroseconds = 100000;

using bytes::Rgb;

enum class Compression { Raw, Rle8 };

// One frame chunk of the video stream. `offset`/`size` locate its bytes in Clip::data. A frame
// of size 0 repeats the previous picture; so does a `broken` one (malformed data that the
// lenient reader kept so that the clip's timing stays intact).
struct Frame {
    std::size_t offset = 0;
    std::size_t size = 0;
    bool broken = false;
};

// Replaces palette entries `first`, `first + 1`, ... just before frame `beforeFrame` is drawn.
// `first + entries.size()` never exceeds 256.
struct PaletteChange {
    std::size_t beforeFrame = 0;
    std::uint8_t first = 0;
    std::vector<Rgb> entries;
};

// A checked clip: every field is consistent with the others, so the player can index
// without checks. 8-bit clips have 1..256 palette entries; 24-bit clips have none.
struct Clip {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool bottomUp = true;  // rows stored bottom-up (always for RLE8)
    std::uint16_t bitsPerPixel = 8;
    Compression compression = Compression::Rle8;
    std::uint32_t frameMicroseconds = kDefaultFrameMicroseconds;
    std::vector<Rgb> palette;
    std::vector<Frame> frames;                  // never empty
    std::vector<PaletteChange> paletteChanges;  // ordered by beforeFrame
    std::vector<std::uint8_t> data;             // the frames' bytes
    std::vector<std::string> warnings;          // what the lenient reader tolerated
};

}  // namespace clip
