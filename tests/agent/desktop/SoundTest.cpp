// Frame sounds converted for devices that do not take their format, and broken sounds that
// must leave the character playing.

#include "Fixture.h"
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
    const std::vector<std::uint8_t> block = {0, 16, 0, 100, 0, 50, 0, 0x1F};
    std::vector<std::uint8_t> cut = block;
    cut.insert(cut.end(), {0, 16, 0});  // a second block cut inside its header
    using acs::test::adpcmWave;
    data.sounds = {adpcmWave(3, 8, block), adpcmWave(1, 0, block), adpcmWave(1, 8, cut),
                   adpcmWave(1, 8, block)};  // three channels, block size 0, short header, fine
    auto& wave = data.animations[3];
    ASSERT_EQ(wave.name, "Wave");
    wave.frames.push_back(wave.frames[0]);
    wave.frames.push_back(wave.frames[1]);
    for (std::size_t i = 0; i < wave.frames.size(); ++i)
        wave.frames[i].sound = static_cast<std::uint16_t>(i);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(acs::decodeWave(data.sounds[i]).ok()) << i;

    desktop::DesktopAgentControl control({.playback = {.idle = false}, .sound = true});
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
