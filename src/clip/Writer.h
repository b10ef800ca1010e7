#pragma once

#include "clip/Clip.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace clip {

// One chunk of the frame list, e.g. {"00dc", bytes}, {"00pc", palette change}, {"01wb", ...}.
struct AviChunk {
    std::array<char, 4> id{};
    std::vector<std::uint8_t> data;
};

// Everything the writer puts into a file. Fields are written as given, without checks, so
// tests can also build clips that the reader must refuse.
struct AviLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: top-down rows
    std::uint16_t bitsPerPixel = 8;
    std::uint32_t compression = 1;  // biCompression: 0 BI_RGB, 1 BI_RLE8, or a FOURCC
    std::uint32_t microSecPerFrame = kDefaultFrameMicroseconds;  // avih
    std::uint32_t scale = 1;                                     // strh: fps = rate / scale
    std::uint32_t rate = 10;
    std::vector<Rgb> palette;  // written as RGBQUADs after the bitmap header
    // fccTypes of streams placed before the video stream ("auds", "txts"), which makes the
    // video stream number equal to their count.
    std::vector<std::array<char, 4>> streamsBefore;
    std::vector<AviChunk> movi;
    bool recLists = false;  // wrap every chunk of the frame list in its own LIST 'rec '
    bool index = true;      // write an idx1 with offsets relative to 'movi'
};

// Serialises `layout` as a RIFF AVI file. avih.dwTotalFrames and strh.dwLength count the
// "NNdb"/"NNdc" chunks of the video stream.
std::vector<std::uint8_t> writeAvi(const AviLayout& layout);

// The body of an "NNpc" chunk that sets entries first, first + 1, ... to `entries` (at most
// 256; 256 is written as 0).
std::vector<std::uint8_t> encodePaletteChange(std::uint8_t first, std::span<const Rgb> entries);

// The two-digit "NNxx" chunk id for stream `stream` (0..99) and the two-letter type.
std::array<char, 4> chunkId(int stream, const char (&type)[3]);

// An 8-bit RLE8 clip from whole pictures: each frame is width x height palette indices, top
// row first. Frame 0 is written as a key frame, every later one as the difference to the
// frame before it, and a frame identical to its predecessor as an empty chunk.
struct Rle8Movie {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frameMicroseconds = kDefaultFrameMicroseconds;
    std::vector<Rgb> palette;  // 1..256 entries
    std::vector<std::vector<std::uint8_t>> frames;
};
std::vector<std::uint8_t> writeRle8Clip(const Rle8Movie& movie);

}  // namespace clip
