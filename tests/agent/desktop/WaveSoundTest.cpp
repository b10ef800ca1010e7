#include "agent/desktop/SoundPlayer.h"
#include "agent/desktop/WaveSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using desktop::AdpcmFormat;
using desktop::decodeMsAdpcm;
using desktop::decodeWave;

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
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A test-side Microsoft ADPCM encoder for mono: picks each code by rounding the prediction
// error, and records what a decoder must reconstruct.
struct Encoded {
    Bytes data;
    std::vector<std::int16_t> expected;
};

Encoded encodeMono(const std::vector<std::int16_t>& in, int blockAlign, int predictor) {
    static const int adapt[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                  768, 614, 512, 409, 307, 230, 230, 230};
    const int c1 = kStandardCoefs[static_cast<std::size_t>(predictor)].first;
    const int c2 = kStandardCoefs[static_cast<std::size_t>(predictor)].second;
    const std::size_t perBlock = static_cast<std::size_t>(blockAlign - 7) * 2 + 2;
    Encoded out;
    for (std::size_t start = 0; start + 2 <= in.size(); start += perBlock) {
        const std::size_t end = std::min(in.size(), start + perBlock);
        int delta = 20;
        int s2 = in[start];
        int s1 = in[start + 1];
        out.data.push_back(static_cast<std::uint8_t>(predictor));
        put16(out.data, delta);
        put16(out.data, s1);
        put16(out.data, s2);
        out.expected.push_back(static_cast<std::int16_t>(s2));
        out.expected.push_back(static_cast<std::int16_t>(s1));
        int pending = -1;
        for (std::size_t i = start + 2; i < end; ++i) {
            const int pred = (s1 * c1 + s2 * c2) >> 8;  // as the reference encoder does
            const double err = (in[i] - pred) / static_cast<double>(delta);
            const int code = std::clamp(static_cast<int>(std::lround(err)), -8, 7);
            const int x = std::clamp(pred + code * delta, -32768, 32767);
            out.expected.push_back(static_cast<std::int16_t>(x));
            s2 = s1;
            s1 = x;
            delta = std::max(16, adapt[code & 15] * delta / 256);
            if (pending < 0) {
                pending = code & 15;
            } else {
                out.data.push_back(static_cast<std::uint8_t>((pending << 4) | (code & 15)));
                pending = -1;
            }
        }
        if (pending >= 0) out.data.push_back(static_cast<std::uint8_t>(pending << 4));
    }
    return out;
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
    for (std::uint8_t b : fmt) w.push_back(b);
    putTag(w, "data");
    put32(w, static_cast<std::uint32_t>(data.size()));
    for (std::uint8_t b : data) w.push_back(b);
    if (data.size() & 1) w.push_back(0);
    return w;
}

Bytes pcmWave(int bits, int channels, const Bytes& data) {
    Bytes w;
    putTag(w, "RIFF");
    put32(w, static_cast<std::uint32_t>(36 + data.size()));
    putTag(w, "WAVE");
    putTag(w, "fmt ");
    put32(w, 16);
    put16(w, 1);
    put16(w, channels);
    put32(w, 22254);
    put32(w, static_cast<std::uint32_t>(22254 * channels * bits / 8));
    put16(w, channels * bits / 8);
    put16(w, bits);
    putTag(w, "data");
    put32(w, static_cast<std::uint32_t>(data.size()));
    for (std::uint8_t b : data) w.push_back(b);
    return w;
}

}  // namespace

TEST(MsAdpcm, HandDecodedBlocks) {
    struct Case {
        const char* what;
        Bytes block;
        std::vector<std::int16_t> expected;
    };
    const Case cases[] = {
        // predictor 0 (256, 0), delta 16, sample1 100, sample2 50, codes +1 then -1
        {"plain step", {0, 16, 0, 100, 0, 50, 0, 0x1F}, {50, 100, 116, 100}},
        // predictor 1 (512, -256), delta 100: +7 grows delta to 239, then -8
        {"second pair", {1, 100, 0, 100, 0, 50, 0, 0x78}, {50, 100, 850, -312}},
        // a huge step clamps to the 16-bit range
        {"clamp", {0, 0xFF, 0x7F, 0x00, 0x7F, 0, 0, 0x70}, {0, 32512, 32767, 32767}},
    };
    for (const Case& c : cases) {
        AdpcmFormat format;
        format.blockAlign = static_cast<std::uint16_t>(c.block.size());
        format.coefficients = kStandardCoefs;
        std::vector<std::int16_t> out;
        std::string error;
        ASSERT_TRUE(decodeMsAdpcm(c.block, format, out, &error)) << c.what << ": " << error;
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST(MsAdpcm, StereoHeaderIsGroupedByFieldAndNibblesAlternate) {
    // predictors L0 R2; deltas L16 R16; sample1 L10 R-10; sample2 L5 R-5; codes L+1, R+2
    const Bytes block = {0, 2, 16, 0, 16, 0, 10, 0, 0xF6, 0xFF, 5, 0, 0xFB, 0xFF, 0x12};
    AdpcmFormat format;
    format.channels = 2;
    format.blockAlign = static_cast<std::uint16_t>(block.size());
    format.coefficients = kStandardCoefs;
    std::vector<std::int16_t> out;
    ASSERT_TRUE(decodeMsAdpcm(block, format, out, nullptr));
    // Left predicts 10 + 16; right uses the (0, 0) pair and predicts 0 + 2 * 16.
    EXPECT_EQ(out, (std::vector<std::int16_t>{5, -5, 10, -10, 26, 32}));
}

TEST(MsAdpcm, EncodedSineRoundTripsThroughAWaveFile) {
    std::vector<std::int16_t> sine;
    for (int i = 0; i < 1000; ++i) {
        sine.push_back(static_cast<std::int16_t>(12000 * std::sin(i * 0.07)));
    }
    for (int predictor : {0, 1, 5}) {
        const Encoded enc = encodeMono(sine, 64, predictor);  // 116 samples per block
        const auto sound = decodeWave(adpcmWave(enc.data, 1, 64, 116), nullptr);
        ASSERT_TRUE(sound) << predictor;
        EXPECT_EQ(sound->sampleRate, 22050u);
        EXPECT_EQ(sound->channels, 1);
        EXPECT_EQ(sound->samples, enc.expected) << predictor;
        // The encoder tracks the sine closely, so a decoder bug would show as a large error.
        double worst = 0;
        for (std::size_t i = 0; i < sine.size(); ++i) {
            worst = std::max(worst, std::abs(double(sound->samples[i]) - sine[i]));
        }
        EXPECT_LT(worst, 1500.0) << predictor;
    }
}

TEST(MsAdpcm, RejectsCorruptPredictorAndImpossibleFormat) {
    AdpcmFormat format;
    format.blockAlign = 8;
    format.coefficients = kStandardCoefs;
    std::vector<std::int16_t> out;
    std::string error;
    EXPECT_FALSE(decodeMsAdpcm(Bytes{7, 16, 0, 0, 0, 0, 0, 0}, format, out, &error));
    EXPECT_FALSE(error.empty());
    format.blockAlign = 7;  // no room for a single code
    EXPECT_FALSE(decodeMsAdpcm(Bytes{0, 16, 0, 0, 0, 0, 0}, format, out, &error));
}

TEST(WaveFile, DecodesPcmToSixteenBits) {
    const auto eight = decodeWave(pcmWave(8, 1, {0, 128, 255}), nullptr);
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->sampleRate, 22254u);
    EXPECT_EQ(eight->samples, (std::vector<std::int16_t>{-32768, 0, 32512}));
    const auto sixteen = decodeWave(pcmWave(16, 2, {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0x03}),
                                    nullptr);
    ASSERT_TRUE(sixteen);
    EXPECT_EQ(sixteen->channels, 2);
    // Three samples and a stray byte make one whole stereo frame; the rest is dropped.
    EXPECT_EQ(sixteen->samples, (std::vector<std::int16_t>{1, -1}));
}

TEST(WaveFile, EveryTruncationAndBadFieldFailsCleanly) {
    const Encoded enc = encodeMono(std::vector<std::int16_t>(300, 1000), 32, 0);
    const Bytes good = adpcmWave(enc.data, 1, 32, 52);
    ASSERT_TRUE(decodeWave(good, nullptr));
    for (std::size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        std::string error;
        const auto sound = decodeWave(cut, &error);
        if (!sound) {
            EXPECT_FALSE(error.empty()) << n;
        }
    }
    struct Patch {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
    };
    const Patch patches[] = {
        {"not RIFF", 0, 'X'},          {"format tag 3", 20, 3},   {"no channels", 22, 0},
        {"five channels", 22, 5},      {"rate 0", 24, 0},         {"fmt size huge", 19, 0x7F},
        {"coefficient count", 40, 200},
    };
    for (const Patch& p : patches) {
        Bytes bad = good;
        if (p.offset == 24) std::fill(bad.begin() + 24, bad.begin() + 28, 0);
        bad[p.offset] = p.value;
        std::string error;
        EXPECT_FALSE(decodeWave(bad, &error)) << p.what;
        EXPECT_FALSE(error.empty()) << p.what;
    }
}

TEST(WaveFile, ConversionResamplesAndMixesChannels) {
    desktop::PcmSound stereo{22254, 2, {100, 300, 100, 300, 100, 300, 100, 300}};
    const auto mono = desktop::convertPcm(stereo, 44508, 1);
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.samples.size(), 8u);
    for (std::int16_t s : mono.samples) EXPECT_EQ(s, 200);
    desktop::PcmSound ramp{8000, 1, {0, 1000}};
    const auto up = desktop::convertPcm(ramp, 16000, 2);
    EXPECT_EQ(up.samples, (std::vector<std::int16_t>{0, 0, 500, 500, 1000, 1000, 1000, 1000}));
}
