#include "clip/Writer.h"

#include "clip/Rle8.h"

#include <cstdlib>

namespace clip {
namespace {

class Out {
public:
    std::vector<std::uint8_t> bytes;

    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v & 0xFF));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void id(const char* s) {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<std::uint8_t>(s[i]));
    }
    void id(const std::array<char, 4>& s) { id(s.data()); }
    void zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }

    // Starts a chunk (or, with a list type, a list); returns the position of its size field.
    std::size_t open(const char* chunkIdText, const char* type = nullptr) {
        id(chunkIdText);
        const std::size_t at = bytes.size();
        u32(0);
        if (type != nullptr)
            id(type);
        return at;
    }
    // Patches the size of the chunk opened at `at` and adds the pad byte for odd sizes.
    void close(std::size_t at) {
        const auto size = static_cast<std::uint32_t>(bytes.size() - at - 4);
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>((size >> (8 * i)) & 0xFF);
        if ((size & 1U) != 0)
            u8(0);
    }
};

bool isFrame(const AviChunk& c) {
    return (c.id[2] == 'd' && c.id[3] == 'b') || (c.id[2] == 'd' && c.id[3] == 'c');
}

void writeOtherStream(Out& out, const std::array<char, 4>& type) {
    const std::size_t strl = out.open("LIST", "strl");
    const std::size_t strh = out.open("strh");
    out.id(type);
    out.zeros(16);
    out.u32(1);  // scale
    out.u32(type == std::array<char, 4>{'a', 'u', 'd', 's'} ? 11025 : 1);
    out.zeros(28);
    out.close(strh);
    const std::size_t strf = out.open("strf");
    // A PCM WAVEFORMATEX: mono, 11025 Hz, 8 bits.
    out.u16(1);
    out.u16(1);
    out.u32(11025);
    out.u32(11025);
    out.u16(1);
    out.u16(8);
    out.u16(0);
    out.close(strf);
    out.close(strl);
}

}  // namespace

std::array<char, 4> chunkId(int stream, const char (&type)[3]) {
    return {static_cast<char>('0' + stream / 10 % 10), static_cast<char>('0' + stream % 10),
            type[0], type[1]};
}

std::vector<std::uint8_t> encodePaletteChange(std::uint8_t first, std::span<const Rgb> entries) {
    Out out;
    out.u8(first);
    out.u8(static_cast<std::uint8_t>(entries.size() & 0xFF));
    out.u16(0);
    for (const Rgb& e : entries) {
        out.u8(e.r);
        out.u8(e.g);
        out.u8(e.b);
        out.u8(0);
    }
    return std::move(out.bytes);
}

std::vector<std::uint8_t> writeAvi(const AviLayout& layout) {
    std::uint32_t frames = 0;
    for (const AviChunk& c : layout.movi)
        frames += isFrame(c) ? 1U : 0U;
    const auto absHeight =
        static_cast<std::int32_t>(std::abs(static_cast<long long>(layout.height)));

    Out out;
    const std::size_t riff = out.open("RIFF", "AVI ");
    const std::size_t hdrl = out.open("LIST", "hdrl");
    const std::size_t avih = out.open("avih");
    out.u32(layout.microSecPerFrame);
    out.u32(0);                        // max bytes per second
    out.u32(0);                        // padding granularity
    out.u32(layout.index ? 0x10 : 0);  // AVIF_HASINDEX
    out.u32(frames);
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(layout.streamsBefore.size() + 1));
    out.u32(0);
    out.i32(layout.width);
    out.i32(absHeight);
    out.zeros(16);
    out.close(avih);

    for (const auto& type : layout.streamsBefore)
        writeOtherStream(out, type);

    const std::size_t strl = out.open("LIST", "strl");
    const std::size_t strh = out.open("strh");
    out.id("vids");
    out.id(layout.compression == 1 ? "mrle" : "DIB ");
    out.zeros(12);  // flags, priority, language, initial frames
    out.u32(layout.scale);
    out.u32(layout.rate);
    out.u32(0);  // start
    out.u32(frames);
    out.u32(0);           // suggested buffer size
    out.u32(0xFFFFFFFF);  // quality: default
    out.u32(0);           // sample size
    out.u16(0);
    out.u16(0);
    out.u16(static_cast<std::uint16_t>(layout.width));
    out.u16(static_cast<std::uint16_t>(absHeight));
    out.close(strh);
    const std::size_t strf = out.open("strf");
    out.u32(40);
    out.i32(layout.width);
    out.i32(layout.height);
    out.u16(1);
    out.u16(layout.bitsPerPixel);
    out.u32(layout.compression);
    out.u32(0);  // image size
    out.zeros(8);
    out.u32(static_cast<std::uint32_t>(layout.palette.size()));
    out.u32(0);
    for (const Rgb& c : layout.palette) {
        out.u8(c.b);
        out.u8(c.g);
        out.u8(c.r);
        out.u8(0);
    }
    out.close(strf);
    out.close(strl);
    out.close(hdrl);

    struct IndexEntry {
        std::array<char, 4> id;
        std::uint32_t flags;
        std::size_t offset;
        std::size_t size;
    };
    std::vector<IndexEntry> index;
    const std::size_t movi = out.open("LIST", "movi");
    const std::size_t moviType = movi + 4;
    bool first = true;
    for (const AviChunk& c : layout.movi) {
        const std::size_t rec = layout.recLists ? out.open("LIST", "rec ") : 0;
        std::uint32_t flags = 0;
        if (c.id[2] == 'p' && c.id[3] == 'c')
            flags = 0x100;  // no time
        if (isFrame(c) && first) {
            flags = 0x10;  // key frame
            first = false;
        }
        index.push_back({c.id, flags, out.bytes.size() - moviType, c.data.size()});
        const std::size_t chunk = out.open(c.id.data());
        out.bytes.insert(out.bytes.end(), c.data.begin(), c.data.end());
        out.close(chunk);
        if (layout.recLists)
            out.close(rec);
    }
    out.close(movi);
    if (layout.index) {
        const std::size_t idx1 = out.open("idx1");
        for (const IndexEntry& e : index) {
            out.id(e.id);
            out.u32(e.flags);
            out.u32(static_cast<std::uint32_t>(e.offset));
            out.u32(static_cast<std::uint32_t>(e.size));
        }
        out.close(idx1);
    }
    out.close(riff);
    return std::move(out.bytes);
}

std::vector<std::uint8_t> writeRle8Clip(const Rle8Movie& movie) {
    AviLayout layout;
    layout.width = static_cast<std::int32_t>(movie.width);
    layout.height = static_cast<std::int32_t>(movie.height);
    layout.microSecPerFrame = movie.frameMicroseconds;
    layout.scale = movie.frameMicroseconds;
    layout.rate = 1000000;
    layout.palette = movie.palette;
    const std::vector<std::uint8_t> none;
    for (std::size_t i = 0; i < movie.frames.size(); ++i) {
        const auto& previous = i == 0 ? none : movie.frames[i - 1];
        layout.movi.push_back(
            {chunkId(0, "dc"), encodeRle8(previous, movie.frames[i], movie.width, movie.height)});
    }
    return writeAvi(layout);
}

}  // namespace clip
