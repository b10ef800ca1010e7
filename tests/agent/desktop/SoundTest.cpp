// Frame sounds decoded by the character library (checked against ADPCM blocks encoded and
// decoded by hand, since most real sounds are ADPCM), then converted for devices that do not
// take their format.

#include "agent/acs/Wave.h"
#include "agent/desktop/SoundPlayer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, long v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>((static_cast<unsigned long>(v) >> (8 * i)) & 0xFF));
}

Bytes adpcmWave(const Bytes& data, int channels, int blockAlign, int samplesPerBlock) {
    const long size = static_cast<long>(data.size()), pad = size & 1, fmtSize = 50;
    Bytes w;
    const auto tag = [&w](const char* t) { w.insert(w.end(), t, t + 4); };
    tag("RIFF");
    put(w, 4 + 8 + fmtSize + 8 + size + pad, 4);
    tag("WAVE");
    tag("fmt ");
    put(w, fmtSize, 4);
    // Format 2, 22050 Hz, 4 bits, then the seven standard coefficient pairs.
    for (long v : {2, channels, 22050, 0,   11100, 0, blockAlign, 4,   32, samplesPerBlock,
                   7, 256,      0,     512, -256,  0, 0,          192, 64, 240,
                   0, 460,      -208,  392, -232})
        put(w, v, 2);
    tag("data");
    put(w, size, 4);
    w.insert(w.end(), data.begin(), data.end());
    w.resize(w.size() + static_cast<std::size_t>(pad), 0);
    return w;
}

}  // namespace

TEST(MsAdpcm, HandDecodedBlocks) {
    const struct {
        const char* what;
        int channels;
        Bytes block;
        std::vector<std::int16_t> expected;
    } cases[] = {
        // predictor 0 (256, 0), delta 16, sample1 100, sample2 50, codes +1 then -1
        {"plain step", 1, {0, 16, 0, 100, 0, 50, 0, 0x1F}, {50, 100, 116, 100}},
        // predictor 1 (512, -256), delta 100: +7 grows delta to 239, then -8
        {"second pair", 1, {1, 100, 0, 100, 0, 50, 0, 0x78}, {50, 100, 850, -312}},
        // a huge step clamps to the 16-bit range
        {"clamp", 1, {0, 0xFF, 0x7F, 0x00, 0x7F, 0, 0, 0x70}, {0, 32512, 32767, 32767}},
        // stereo: header fields grouped by field (predictors L0 R2, deltas 16 16, sample1
        // 10 -10, sample2 5 -5); the high nibble is the left channel (+1), the low one the
        // right (+2, predicted 0 by the (0, 0) pair)
        {"stereo",
         2,
         {0, 2, 16, 0, 16, 0, 10, 0, 0xF6, 0xFF, 5, 0, 0xFB, 0xFF, 0x12},
         {5, -5, 10, -10, 26, 32}},
    };
    for (const auto& c : cases) {
        const int perBlock =
            (static_cast<int>(c.block.size()) - 7 * c.channels) * 2 / c.channels + 2;
        const acs::WaveResult wave = acs::decodeWave(
            adpcmWave(c.block, c.channels, static_cast<int>(c.block.size()), perBlock));
        ASSERT_TRUE(wave.ok()) << c.what << ": " << wave.error().message();
        EXPECT_EQ(wave.value().channels, c.channels) << c.what;
        EXPECT_EQ(wave.value().samples, c.expected) << c.what;
    }
}

TEST(SoundPlayer, ConversionResamplesAndMixesChannels) {
    const auto mono =
        desktop::convertPcm({2, 22254, {100, 300, 100, 300, 100, 300, 100, 300}}, 44508, 1);
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.samples, std::vector<std::int16_t>(8, 200));
    const auto up = desktop::convertPcm({1, 8000, {0, 1000}}, 16000, 2);
    EXPECT_EQ(up.samples, (std::vector<std::int16_t>{0, 0, 500, 500, 1000, 1000, 1000, 1000}));
}
