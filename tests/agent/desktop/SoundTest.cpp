// The sound path of the character window: frame sounds decoded by the character library
// (checked here against ADPCM blocks encoded and decoded by hand, since most real sounds are
// ADPCM), then converted for devices that do not take their format.

#include "agent/acs/Wave.h"
#include "agent/desktop/SoundPlayer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
const std::vector<std::pair<std::int16_t, std::int16_t>> kStandardCoefs = {
    {256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

void put16(Bytes& b, int v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, static_cast<int>(v & 0xFFFF));
    put16(b, static_cast<int>(v >> 16));
}
void putTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(tag[i]));
}

Bytes adpcmWave(const Bytes& data, int channels, int blockAlign, int samplesPerBlock) {
    Bytes fmt;
    put16(fmt, 2);
    put16(fmt, channels);
    put32(fmt, 22050);
    put32(fmt, 11100);
    put16(fmt, blockAlign);
    put16(fmt, 4);
    put16(fmt, 32);
    put16(fmt, samplesPerBlock);
    put16(fmt, 7);
    for (auto [a, b] : kStandardCoefs) {
        put16(fmt, a);
        put16(fmt, b);
    }
    Bytes w;
    putTag(w, "RIFF");
    put32(w, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + data.size() + (data.size() & 1)));
    putTag(w, "WAVE");
    putTag(w, "fmt ");
    put32(w, static_cast<std::uint32_t>(fmt.size()));
    for (std::uint8_t b : fmt)
        w.push_back(b);
    putTag(w, "data");
    put32(w, static_cast<std::uint32_t>(data.size()));
    for (std::uint8_t b : data)
        w.push_back(b);
    if (data.size() & 1)
        w.push_back(0);
    return w;
}

}  // namespace

TEST(MsAdpcm, HandDecodedBlocks) {
    struct Case {
        const char* what;
        int channels;
        Bytes block;
        std::vector<std::int16_t> expected;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const int perBlock =
            (static_cast<int>(c.block.size()) - 7 * c.channels) * 2 / c.channels + 2;
        const acs::WaveResult wave = acs::decodeWave(
            adpcmWave(c.block, c.channels, static_cast<int>(c.block.size()), perBlock));
        ASSERT_TRUE(wave.ok()) << c.what << ": " << wave.error.message();
        EXPECT_EQ(wave.sound.channels, c.channels) << c.what;
        EXPECT_EQ(wave.sound.samples, c.expected) << c.what;
    }
}

TEST(SoundPlayer, ConversionResamplesAndMixesChannels) {
    acs::PcmSound stereo{2, 22254, {100, 300, 100, 300, 100, 300, 100, 300}};
    const auto mono = desktop::convertPcm(stereo, 44508, 1);
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.samples.size(), 8u);
    for (std::int16_t s : mono.samples)
        EXPECT_EQ(s, 200);
    acs::PcmSound ramp{1, 8000, {0, 1000}};
    const auto up = desktop::convertPcm(ramp, 16000, 2);
    EXPECT_EQ(up.samples, (std::vector<std::int16_t>{0, 0, 500, 500, 1000, 1000, 1000, 1000}));
}
