#include "clip/Writer.h"

#include "bytes/Writer.h"
#include "clip/Rle8.h"

#include <cstdlib>

namespace clip {
namespace {

bool isFrame(const AviChunk& c) {
    return (c.id[2] == 'd' && c.id[3] == 'b') || (c.id[2] == 'd' && c.id[3] == 'c');
}

void writeOtherStream(bytes::Writer& out, const std::array<char, 4>& type) {
    const std::size_t strl = out.openChunk("LIST", "strl");
    const std::size_t strh = out.openChunk("strh");
    out.tag(type.data());
    out.zeros(16);
    out.u32(1);  // scale
    out.u32(type == std::array<char, 4>{'a', 'u', 'd', 's'} ? 11025 : 1);
    out.zeros(28);
    out.closeChunk(strh);
    const std::size_t strf = out.openChunk("strf");
    // A PCM WAVEFORMATEX: mono, 11025 Hz, 8 bits.
    out.u16(1);
    out.u16(1);
    out.u32(11025);
    out.u32(11025);
    out.u16(1);
    out.u16(8);
    out.u16(0);
    out.closeChunk(strf);
    out.closeChunk(strl);
}

void writeMainHeader(bytes::Writer& out, const AviLayout& layout, std::uint32_t frames,
                     std::int32_t absHeight) {
    const std::size_t avih = out.openChunk("avih");
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
    out.closeChunk(avih);
}

void writeVideoStream(bytes::Writer& out, const AviLayout& layout, std::uint32_t frames,
                      std::int32_t absHeight) {
    const std::size_t strl = out.openChunk("LIST", "strl");
    const std::size_t strh = out.openChunk("strh");
    out.tag("vids");
    out.tag(layout.compression == 1 ? "mrle" : "DIB ");
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
    out.closeChunk(strh);
    const std::size_t strf = out.openChunk("strf");
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
    out.closeChunk(strf);
    out.closeChunk(strl);
}

// The frame list (each chunk in a LIST 'rec ' when asked) and its idx1 index.
void writeFrameList(bytes::Writer& out, const AviLayout& layout) {
    struct IndexEntry {
        std::array<char, 4> id;
        std::uint32_t flags;
        std::size_t offset;
        std::size_t size;
    };
    std::vector<IndexEntry> index;
    const std::size_t movi = out.openChunk("LIST", "movi");
    const std::size_t moviType = movi + 4;
    bool first = true;
    for (const AviChunk& c : layout.movi) {
        const std::size_t rec = layout.recLists ? out.openChunk("LIST", "rec ") : 0;
        std::uint32_t flags = 0;
        if (c.id[2] == 'p' && c.id[3] == 'c')
            flags = 0x100;  // no time
        if (isFrame(c) && first) {
            flags = 0x10;  // key frame
            first = false;
        }
        index.push_back({c.id, flags, out.pos() - moviType, c.data.size()});
        const std::size_t chunk = out.openChunk(c.id.data());
        out.raw(c.data);
        out.closeChunk(chunk);
        if (layout.recLists)
            out.closeChunk(rec);
    }
    out.closeChunk(movi);
    if (layout.index) {
        const std::size_t idx1 = out.openChunk("idx1");
        for (const IndexEntry& e : index) {
            out.tag(e.id.data());
            out.u32(e.flags);
            out.u32(static_cast<std::uint32_t>(e.offset));
            out.u32(static_cast<std::uint32_t>(e.size));
        }
        out.closeChunk(idx1);
    }
}

}  // namespace

std::array<char, 4> chunkId(int stream, const char (&type)[3]) {
    return {static_cast<char>('0' + stream / 10 % 10), static_cast<char>('0' + stream % 10),
            type[0], type[1]};
}

std::vector<std::uint8_t> encodePaletteChange(std::uint8_t first, std::span<const Rgb> entries) {
    bytes::Writer out;
    out.u8(first);
    out.u8(static_cast<std::uint8_t>(entries.size() & 0xFF));
    out.u16(0);
    for (const Rgb& e : entries) {
        out.u8(e.r);
        out.u8(e.g);
        out.u8(e.b);
        out.u8(0);
    }
    return out.take();
}

std::vector<std::uint8_t> writeAvi(const AviLayout& layout) {
    std::uint32_t frames = 0;
    for (const AviChunk& c : layout.movi)
        frames += isFrame(c) ? 1U : 0U;
    const auto absHeight =
        static_cast<std::int32_t>(std::abs(static_cast<long long>(layout.height)));

    bytes::Writer out;
    const std::size_t riff = out.openChunk("RIFF", "AVI ");
    const std::size_t hdrl = out.openChunk("LIST", "hdrl");
    writeMainHeader(out, layout, frames, absHeight);

    for (const auto& type : layout.streamsBefore)
        writeOtherStream(out, type);

    writeVideoStream(out, layout, frames, absHeight);
    out.closeChunk(hdrl);

    writeFrameList(out, layout);
    out.closeChunk(riff);
    return out.take();
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
