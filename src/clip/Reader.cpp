#include "clip/Reader.h"

#include "bytes/Reader.h"
#include "bytes/Riff.h"
#include "clip/Rle8.h"

#include <algorithm>
#include <optional>

namespace clip {

namespace {

using bytes::Chunk;
using bytes::ChunkWalker;
using bytes::fourcc;
using bytes::fourccText;
using bytes::listType;
using bytes::riff::kAvi;
using bytes::riff::kList;
using bytes::riff::kRiff;
constexpr std::uint32_t kHdrl = fourcc("hdrl");
constexpr std::uint32_t kAvih = fourcc("avih");
constexpr std::uint32_t kStrl = fourcc("strl");
constexpr std::uint32_t kStrh = fourcc("strh");
constexpr std::uint32_t kStrf = fourcc("strf");
constexpr std::uint32_t kMovi = fourcc("movi");
constexpr std::uint32_t kRec = fourcc("rec ");
constexpr std::uint32_t kVids = fourcc("vids");
constexpr std::uint32_t kAuds = fourcc("auds");

constexpr std::size_t kAvihSize = 56;
constexpr std::size_t kMinStrhSize = 48;
constexpr std::size_t kBitmapInfoSize = 40;
// 'rec ' lists are one level deep in practice; the limit stops a stack-eating nest.
constexpr int kMaxRecDepth = 8;

struct VideoFormat {
    std::size_t offset = 0;  // of strf, for error reports
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::vector<Rgb> palette;
};

struct Parser {
    std::span<const std::uint8_t> bytes;
    ReadMode mode = ReadMode::Strict;
    Clip clip;
    std::optional<Error> error;

    std::uint32_t avihMicroseconds = 0;
    std::uint32_t avihTotalFrames = 0;
    std::uint32_t strhScale = 0;
    std::uint32_t strhRate = 0;
    std::uint32_t strhLength = 0;
    bool haveAvih = false;
    int videoStream = -1;
    std::optional<VideoFormat> format;
    std::optional<Chunk> movi;

    bool fail(ErrorCode code, std::size_t offset, std::string detail) {
        if (!error)
            error = Error{code, offset, std::move(detail)};
        return false;
    }

    // A chunk that runs past its parent: an error when strict, otherwise the walk of that
    // parent simply ends there.
    bool checkWalk(const ChunkWalker& w, const char* where) {
        if (auto at = w.overranAt()) {
            if (mode == ReadMode::Strict)
                return fail(ErrorCode::Damaged, *at,
                            std::string("chunk runs past the end of ") + where);
            clip.warnings.push_back("chunk at offset " + std::to_string(*at) +
                                    " runs past the end of " + where);
        }
        return true;
    }

    bool parseHeaderList(const Chunk& hdrl) {
        ChunkWalker w(bytes, hdrl.data + 4, hdrl.data + hdrl.size);
        Chunk c;
        int streamIndex = 0;
        while (w.next(c)) {
            if (c.id == kAvih) {
                if (c.size < kAvihSize)
                    return fail(ErrorCode::NoVideo, c.header, "main header too short");
                bytes::Reader r(bytes, c.data);
                avihMicroseconds = r.u32();
                r.skip(12);
                avihTotalFrames = r.u32();
                haveAvih = true;
            } else if (listType(bytes, c) == kStrl) {
                if (!parseStreamList(c, streamIndex))
                    return false;
                ++streamIndex;
            }
        }
        return checkWalk(w, "the header list");
    }

    bool parseStreamList(const Chunk& strl, int index) {
        ChunkWalker w(bytes, strl.data + 4, strl.data + strl.size);
        Chunk c;
        std::uint32_t type = 0;
        bool isVideo = false;
        while (w.next(c)) {
            if (c.id == kStrh) {
                if (c.size < kMinStrhSize)
                    return fail(ErrorCode::InvalidClip, c.header, "stream header too short");
                bytes::Reader r(bytes, c.data);
                type = r.u32();
                if (type == kAuds)
                    return fail(ErrorCode::HasSound, c.header, "clip has sound");
                isVideo = type == kVids && videoStream < 0;
                if (isVideo) {
                    videoStream = index;
                    r.skip(16);
                    strhScale = r.u32();
                    strhRate = r.u32();
                    r.skip(4);
                    strhLength = r.u32();
                }
            } else if (c.id == kStrf && isVideo && !format) {
                if (!parseVideoFormat(c))
                    return false;
            }
        }
        return checkWalk(w, "a stream list");
    }

    bool parseVideoFormat(const Chunk& strf) {
        if (strf.size < kBitmapInfoSize)
            return fail(ErrorCode::InvalidClip, strf.header, "video format too short");
        bytes::Reader r(bytes, strf.data);
        const std::uint32_t biSize = r.u32();
        VideoFormat f;
        f.offset = strf.header;
        f.width = r.i32();
        f.height = r.i32();
        r.skip(2);
        f.bitCount = r.u16();
        f.compression = r.u32();
        r.skip(12);
        const std::uint32_t clrUsed = r.u32();
        if (biSize < kBitmapInfoSize || biSize > strf.size)
            return fail(ErrorCode::InvalidClip, strf.header,
                        "bad bitmap header size " + std::to_string(biSize));
        if (f.bitCount <= 8) {
            std::size_t count = clrUsed != 0 ? clrUsed : (std::size_t{1} << f.bitCount);
            count = std::min<std::size_t>({count, 256, (strf.size - biSize) / 4});
            bytes::Reader p(bytes, strf.data + biSize);
            f.palette.resize(count);
            for (Rgb& e : f.palette) {
                e.b = p.u8();
                e.g = p.u8();
                e.r = p.u8();
                p.skip(1);
            }
        }
        format = std::move(f);
        return true;
    }

    bool parseTop() {
        bytes::Reader r(bytes);
        const std::uint32_t riff = r.u32();
        const std::uint32_t riffSize = r.u32();
        const std::uint32_t form = r.u32();
        if (!r.ok() || riff != kRiff || form != kAvi)
            return fail(ErrorCode::NotAvi, 0, "not an AVI clip");
        // The clip ends where the RIFF header says, whatever follows it in the file.
        std::size_t end = bytes.size();
        if (riffSize < 4 || riffSize > bytes.size() - 8) {
            if (riffSize < 4)
                return fail(ErrorCode::NotAvi, 4, "RIFF size too small");
            if (mode == ReadMode::Strict)
                return fail(ErrorCode::Truncated, bytes.size(),
                            "file ends " +
                                std::to_string(std::uint64_t{riffSize} + 8 - bytes.size()) +
                                " bytes early");
            clip.warnings.push_back("file is shorter than its RIFF size");
        } else {
            end = std::size_t{riffSize} + 8;
        }
        ChunkWalker w(bytes, 12, end);
        Chunk c;
        bool haveHeader = false;
        while (w.next(c)) {
            const std::uint32_t type = listType(bytes, c);
            if (type == kHdrl && !haveHeader) {
                haveHeader = true;
                if (!parseHeaderList(c))
                    return false;
            } else if (type == kMovi && !movi) {
                movi = c;
            }
        }
        if (!movi) {
            // A file cut inside 'movi' leaves a list header whose size runs past the end;
            // in lenient mode the complete frames before the cut still count.
            if (auto at = w.overranAt(); at && mode == ReadMode::Lenient) {
                bytes::Reader h(bytes.first(end), *at);
                const bool isList = h.u32() == kList;
                h.skip(4);
                if (isList && h.u32() == kMovi)
                    movi = Chunk{kList, *at, *at + 8, end - (*at + 8)};
            }
        }
        if (!checkWalk(w, "the file"))
            return false;
        if (!haveHeader || !haveAvih)
            return fail(ErrorCode::NoVideo, 12, "no AVI header");
        if (!format)
            return fail(ErrorCode::NoVideo, 12, "no video stream");
        return true;
    }

    bool checkFormat() {
        const VideoFormat& f = *format;
        if (f.compression != 0 && f.compression != 1)
            return fail(ErrorCode::UnsupportedCompression, f.offset,
                        "unsupported compression " + fourccText(f.compression));
        if (f.compression == 1 && (f.bitCount != 8 || f.height < 0))
            return fail(ErrorCode::InvalidClip, f.offset, "RLE8 clip must be 8-bit and bottom-up");
        if (f.compression == 0 && f.bitCount != 8 && f.bitCount != 24)
            return fail(ErrorCode::UnsupportedFormat, f.offset,
                        "unsupported bit depth " + std::to_string(f.bitCount));
        // Negate in 64 bits: INT32_MIN has no 32-bit magnitude.
        const std::int64_t w = f.width;
        const std::int64_t h = f.height < 0 ? -std::int64_t{f.height} : std::int64_t{f.height};
        if (w <= 0 || h <= 0 || w > kMaxDimension || h > kMaxDimension)
            return fail(ErrorCode::BadSize, f.offset,
                        "bad size " + std::to_string(w) + " x " + std::to_string(h));
        if (f.bitCount == 8 && f.palette.empty())
            return fail(ErrorCode::InvalidClip, f.offset, "8-bit clip without palette");
        clip.width = static_cast<std::uint32_t>(w);
        clip.height = static_cast<std::uint32_t>(h);
        clip.bottomUp = f.height > 0;
        clip.bitsPerPixel = f.bitCount;
        clip.compression = f.compression == 1 ? Compression::Rle8 : Compression::Raw;
        clip.palette = f.palette;
        return true;
    }

    std::size_t rawFrameSize() const {
        const std::size_t bytesPerRow = std::size_t{clip.width} * (clip.bitsPerPixel / 8U);
        return ((bytesPerRow + 3) & ~std::size_t{3}) * clip.height;
    }

    // Recognises "NNxx" ids of the video stream: two decimal digits, then the type.
    bool isVideoChunk(std::uint32_t id, const char (&type)[3]) const {
        const auto c0 = static_cast<char>(id & 0xFF);
        const auto c1 = static_cast<char>((id >> 8) & 0xFF);
        if (c0 < '0' || c0 > '9' || c1 < '0' || c1 > '9')
            return false;
        if ((c0 - '0') * 10 + (c1 - '0') != videoStream)
            return false;
        return static_cast<char>((id >> 16) & 0xFF) == type[0] &&
               static_cast<char>((id >> 24) & 0xFF) == type[1];
    }

    bool damaged(std::size_t offset, const std::string& what) {
        if (mode == ReadMode::Strict)
            return fail(ErrorCode::Damaged, offset, what);
        clip.warnings.push_back(what + " at offset " + std::to_string(offset));
        return true;
    }

    bool addFrame(const Chunk& c) {
        Frame frame;
        frame.offset = clip.data.size();
        frame.size = c.size;
        const auto data = bytes.subspan(c.data, c.size);
        bool good = true;
        if (c.size > 0) {
            good = clip.compression == Compression::Rle8 ? isWellFormedRle8(data)
                                                         : c.size >= rawFrameSize();
        }
        if (!good) {
            if (!damaged(c.header, "malformed frame " + std::to_string(clip.frames.size())))
                return false;
            frame.broken = true;
            frame.size = 0;
        } else {
            clip.data.insert(clip.data.end(), data.begin(), data.end());
        }
        clip.frames.push_back(frame);
        return true;
    }

    bool addPaletteChange(const Chunk& c) {
        bytes::Reader r(bytes.first(c.data + c.size), c.data);
        const std::uint8_t first = r.u8();
        const std::uint8_t declared = r.u8();
        r.skip(2);
        const std::size_t count = declared == 0 ? 256 : declared;
        if (!r.ok() || count > (c.size - 4) / 4)
            return damaged(c.header, "malformed palette change");
        if (clip.bitsPerPixel != 8)
            return true;
        PaletteChange change;
        change.beforeFrame = clip.frames.size();
        change.first = first;
        // Entries beyond index 255 have nowhere to go.
        change.entries.resize(std::min<std::size_t>(count, 256U - first));
        for (Rgb& e : change.entries) {
            e.r = r.u8();
            e.g = r.u8();
            e.b = r.u8();
            r.skip(1);
        }
        clip.paletteChanges.push_back(std::move(change));
        return true;
    }

    bool parseMovi(std::size_t begin, std::size_t end, int depth) {
        ChunkWalker w(bytes, begin, end);
        Chunk c;
        while (w.next(c)) {
            if (listType(bytes, c) == kRec) {
                if (depth >= kMaxRecDepth)
                    return fail(ErrorCode::Damaged, c.header, "'rec ' lists nested too deep");
                if (!parseMovi(c.data + 4, c.data + c.size, depth + 1))
                    return false;
            } else if (isVideoChunk(c.id, "db") || isVideoChunk(c.id, "dc")) {
                if (!addFrame(c))
                    return false;
            } else if (isVideoChunk(c.id, "pc")) {
                if (!addPaletteChange(c))
                    return false;
            }
        }
        return checkWalk(w, "the frame list");
    }

    void chooseTiming() {
        std::uint32_t period = avihMicroseconds;
        if (period == 0 && strhRate != 0 && strhScale != 0) {
            const std::uint64_t us = std::uint64_t{1000000} * strhScale / strhRate;
            if (us > 0 && us <= UINT32_MAX)
                period = static_cast<std::uint32_t>(us);
        }
        clip.frameMicroseconds = period != 0 ? period : kDefaultFrameMicroseconds;
    }

    bool run() {
        if (!parseTop() || !checkFormat())
            return false;
        if (!movi || movi->size < 4)
            return fail(ErrorCode::EmptyClip, 0, "no frame list");
        if (!parseMovi(movi->data + 4, movi->data + movi->size, 0))
            return false;
        if (clip.frames.empty())
            return fail(ErrorCode::EmptyClip, movi->header, "no frames");
        // A change after the last frame would only apply after a wrap, which restores the
        // original palette anyway.
        std::erase_if(clip.paletteChanges,
                      [&](const PaletteChange& p) { return p.beforeFrame >= clip.frames.size(); });
        const auto count = clip.frames.size();
        if (avihTotalFrames != count || strhLength != count)
            clip.warnings.push_back("headers announce " + std::to_string(avihTotalFrames) + "/" +
                                    std::to_string(strhLength) + " frames, the clip holds " +
                                    std::to_string(count));
        chooseTiming();
        return true;
    }
};

}  // namespace

Result<Clip> readClip(std::span<const std::uint8_t> bytes, ReadMode mode) {
    Parser p;
    p.bytes = bytes;
    p.mode = mode;
    if (!p.run())
        return *p.error;
    return std::move(p.clip);
}

}  // namespace clip
