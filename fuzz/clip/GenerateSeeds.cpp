// Writes the seed corpus: small clips made by our own writer, one per feature the reader and
// player handle (RLE8 deltas, raw 8- and 24-bit frames, top-down rows, palette changes,
// 'rec ' lists, a missing index, streams before the video, damaged and cut files).
// Usage: clip_generate_seeds OUTPUT_FOLDER

#include "SeedFile.h"
#include "clip/Writer.h"

#include <cstdio>
#include <string>

namespace {

using fuzzseeds::save;

std::vector<std::uint8_t> frame(std::uint32_t w, std::uint32_t h, int phase) {
    std::vector<std::uint8_t> f(std::size_t{w} * h);
    for (std::size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<std::uint8_t>((i / 3 + static_cast<std::size_t>(phase)) % 4);
    return f;
}

clip::Rle8Movie movie() {
    clip::Rle8Movie m;
    m.width = 9;
    m.height = 5;
    m.palette = {{255, 0, 255}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    for (int phase : {0, 1, 1, 2})
        m.frames.push_back(frame(m.width, m.height, phase));
    return m;
}

clip::AviLayout rawLayout(std::uint16_t bits, std::int32_t height) {
    clip::AviLayout l;
    l.width = 3;
    l.height = height;
    l.bitsPerPixel = bits;
    l.compression = 0;
    if (bits == 8)
        l.palette = {{0, 0, 0}, {255, 255, 255}};
    const std::size_t stride = (std::size_t{3} * bits / 8 + 3) / 4 * 4;
    const std::size_t rows = static_cast<std::size_t>(height < 0 ? -height : height);
    for (int i = 0; i < 2; ++i)
        l.movi.push_back({clip::chunkId(0, "db"), std::vector<std::uint8_t>(stride * rows, 1)});
    return l;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clip_generate_seeds OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::vector<std::uint8_t> rle = clip::writeRle8Clip(movie());
    bool ok = save(folder, "rle8.avi", rle);
    ok = ok && save(folder, "raw8.avi", clip::writeAvi(rawLayout(8, 2)));
    ok = ok && save(folder, "raw24-top-down.avi", clip::writeAvi(rawLayout(24, -2)));

    // A text stream before the video makes the video stream number 1.
    clip::AviLayout features = rawLayout(8, 2);
    for (clip::AviChunk& c : features.movi)
        c.id = clip::chunkId(1, "db");
    const std::vector<clip::Rgb> grey{{128, 128, 128}};
    features.movi.insert(features.movi.begin() + 1,
                         {clip::chunkId(1, "pc"), clip::encodePaletteChange(1, grey)});
    features.recLists = true;
    features.index = false;
    features.streamsBefore = {{'t', 'x', 't', 's'}};
    ok = ok && save(folder, "palette-change-rec-lists.avi", clip::writeAvi(features));

    clip::AviLayout sound = rawLayout(8, 2);
    sound.streamsBefore = {{'a', 'u', 'd', 's'}};
    ok = ok && save(folder, "with-sound.avi", clip::writeAvi(sound));

    // Cut inside the frame list, and one with a chunk size past the end of its list.
    ok = ok && save(folder, "cut.avi", {rle.begin(), rle.end() - 7});
    std::vector<std::uint8_t> lying = rle;
    lying[lying.size() / 2] ^= 0x40;
    ok = ok && save(folder, "damaged.avi", lying);
    if (!ok) {
        std::fprintf(stderr, "cannot write the seeds to %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
