// A complete character typed in byte by byte, independent of our writer: every other reader
// fixture comes from the writer, so a misreading that the writer mirrors (a swapped colour
// order, a wrong field width) would pass those tests unnoticed.

#include "agent/acs/Character.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <tuple>
#include <vector>

namespace acs {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

void put32(Bytes& out, std::initializer_list<std::uint32_t> values) {
    for (const std::uint32_t v : values) {
        put(out, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                  static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
    }
}

// Where each block starts and how long it is; the test checks these against the bytes typed.
constexpr std::uint32_t kImageAt = 36, kImageSize = 56;
constexpr std::uint32_t kAnimAt = kImageAt + kImageSize, kAnimSize = 39;
constexpr std::uint32_t kInfoAt = kAnimAt + kAnimSize, kInfoSize = 124;
constexpr std::uint32_t kLocalizedAt = kInfoAt + 100, kLocalizedSize = 24;
constexpr std::uint32_t kAnimDirAt = kInfoAt + kInfoSize, kAnimDirSize = 26;
constexpr std::uint32_t kImageDirAt = kAnimDirAt + kAnimDirSize, kImageDirSize = 16;
constexpr std::uint32_t kAudioDirAt = kImageDirAt + kImageDirSize, kAudioDirSize = 4;

// A 4x3 character with one 3x2 image, one one-frame animation "Wave", a three-colour palette,
// a balloon and one Japanese name.
Bytes handBuiltCharacter() {
    Bytes f;
    // Header: signature C3 AB CD AB, then (offset, size) of the character info, animation
    // directory, image directory and audio directory.
    put(f, {0xC3, 0xAB, 0xCD, 0xAB});
    put32(f, {kInfoAt, kInfoSize, kAnimDirAt, kAnimDirSize, kImageDirAt, kImageDirSize, kAudioDirAt,
              kAudioDirSize});
    EXPECT_EQ(f.size(), kImageAt);

    // Image record: leading byte 1, width 3, height 2, compressed.
    put(f, {0x01, 0x03, 0x00, 0x02, 0x00, 0x01});
    // Pixels: 19 compressed bytes for 8 bytes of indices (rows of 4 bytes, bottom row first):
    // 01 00 01 00 | 00 01 02 00. Marker 00, then eight literals of 9 bits each (a 0 flag bit,
    // then the byte, least significant bit first), then 24 one-bits of end code, which fill
    // exactly three bytes, then six FF bytes.
    put32(f, {19});
    put(f, {0x00, 0x02, 0x00, 0x08, 0x00, 0x00, 0x40, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
            0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    // Region data, 19 bytes compressed, 32 once decompressed: an RGNDATA header with size 32,
    // type 1, no rectangles, region size A8 and an empty bounding box. Literals 20 and 00, a
    // copy (distance 1, length 2), literal 01, copies (4, 3) and (1, 4), literal A8, copies
    // (8, 7) and (1, 12), end code.
    put32(f, {19, 32});
    put(f, {0x00, 0x40, 0x00, 0x04, 0x10, 0xD0, 0x90, 0x80, 0x42, 0xED, 0x98, 0x01, 0xB7, 0xFF,
            0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(f.size(), kAnimAt);

    // Animation record: name "WAVE" (count 4, UTF-16LE, a 0000 terminator), transition 2
    // (none), an empty return name (count 0, no terminator), one frame.
    put(f, {0x04, 0x00, 0x00, 0x00, 'W', 0, 'A', 0, 'V', 0, 'E', 0, 0, 0});
    put(f, {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00});
    // The frame: one layer (image 0 at x 1, y 1), no sound (FFFF), 10 hundredths, exit value
    // -2 (carry on with the next frame), no branches, no mouth overlays.
    put(f, {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00});
    put(f, {0xFF, 0xFF, 0x0A, 0x00, 0xFE, 0xFF, 0x00, 0x00});
    EXPECT_EQ(f.size(), kInfoAt);

    // Character info: version 1.2, where the localized list is, a GUID 00..0F, frame 4x3,
    // transparent index 2, flags 0x210 (no voice, balloon), animation set 0.0.
    put(f, {0x01, 0x00, 0x02, 0x00});
    put32(f, {kLocalizedAt, kLocalizedSize, 0x03020100, 0x07060504, 0x0B0A0908, 0x0F0E0D0C});
    put(f, {0x04, 0x00, 0x03, 0x00, 0x02, 0x10, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    // Balloon: 2 lines of 28 characters; text, background and border colours in R, G, B, 0
    // order; font "Arial", height -13, weight 400, not italic, a zero byte.
    put(f, {0x02, 0x1C, 0x10, 0x20, 0x30, 0x00, 0xFF, 0xFF, 0xE1, 0x00, 0x64, 0x00, 0x00, 0x00});
    put(f, {0x05, 0x00, 0x00, 0x00, 'A', 0, 'r', 0, 'i', 0, 'a', 0, 'l', 0, 0, 0});
    put(f, {0xF3, 0xFF, 0xFF, 0xFF, 0x90, 0x01, 0x00, 0x00, 0x00, 0x00});
    // Palette: 3 entries in B, G, R, 0 order. Entry 0 is dark orange (30,20,10 as R,G,B),
    // entry 1 pure blue, entry 2 (the transparent index) pure red.
    put32(f, {3});
    put(f, {0x10, 0x20, 0x30, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00});
    // No tray icon, no states.
    put(f, {0x00, 0x00, 0x00});
    EXPECT_EQ(f.size(), kLocalizedAt);
    // Localized info: one entry, language 0411, name テスト, empty description and extra data.
    put(f, {0x01, 0x00, 0x11, 0x04, 0x03, 0x00, 0x00, 0x00, 0xC6, 0x30, 0xB9, 0x30, 0xC8, 0x30,
            0x00, 0x00});
    put(f, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(f.size(), kAnimDirAt);

    // Animation directory: one entry, "Wave" and where its record is.
    put32(f, {1});
    put(f, {0x04, 0x00, 0x00, 0x00, 'W', 0, 'a', 0, 'v', 0, 'e', 0, 0, 0});
    put32(f, {kAnimAt, kAnimSize});
    EXPECT_EQ(f.size(), kImageDirAt);
    // Image directory: one entry, where the record is and a checksum nobody reads.
    put32(f, {1, kImageAt, kImageSize, 0x12345678});
    EXPECT_EQ(f.size(), kAudioDirAt);
    // Audio directory: empty.
    put32(f, {0});
    EXPECT_EQ(f.size(), kAudioDirAt + kAudioDirSize);
    return f;
}

TEST(HandBuilt, ReadsAndDrawsACharacterTypedInByteByByte) {
    for (const Mode mode : {Mode::Strict, Mode::Lenient}) {
        const LoadResult r = loadCharacter(handBuiltCharacter(), mode);
        ASSERT_TRUE(r.ok()) << r.error.message();
        EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
        const Character& c = *r.character;
        const CharacterInfo& info = c.info();
        // Size, palette order and transparent index show in the composed frame below.
        EXPECT_EQ(std::tuple(info.guid.data1, info.guid.data2), std::tuple(0x03020100u, 0x0504));
        ASSERT_TRUE(info.balloon.has_value());
        EXPECT_FALSE(info.voice.has_value());
        const BalloonInfo& balloon = *info.balloon;
        EXPECT_EQ(std::tuple(balloon.text, balloon.background, balloon.border),
                  std::tuple(Rgb{0x10, 0x20, 0x30}, Rgb{255, 255, 225}, Rgb{100, 0, 0}));
        EXPECT_EQ(std::tuple(balloon.fontFace, balloon.fontHeight), std::tuple("Arial", -13));
        ASSERT_NE(c.preferredLocalizedInfo(), nullptr);
        EXPECT_EQ(c.preferredLocalizedInfo()->name, "テスト");
        ASSERT_EQ(c.animations().size(), 1u);
        EXPECT_EQ(c.animations()[0].name, "Wave");
        const Frame& frame = c.animations()[0].frames.at(0);
        EXPECT_EQ(std::tuple(frame.duration, frame.exitValue, frame.sound),
                  std::tuple(10, kExitNextFrame, kNoSound));

        // Top-down RGBA. The image (rows 0 1 2 / 1 0 1) sits at (1,1); index 2 is transparent.
        const auto composed = c.composeFrame(0, 0);
        // Row by row: t t t t / t o b t / t b o b (o entry 0, b entry 1, t transparent).
        EXPECT_EQ(composed->rgba,
                  (std::vector<std::uint8_t>{
                      0, 0, 0, 0, 0,    0,    0,    0,   0,    0,    0,    0,   0, 0, 0,   0,
                      0, 0, 0, 0, 0x30, 0x20, 0x10, 255, 0,    0,    255,  255, 0, 0, 0,   0,
                      0, 0, 0, 0, 0,    0,    255,  255, 0x30, 0x20, 0x10, 255, 0, 0, 255, 255}));
        EXPECT_EQ(composed->mask, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1, 1}));
    }
}

}  // namespace
}  // namespace acs
