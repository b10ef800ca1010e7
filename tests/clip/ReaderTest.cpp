#include "clip/Reader.h"

#include "ClipFixtures.h"
#include "clip/Player.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <tuple>

namespace clip {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::distinctPalette;
using test::rleLayout;
using test::smallMovie;

// Offset of the first occurrence of a four-character tag.
std::size_t find(const Bytes& b, const char* tag) {
    for (std::size_t i = 0; i + 4 <= b.size(); ++i)
        if (std::memcmp(&b[i], tag, 4) == 0)
            return i;
    ADD_FAILURE() << "no " << tag;
    return 0;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(Reader, ReadsWhatTheWriterWrote) {
    const Rle8Movie movie = smallMovie();
    Result<Clip> r = readClip(writeRle8Clip(movie), ReadMode::Strict);
    ASSERT_TRUE(r.ok()) << describe(r.error());
    const Clip& c = r.value();
    EXPECT_EQ(std::tuple(c.width, c.height, c.bitsPerPixel, c.compression, c.frameMicroseconds),
              std::tuple(8U, 4U, 8, Compression::Rle8, 50000U));
    EXPECT_EQ(c.palette, movie.palette);
    ASSERT_EQ(c.frames.size(), 4U);
    EXPECT_EQ(c.frames[2].size, 0U);  // the repeated picture
    EXPECT_TRUE(c.warnings.empty());
}

struct Refusal {
    const char* name;
    std::function<void(AviLayout&)> change;
    ErrorCode code;
    const char* detail = "";
};

TEST(Reader, RefusesClipsItCannotPlay) {
    using E = ErrorCode;
    const std::vector<Refusal> cases = {
        // clang-format off
        {"audio stream", [](auto& l) { l.streamsBefore = {{'a', 'u', 'd', 's'}}; }, E::HasSound},
        {"H.264", [](auto& l) { l.compression = 0x34363248; }, E::UnsupportedCompression, "H264"},
        {"RLE4", [](auto& l) { l.compression = 2; }, E::UnsupportedCompression, "0x00000002"},
        {"RLE8 24-bit", [](auto& l) { l.bitsPerPixel = 24; }, E::InvalidClip},
        {"RLE8 top-down", [](auto& l) { l.height = -3; }, E::InvalidClip},
        {"raw 16-bit", [](auto& l) { l.compression = 0; l.bitsPerPixel = 16; },
         E::UnsupportedFormat},
        {"zero width", [](auto& l) { l.width = 0; }, E::BadSize},
        {"too tall", [](auto& l) { l.height = 4097; }, E::BadSize},
        {"most negative height", [](auto& l) { l.compression = 0; l.height = INT32_MIN; },
         E::BadSize},
        {"no frames", [](auto& l) { l.movi.clear(); }, E::EmptyClip},
        {"only other stream's frames", [](auto& l) { l.movi = {{chunkId(1, "dc"), {0, 1}}}; },
         E::EmptyClip},
        {"no palette", [](auto& l) { l.palette.clear(); }, E::InvalidClip},
        // clang-format on
    };
    for (const Refusal& c : cases) {
        AviLayout l = rleLayout({{0x06, 0x01, 0x00, 0x01}});
        c.change(l);
        for (ReadMode mode : {ReadMode::Strict, ReadMode::Lenient}) {
            Result<Clip> r = readClip(writeAvi(l), mode);
            ASSERT_FALSE(r.ok()) << c.name;
            EXPECT_EQ(r.error().code, c.code) << c.name << ": " << describe(r.error());
            EXPECT_NE(r.error().detail.find(c.detail), std::string::npos) << c.name;
        }
    }
}

TEST(Reader, RefusesFilesThatAreNoClips) {
    const Bytes good = writeRle8Clip(smallMovie());
    const auto patched = [&](const char* tag, const char* with) {
        Bytes b = good;
        std::memcpy(&b[find(b, tag)], with, 4);
        return b;
    };
    const std::vector<std::pair<Bytes, ErrorCode>> cases = {
        {{}, ErrorCode::NotAvi},
        {Bytes(good.begin(), good.begin() + 11), ErrorCode::NotAvi},
        {patched("AVI ", "WAVE"), ErrorCode::NotAvi},
        {patched("hdrl", "hdrX"), ErrorCode::NoVideo},
        {patched("vids", "txts"), ErrorCode::NoVideo}};
    for (const auto& [bytes, code] : cases) {
        Result<Clip> r = readClip(bytes, ReadMode::Lenient);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, code) << describe(r.error());
    }
}

// Every possible cut of a small file: strict mode refuses each one; lenient mode either
// refuses or gives a clip that plays through without trouble.
TEST(Reader, EveryTruncationFailsCleanly) {
    const Bytes full = writeRle8Clip(smallMovie());
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(readClip(cut, ReadMode::Strict).ok()) << n;
        Result<Clip> lenient = readClip(cut, ReadMode::Lenient);
        if (!lenient.ok())
            continue;
        EXPECT_FALSE(lenient.value().warnings.empty()) << n;
        Player player(std::move(lenient.value()));
        player.play();
        for (std::uint64_t t = 0; t < 10; ++t)
            player.advanceTo(t * 50000);
        EXPECT_EQ(player.pixels().size(), 32U);
    }
}

TEST(Reader, AbsurdSizesFailCleanly) {
    const Bytes good = writeRle8Clip(smallMovie());
    struct Patch {
        const char* tag;
        std::ptrdiff_t delta;  // from the tag to the patched field
        std::uint32_t value;
        bool strictOk = false;
    };
    // The last one, the palette count, is clipped to the entries present.
    const std::vector<Patch> patches = {{"RIFF", 4, 0xFFFFFFFF},  {"RIFF", 4, 0},
                                        {"hdrl", -4, 0xFFFFFFF0}, {"strl", -4, 3},
                                        {"strf", 4, 0xFFFFFFFF},  {"strf", 8, 0x7FFFFFFF},
                                        {"strf", 12, 0x7FFFFFFF}, {"movi", -4, 0xFFFFFFFF},
                                        {"00dc", 4, 0xFFFFFFF8},  {"strf", 40, 0xFFFFFFFF, true}};
    for (const Patch& p : patches) {
        Bytes b = good;
        put32(b, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(find(b, p.tag)) + p.delta),
              p.value);
        EXPECT_EQ(readClip(b, ReadMode::Strict).ok(), p.strictOk) << p.tag << " " << p.delta;
        Result<Clip> r = readClip(b, ReadMode::Lenient);
        if (r.ok()) {
            EXPECT_EQ(Player(std::move(r.value())).pixels().size(), 32U);
        }
    }
}

// Leftovers after the clip (a chunk id among them that claims 12 MB) are not read; a file cut
// in the middle of its last frame chunk keeps its complete frames when lenient.
TEST(Reader, StopsAtTheRiffEndAndLenientModeKeepsTheCompleteFramesOfACutFile) {
    Bytes longer = writeRle8Clip(smallMovie());
    const Bytes cut(longer.begin(),
                    longer.begin() + static_cast<std::ptrdiff_t>(find(longer, "idx1") - 3));
    const Bytes junk = {'0', '0', 'd', 'c', 0x00, 0x00, 0xC0, 0x00, 1, 2, 3};
    longer.insert(longer.end(), junk.begin(), junk.end());
    for (const auto& [bytes, mode, frames] :
         {std::tuple{longer, ReadMode::Strict, 4U}, std::tuple{cut, ReadMode::Lenient, 3U}}) {
        Result<Clip> r = readClip(bytes, mode);
        ASSERT_TRUE(r.ok()) << describe(r.error());
        EXPECT_EQ(r.value().frames.size(), frames);
    }
}

TEST(Reader, FindsTheVideoStreamByPositionAndInsideRecLists) {
    AviLayout l = rleLayout({});
    l.streamsBefore = {{'t', 'x', 't', 's'}};
    l.recLists = true;
    l.movi = {{chunkId(0, "dc"), {0x06, 0x01}},  // the text stream's chunk: not a frame
              {chunkId(1, "db"), {0x06, 0x02, 0x00, 0x01}},
              {{'J', 'U', 'N', 'K'}, {1, 2, 3}},
              {chunkId(1, "dc"), {}}};
    Result<Clip> r = readClip(writeAvi(l), ReadMode::Strict);
    ASSERT_TRUE(r.ok()) << describe(r.error());
    ASSERT_EQ(r.value().frames.size(), 2U);
    // "db" holds RLE data here: the format decides, not the chunk name.
    Player p(std::move(r.value()));
    EXPECT_EQ(p.pixels()[12], test::argbOf(distinctPalette(16)[2]));
}

TEST(Reader, FramePeriodFallsBackFromMainHeaderToStreamRateToDefault) {
    // The main header's period, the stream's scale and rate, the period used.
    const std::array<std::uint32_t, 4> cases[] = {
        {66666, 1, 15, 66666}, {0, 1, 96, 10416}, {0, 100000, 1000000, 100000},
        {0, 0, 10, 100000},    {0, 1, 0, 100000}, {0, 1, 2000000, 100000}};
    for (const auto& [avih, scale, rate, expected] : cases) {
        AviLayout l = rleLayout({{0x06, 0x01}});
        l.microSecPerFrame = avih;
        l.scale = scale;
        l.rate = rate;
        Result<Clip> r = readClip(writeAvi(l), ReadMode::Strict);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.value().frameMicroseconds, expected) << avih << " " << scale << "/" << rate;
    }
}

TEST(Reader, MalformedFrameIsAnErrorWhenStrictAndRepeatsThePictureWhenLenient) {
    const AviLayout l =
        rleLayout({{0x06, 0x02, 0x00, 0x01}, {0x00, 0x05, 0x01}, {0x02, 0x03, 0x00, 0x01}});
    const Bytes b = writeAvi(l);
    Result<Clip> strict = readClip(b, ReadMode::Strict);
    ASSERT_FALSE(strict.ok());
    EXPECT_EQ(strict.error().code, ErrorCode::Damaged);
    Result<Clip> lenient = readClip(b, ReadMode::Lenient);
    ASSERT_TRUE(lenient.ok());
    EXPECT_TRUE(lenient.value().frames[1].broken);
    EXPECT_EQ(lenient.value().warnings.size(), 1U);
}

}  // namespace
}  // namespace clip
