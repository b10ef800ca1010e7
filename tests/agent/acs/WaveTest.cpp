#include "Fixture.h"

#include "agent/acs/Wave.h"

#include <gtest/gtest.h>

namespace acs {
namespace {

// A RIFF WAVE file with the given format chunk body and data.
std::vector<std::uint8_t> wave(const std::vector<std::uint8_t>& fmt,
                               const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> w = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    const auto put32 = [&](std::size_t v) {
        for (int i = 0; i < 4; ++i) {
            w.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    put32(fmt.size());
    w.insert(w.end(), fmt.begin(), fmt.end());
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    put32(data.size());
    w.insert(w.end(), data.begin(), data.end());
    const std::size_t riffSize = w.size() - 8;
    for (int i = 0; i < 4; ++i) {
        w[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    }
    return w;
}

// WAVEFORMATEX for MS ADPCM with the standard seven coefficient pairs.
std::vector<std::uint8_t> adpcmFormat(std::uint16_t channels, std::uint16_t blockAlign) {
    std::vector<std::uint8_t> f;
    const auto put16 = [&](int v) {
        f.push_back(static_cast<std::uint8_t>(v));
        f.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(2);
    put16(channels);
    put16(22050), put16(0);  // rate
    put16(11100), put16(0);  // bytes per second
    put16(blockAlign);
    put16(4);
    put16(32);  // cbSize
    put16((blockAlign - 7 * channels) * 8 / (4 * channels) + 2);
    put16(7);
    for (const auto& [a, b] : std::vector<std::pair<int, int>>{
             {256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}) {
        put16(a);
        put16(b);
    }
    return f;
}

TEST(Wave, DecodesMonoAdpcm) {
    // predictor 0, delta 16, sample1 100, sample2 50, then codes 1, F, 7, 8.
    const auto w = wave(adpcmFormat(1, 9), {0, 16, 0, 100, 0, 50, 0, 0x1F, 0x78});
    const WaveResult r = decodeWave(w);
    ASSERT_TRUE(r.ok()) << r.error.message();
    EXPECT_EQ(r.sound.channels, 1);
    EXPECT_EQ(r.sound.sampleRate, 22050u);
    EXPECT_EQ(r.sound.samples, (std::vector<std::int16_t>{50, 100, 116, 100, 212, -92}));
}

TEST(Wave, DecodesStereoAdpcmHighNibbleLeft) {
    // Predictors 0 and 1, deltas 16, sample1 10/20, sample2 0/5, one byte of codes (1 | 2).
    const auto w = wave(adpcmFormat(2, 15),
                        {0, 1, 16, 0, 16, 0, 10, 0, 20, 0, 0, 0, 5, 0, 0x12});
    const WaveResult r = decodeWave(w);
    ASSERT_TRUE(r.ok()) << r.error.message();
    EXPECT_EQ(r.sound.samples, (std::vector<std::int16_t>{0, 5, 10, 20, 26, 67}));
}

TEST(Wave, DecodesPcmAndRefusesTheRest) {
    const WaveResult pcm = decodeWave(test::pcmWave(5));
    ASSERT_TRUE(pcm.ok());
    EXPECT_EQ(pcm.sound.samples.size(), 5u);
    EXPECT_EQ(pcm.sound.samples[0], -40 * 256);

    auto badPredictor = wave(adpcmFormat(1, 9), {7, 16, 0, 100, 0, 50, 0, 0x1F, 0x78});
    auto mp3 = test::pcmWave(4);
    mp3[20] = 0x55;  // format tag
    for (const auto& bytes : {badPredictor, mp3, std::vector<std::uint8_t>{'R', 'I', 'F', 'F'}}) {
        const WaveResult r = decodeWave(bytes);
        EXPECT_EQ(r.error.code, ErrorCode::BadSound);
        EXPECT_TRUE(r.sound.samples.empty());
    }
}

}  // namespace
}  // namespace acs
