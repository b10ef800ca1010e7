#include "clip/Player.h"

#include "ClipFixtures.h"
#include "clip/Reader.h"

#include <gtest/gtest.h>

namespace clip {
namespace {

using test::argbOf;
using test::distinctPalette;
using test::rleLayout;

Player playerFor(const AviLayout& layout) {
    Result<Clip> r = readClip(writeAvi(layout), ReadMode::Strict);
    EXPECT_TRUE(r.ok()) << describe(r.error());
    return Player(std::move(r.value()));
}

TEST(Player, RawFramesInEveryRowOrderAndDepth) {
    // 3 x 2 pixels. 8-bit rows are padded to 4 bytes, 24-bit rows of 9 bytes to 12.
    const std::vector<Rgb> pal = distinctPalette(8);
    AviLayout bottomUp = rleLayout({});
    bottomUp.compression = 0;
    bottomUp.width = 3;
    bottomUp.height = 2;
    bottomUp.movi = {{chunkId(0, "db"), {4, 5, 6, 0, 0, 1, 2, 0}}};
    AviLayout topDown = bottomUp;
    topDown.height = -2;
    AviLayout rgb = bottomUp;
    rgb.bitsPerPixel = 24;
    rgb.palette.clear();
    rgb.movi = {
        {chunkId(0, "db"), {3,   2,   1,   6, 5, 4, 9,  8,  7,  0, 0, 0,  // bottom row, B G R
                            255, 255, 255, 0, 0, 0, 30, 20, 10, 0, 0, 0}}};
    const auto c = [&](std::size_t i) { return argbOf(pal[i]); };
    using Pixels = std::vector<std::uint32_t>;
    EXPECT_EQ(playerFor(bottomUp).pixels(), (Pixels{0, c(1), c(2), c(4), c(5), c(6)}));
    EXPECT_EQ(playerFor(topDown).pixels(), (Pixels{0, c(5), c(6), c(0), c(1), c(2)}));
    Player p = playerFor(rgb);
    EXPECT_EQ(p.key(), (Rgb{255, 255, 255}));
    EXPECT_EQ(p.pixels(), (Pixels{0, 0xFF000000, 0xFF0A141E, 0xFF010203, 0xFF040506, 0xFF070809}));
}

TEST(Player, KeyIsTheTopLeftColourAndMatchesByColour) {
    std::vector<Rgb> pal = distinctPalette(16);
    pal[7] = Rgb{0, 128, 0};
    pal[9] = pal[7];  // same colour under another index
    AviLayout l = rleLayout(
        {{0x01, 7, 0x01, 9, 0x01, 3, 0x01, 20, 0x00, 0x00, 0x00, 0x00, 0x06, 7, 0x00, 0x01}});
    l.palette = pal;
    Player p = playerFor(l);
    EXPECT_EQ(p.key(), (Rgb{0, 128, 0}));
    // The bottom row: index 7, index 9 (the same colour), 3, and 20, past the 16-entry palette:
    // black.
    EXPECT_EQ(p.pixels()[0], 0U);
    EXPECT_EQ(std::vector(p.pixels().begin() + 12, p.pixels().begin() + 16),
              (std::vector<std::uint32_t>{0, 0, argbOf(pal[3]), 0xFF000000U}));
}

TEST(Player, PaletteChangesApplyLaterAndAreUndoneOnWrap) {
    const std::vector<Rgb> pal = distinctPalette(4);
    const Rgb red{255, 0, 0}, blue{0, 0, 255};
    AviLayout l = rleLayout({});
    l.palette = pal;
    l.movi = {{chunkId(0, "dc"), {6, 1, 0, 0, 6, 1, 0, 0, 6, 1, 0, 1}},  // all index 1
              {chunkId(0, "pc"), encodePaletteChange(1, std::vector{red, blue})},
              {chunkId(0, "pc"), encodePaletteChange(250, std::vector<Rgb>(10, blue))},  // clipped
              {chunkId(0, "dc"), {}}};
    Player p = playerFor(l);
    // The key (entry 1's colour at open) stays fixed even though entry 1 changes.
    EXPECT_EQ(p.key(), pal[1]);
    EXPECT_EQ(p.pixels()[0], 0U);
    p.seek(1);
    EXPECT_EQ(p.pixels()[0], argbOf(red));
    p.seek(0);
    EXPECT_EQ(p.pixels()[0], 0U);
}

TEST(Player, LoopsByElapsedTimeAndDecodesSkippedFrames) {
    // Frame 0 paints one pixel, every later frame adds one: a skipped frame would leave a gap,
    // and a wrap without clearing would keep pixels that frame 0 never paints.
    AviLayout l = rleLayout({{0x01, 2, 0x00, 0x01},
                             {0x00, 0x02, 0x01, 0x00, 0x01, 3, 0x00, 0x01},
                             {},
                             {0x00, 0x02, 0x02, 0x00, 0x01, 4, 0x00, 0x01}});
    l.microSecPerFrame = 1000;
    Player p = playerFor(l);
    auto bottomRow = [&p] {
        return std::vector<std::uint32_t>(p.pixels().begin() + 12, p.pixels().begin() + 16);
    };
    const auto pal = distinctPalette(16);
    const std::vector<std::uint32_t> all = {argbOf(pal[2]), argbOf(pal[3]), argbOf(pal[4]), 0};
    EXPECT_FALSE(p.advanceTo(5000));  // stopped: nothing moves
    p.play();
    EXPECT_EQ(p.frame(), 0U);
    EXPECT_TRUE(p.advanceTo(3999));  // jumps over frames 1 and 2
    EXPECT_EQ(p.frame(), 3U);
    EXPECT_EQ(bottomRow(), all);
    EXPECT_TRUE(p.advanceTo(4000));  // wrap: back to frame 0's single pixel
    EXPECT_EQ(p.frame(), 0U);
    EXPECT_EQ(bottomRow(), (std::vector<std::uint32_t>{argbOf(pal[2]), 0, 0, 0}));
    EXPECT_TRUE(p.advanceTo(5000));
    p.pixels();
    EXPECT_FALSE(p.advanceTo(6000));  // the empty frame repeats the picture
    EXPECT_EQ(p.frame(), 2U);
    EXPECT_TRUE(p.advanceTo(11000));  // a whole loop later, same frame number, still redrawn
    EXPECT_EQ(p.frame(), 3U);
    EXPECT_EQ(bottomRow(), all);
    EXPECT_EQ(p.nextFrameAt(11000), 12000U);
    p.stop();
    EXPECT_FALSE(p.advanceTo(20000));
    EXPECT_EQ(p.frame(), 3U);
    p.play();
    EXPECT_EQ(p.frame(), 0U);
}

}  // namespace
}  // namespace clip
