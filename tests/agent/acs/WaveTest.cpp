#include "Fixture.h"

#include "agent/acs/Wave.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace acs {
namespace {

TEST(Wave, DecodesAdpcm) {
    struct Case {
        std::uint16_t channels, blockAlign;
        std::vector<std::uint8_t> block;
        std::vector<std::int16_t> samples;
    };
    const Case cases[] = {
        // Mono: predictor 0, delta 16, sample1 100, sample2 50, then codes 1, F, 7, 8.
        {1, 9, {0, 16, 0, 100, 0, 50, 0, 0x1F, 0x78}, {50, 100, 116, 100, 212, -92}},
        // Stereo, high nibble left: predictors 0 and 1, deltas 16, sample1 10/20, sample2 0/5,
        // one byte of codes (1 | 2).
        {2, 15, {0, 1, 16, 0, 16, 0, 10, 0, 20, 0, 0, 0, 5, 0, 0x12}, {0, 5, 10, 20, 26, 67}},
        // A huge step clamps to the 16-bit range.
        {1, 8, {0, 0xFF, 0x7F, 0x00, 0x7F, 0, 0, 0x70}, {0, 32512, 32767, 32767}},
        // Pair (192, 64) on sample1 -1: the prediction -192 / 256 rounds down to -1, not to 0.
        {1, 9, {3, 16, 0, 0xFF, 0xFF, 0, 0, 0x00, 0x00}, {0, -1, -1, -1, -1, -1}},
        // Two blocks, the second one short: decoded as far as its bytes go (2 + 2 samples).
        // clang-format off
        {1, 9, {0, 16, 0, 1, 0, 0, 0, 0x00, 0x00, 0, 16, 0, 7, 0, 5, 0, 0x10},
         {0, 1, 1, 1, 1, 1, 5, 7, 23, 23}},
        // clang-format on
    };
    for (const Case& c : cases) {
        const WaveResult r = decodeWave(test::adpcmWave(c.channels, c.blockAlign, c.block));
        ASSERT_TRUE(r.ok()) << r.error().message();
        EXPECT_EQ(r.value().channels, c.channels);
        EXPECT_EQ(r.value().sampleRate, 22050u);
        EXPECT_EQ(r.value().samples, c.samples);
    }
}

TEST(Wave, FactCountCutsTheLastBlockAndNothingElse) {
    const std::vector<std::uint8_t> block = {0, 16, 0, 100, 0, 50, 0, 0x1F, 0x78};
    test::AdpcmFormat f;
    f.blockAlign = 9;
    for (const auto& [fact, samples] : {std::pair<std::uint32_t, std::size_t>{3, 3},
                                        {6, 6},
                                        {1000, 6},  // more than the data holds: all of it
                                        {0, 0}}) {
        f.fact = fact;
        const WaveResult r = decodeWave(test::adpcmWave(f, block));
        ASSERT_TRUE(r.ok()) << r.error().message();
        EXPECT_EQ(r.value().samples.size(), samples) << "fact " << fact;
    }
    // A samples-per-block count below what the block holds leaves the rest of it unused.
    f.fact.reset();
    f.storedSamplesPerBlock = 3;
    std::vector<std::uint8_t> two = block;
    two.insert(two.end(), block.begin(), block.end());
    EXPECT_EQ(decodeWave(test::adpcmWave(f, two)).value().samples,
              (std::vector<std::int16_t>{50, 100, 116, 50, 100, 116}));
}

TEST(Wave, BadAdpcmIsAnErrorForThatSound) {
    using test::adpcmWave;
    const std::vector<std::uint8_t> block = {0, 16, 0, 100, 0, 50, 0, 0x1F, 0x78};
    const std::vector<std::uint8_t> cut = {0, 16, 0, 100, 0, 50, 0, 0x1F, 0x78, 0, 16, 0};
    test::AdpcmFormat noPairs;
    noPairs.blockAlign = 9;
    noPairs.coefficients.clear();
    auto eightBits = adpcmWave(1, 9, block);
    eightBits[34] = 8;
    const struct {
        const char* what;
        std::vector<std::uint8_t> wave;
        std::size_t offset;
    } cases[] = {
        {"block size 0", adpcmWave(1, 0, block), 32},
        {"block size below the header", adpcmWave(2, 13, block), 32},
        {"3 channels", adpcmWave(3, 9, block), 22},
        {"0 channels", adpcmWave(0, 9, block), 22},
        {"predictor beyond the pairs", adpcmWave(noPairs, block), 50},
        {"last block cut inside its header", adpcmWave(1, 9, cut), 78 + 9},
        {"8 bits per code", eightBits, 34},
    };
    for (const auto& c : cases) {
        const WaveResult r = decodeWave(c.wave);
        ASSERT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.error().code, ErrorCode::BadSound) << c.what;
        EXPECT_EQ(r.error().offset, c.offset) << c.what << ": " << r.error().message();
    }
}

TEST(Wave, WrittenPcmDecodesToTheSameSound) {
    for (const PcmSound& s : {PcmSound{1, 22254, {0, -32768, 32767, 5}},
                              PcmSound{2, 8000, {1, 2, 3, 4, -5, -6}}, PcmSound{1, 11025, {}}}) {
        const std::vector<std::uint8_t> bytes = encodeWave(s);
        EXPECT_EQ(bytes.size(), 44 + 2 * s.samples.size());
        const WaveResult r = decodeWave(bytes);
        ASSERT_TRUE(r.ok()) << r.error().message();
        EXPECT_EQ(r.value().channels, s.channels);
        EXPECT_EQ(r.value().sampleRate, s.sampleRate);
        EXPECT_EQ(r.value().samples, s.samples);
    }
}

// PCM decoding is compared against SoX; here, what is neither PCM nor valid ADPCM.
TEST(Wave, RefusesOtherFormats) {
    auto badPredictor = test::adpcmWave(1, 9, {7, 16, 0, 100, 0, 50, 0, 0x1F, 0x78});
    auto mp3 = test::pcmWave(4);
    mp3[20] = 0x55;  // format tag
    for (const auto& bytes : {badPredictor, mp3, std::vector<std::uint8_t>{'R', 'I', 'F', 'F'}}) {
        const WaveResult r = decodeWave(bytes);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, ErrorCode::BadSound);
    }
}

}  // namespace
}  // namespace acs
