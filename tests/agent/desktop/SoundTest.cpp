// Frame sounds decoded by the character library (checked here against ADPCM blocks encoded
// and decoded by hand, and against SoX in the library's tests), then converted for devices
// that do not take their format.

#include "TestCharacter.h"

#include "agent/acs/Wave.h"
#include "agent/desktop/DesktopAgentControl.h"
#include "agent/desktop/DesktopCharacter.h"
#include "agent/desktop/SoundPlayer.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
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
    const auto tag = [&w](const char* t) {
        for (int i = 0; i < 4; ++i)
            w.push_back(static_cast<std::uint8_t>(t[i]));
    };
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

TEST(SoundPlayer, RefusedRatesGoToTheNearestOneTheDeviceTakes) {
    using desktop::OutputFormat;
    const auto only = [](std::vector<OutputFormat> taken) {
        return [taken](std::uint32_t rate, std::uint16_t channels) {
            return std::find(taken.begin(), taken.end(), OutputFormat{rate, channels}) !=
                   taken.end();
        };
    };
    const auto anything = [](std::uint32_t, std::uint16_t) { return true; };
    // A device that takes the stored format plays it as it is.
    EXPECT_EQ(desktop::chooseOutputFormat(22254, 1, anything), (OutputFormat{22254, 1}));
    EXPECT_EQ(desktop::chooseOutputFormat(22254, 1, only({{22050, 1}, {44100, 1}})),
              (OutputFormat{22050, 1}));
    EXPECT_EQ(desktop::chooseOutputFormat(22254, 1, only({{44100, 2}, {48000, 2}})),
              (OutputFormat{44100, 2}));
    // The device's own rate counts as a candidate too.
    EXPECT_EQ(desktop::chooseOutputFormat(11025, 2, only({{12345, 2}, {8000, 2}}), {12345}),
              (OutputFormat{12345, 2}));
    EXPECT_EQ(desktop::chooseOutputFormat(8000, 1, only({})), std::nullopt);
}

TEST(SoundPlayer, BadSoundsLeaveTheCharacterAnimatingSilently) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    acs::CharacterData data = desktoptest::makeCharacterData();
    const Bytes block = {0, 16, 0, 100, 0, 50, 0, 0x1F};
    Bytes cut = block;
    cut.insert(cut.end(), {0, 16, 0});          // a second block cut inside its header
    data.sounds = {adpcmWave(block, 3, 8, 4),   // three channels
                   adpcmWave(block, 1, 0, 4),   // block size 0
                   adpcmWave(cut, 1, 8, 4),     // the short header
                   adpcmWave(block, 1, 8, 4)};  // fine
    auto& wave = data.animations[3];
    ASSERT_EQ(wave.name, "Wave");
    wave.frames.push_back(wave.frames[0]);
    wave.frames.push_back(wave.frames[1]);
    for (std::size_t i = 0; i < wave.frames.size(); ++i)
        wave.frames[i].sound = static_cast<std::uint16_t>(i);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(acs::decodeWave(data.sounds[i]).ok()) << i;

    desktop::DesktopAgentControl::Config config;
    config.playback.idle = false;
    config.sound = true;
    desktop::DesktopAgentControl control(config);
    QString error;
    ASSERT_TRUE(control.load(QStringLiteral("s"),
                             desktoptest::writeCharacter(data, dir.path(), QStringLiteral("s.bin")),
                             &error))
        << error.toStdString();
    desktop::DesktopCharacter* c = control.desktopCharacter(QStringLiteral("s"));
    ASSERT_NE(c, nullptr);
    c->show();
    ASSERT_TRUE(
        QTest::qWaitFor([c] { return c->window()->isVisible() && !c->player().busy(); }, 2000));
    for (int round = 0; round < 2; ++round) {  // the second time from the decoded cache
        c->play(QStringLiteral("Wave"));
        EXPECT_TRUE(QTest::qWaitFor([c] { return !c->player().busy(); }, 3000)) << round;
        EXPECT_TRUE(c->window()->isVisible());
    }
}
