// Our sound decoder against SoX, a decoder that is not ours: sounds we encode ourselves (both
// channel counts, several block sizes, our own coefficient table, short last blocks) must
// decode to the same samples. SoX is a required test tool (scripts/install-deps.sh installs
// it), so its absence fails the test.

#include "Fixture.h"

#include "agent/acs/Wave.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <string>

namespace acs {
namespace {

namespace fs = std::filesystem;

class Sox : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("porukane-sox-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        ASSERT_EQ(std::system("sox --version >/dev/null 2>&1"), 0)
            << "sox is not installed (scripts/install-deps.sh installs it)";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // SoX's 16-bit samples of `wave`, interleaved; fails the test when SoX cannot decode it.
    std::vector<std::int16_t> soxDecode(const std::vector<std::uint8_t>& wave) {
        const fs::path in = m_dir / "in.wav", out = m_dir / "out.raw", log = m_dir / "log";
        {
            std::ofstream f(in, std::ios::binary | std::ios::trunc);
            f.write(reinterpret_cast<const char*>(wave.data()),
                    static_cast<std::streamsize>(wave.size()));
        }
        // -D: no dither, the samples exactly as decoded.
        const std::string command = "sox -D -V1 '" + in.string() +
                                    "' -t raw -e signed-integer -b 16 -L '" + out.string() +
                                    "' 2>'" + log.string() + "'";
        std::vector<std::int16_t> samples;
        if (std::system(command.c_str()) != 0) {
            std::ifstream l(log);
            ADD_FAILURE() << "sox failed: " << std::string(std::istreambuf_iterator<char>(l), {});
            return samples;
        }
        std::ifstream f(out, std::ios::binary);
        const std::string raw((std::istreambuf_iterator<char>(f)), {});
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
            samples.push_back(static_cast<std::int16_t>(
                static_cast<std::uint8_t>(raw[i]) | (static_cast<std::uint8_t>(raw[i + 1]) << 8)));
        }
        return samples;
    }

    fs::path m_dir;
};

// Interleaved test signal: tones, a loud clipped square, noise and silence, so that the
// prediction meets negative and positive products, clamping and small steps.
std::vector<std::int16_t> testSignal(std::size_t frames, std::uint16_t channels, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 3000.0);
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i < frames; ++i) {
        for (std::uint16_t c = 0; c < channels; ++c) {
            const double t = static_cast<double>(i) / 22050.0;
            const std::size_t kind = (i / 700 + c) % 4;
            const double v = kind == 0
                                 ? 12000 * std::sin(2 * std::numbers::pi * (220 + 110 * c) * t) +
                                       5000 * std::sin(2 * std::numbers::pi * 3100 * t)
                             : kind == 1 ? ((i / 40) % 2 ? 40000 : -40000)
                             : kind == 2 ? noise(rng)
                                         : (i % 3 == 0 ? -1 : 0);
            out.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)));
        }
    }
    return out;
}

TEST_F(Sox, AdpcmDecodesToTheSameSamples) {
    test::AdpcmFormat standard;
    test::AdpcmFormat custom;
    // Seven pairs unlike the usual ones (odd and negative values, so that rounding the
    // prediction down shows), and two more.
    custom.coefficients = {{300, -45},  {-77, 13},  {511, -255}, {1, 1},    {129, 127},
                           {-300, 101}, {333, -99}, {255, -1},   {-17, 250}};
    struct Case {
        const char* what;
        test::AdpcmFormat format;
        std::uint16_t channels, blockAlign;
        std::size_t frames;
        std::size_t cut;  // bytes dropped from the end of the data
        bool fact;        // a fact chunk with the frame count
    };
    const Case cases[] = {
        {"mono 256", standard, 1, 256, 5000, 0, true},
        {"stereo 512", standard, 2, 512, 4000, 0, true},
        {"mono 64, custom pairs, short last block", custom, 1, 64, 3001, 40, false},
        {"stereo 1024, custom pairs, short last block", custom, 2, 1024, 3500, 301, true},
        {"mono 2048, custom pairs", custom, 1, 2048, 9000, 0, true},
        {"stereo 14: header and no codes", standard, 2, 14, 30, 0, false},
        {"stereo 36, short last block", standard, 2, 36, 999, 9, false},
    };
    for (const Case& c : cases) {
        test::AdpcmFormat f = c.format;
        f.channels = c.channels;
        f.blockAlign = c.blockAlign;
        if (c.fact) {
            f.fact = static_cast<std::uint32_t>(c.frames);
        }
        std::vector<std::uint8_t> data =
            test::encodeAdpcm(f, testSignal(c.frames, c.channels, c.blockAlign));
        data.resize(data.size() - c.cut);
        const auto wave = test::adpcmWave(f, data);

        const WaveResult ours = decodeWave(wave);
        ASSERT_TRUE(ours.ok()) << c.what << ": " << ours.error().message();
        const std::vector<std::int16_t> theirs = soxDecode(wave);
        // The data decodes to whole blocks, then the short one, cut to the fact count.
        const std::size_t per = static_cast<std::size_t>(f.samplesPerBlock());
        const std::size_t whole = data.size() / c.blockAlign;
        const std::size_t rest = data.size() % c.blockAlign;
        std::size_t frames =
            whole * per + (rest ? (rest - 7 * c.channels) * 2 / c.channels + 2 : 0);
        if (c.fact) {
            frames = std::min(frames, c.frames);
        }
        EXPECT_EQ(ours.value().samples.size(), frames * c.channels) << c.what;
        // SoX leaves out the fact count and decodes the padding of the last block too.
        ASSERT_GE(theirs.size(), ours.value().samples.size()) << c.what;
        const std::size_t n = std::min(ours.value().samples.size(), theirs.size());
        std::size_t differ = 0, first = n;
        for (std::size_t i = 0; i < n; ++i) {
            if (ours.value().samples[i] != theirs[i]) {
                ++differ;
                first = std::min(first, i);
            }
        }
        EXPECT_EQ(differ, 0u) << c.what << ": first at sample " << first << " of " << n;
    }
}

TEST_F(Sox, PcmDecodesToTheSameSamples) {
    for (const std::uint32_t rate : {22254u, 8000u}) {
        const auto wave = test::pcmWave(1001, rate);
        const WaveResult ours = decodeWave(wave);
        ASSERT_TRUE(ours.ok()) << ours.error().message();
        EXPECT_EQ(ours.value().sampleRate, rate);
        EXPECT_EQ(ours.value().samples, soxDecode(wave));
    }
}

}  // namespace
}  // namespace acs
