#include "Fixture.h"

#include "agent/acs/Wave.h"

#include <gtest/gtest.h>

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
    };
    for (const Case& c : cases) {
        const WaveResult r = decodeWave(test::adpcmWave(c.channels, c.blockAlign, c.block));
        ASSERT_TRUE(r.ok()) << r.error().message();
        EXPECT_EQ(r.value().channels, c.channels);
        EXPECT_EQ(r.value().sampleRate, 22050u);
        EXPECT_EQ(r.value().samples, c.samples);
    }
}

TEST(Wave, DecodesPcmAndRefusesTheRest) {
    const WaveResult pcm = decodeWave(test::pcmWave(5));
    ASSERT_TRUE(pcm.ok());
    EXPECT_EQ(pcm.value().samples.size(), 5u);
    EXPECT_EQ(pcm.value().samples[0], -40 * 256);

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
