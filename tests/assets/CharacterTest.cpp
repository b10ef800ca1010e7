// Our own character as the build compiled it: it must load in strict mode, name what it
// should, and every animation must find its way back to the rest pose the way the player
// walks exits.

#include "Palette.h"
#include "Sounds.h"

#include "agent/acs/Character.h"
#include "agent/acs/Wave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const acs::LoadResult& loaded() {
    static const acs::LoadResult result = [] {
        std::ifstream in(PORUKANE_CHARACTER_FILE, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        return acs::loadCharacter(std::move(bytes), acs::Mode::Strict);
    }();
    return result;
}

const acs::Character& character() {
    return *loaded().character;
}

std::size_t index(const std::string& name) {
    return character().findAnimation(name).value();
}

const std::vector<std::uint8_t>& pixels(std::size_t animation, std::size_t frame) {
    return character().composeFrame(animation, frame)->rgba;
}

const std::vector<std::uint8_t>& restPose() {
    static const std::vector<std::uint8_t> rest = pixels(index("RestPose"), 0);
    return rest;
}

struct WalkEnd {
    std::size_t displayed = 0;
    bool clean = false;  // ended by an end value or past the last frame, not by a loop guard
};

// The player's exit walk: exits only, branches ignored, -1 ends it, -2 goes on to the next
// frame; a frame already visited or past the end stops it.
WalkEnd exitWalk(const acs::Animation& a, std::size_t from) {
    std::set<std::size_t> visited{from};
    WalkEnd end{from, false};
    std::size_t k = from;
    for (;;) {
        const int v = a.frames[k].exitValue;
        const std::size_t next = v >= 0 ? static_cast<std::size_t>(v) : k + 1;
        if (v == acs::kExitEnd || next >= a.frames.size())
            return {end.displayed, true};
        if (!visited.insert(next).second)
            return end;
        k = next;
        if (a.frames[k].duration > 0)
            end.displayed = k;
    }
}

bool isEmpty(const acs::Animation& a, std::size_t frame) {
    return a.frames[frame].images.empty();
}

TEST(Character, LoadsInStrictModeWithTheStandardAnimations) {
    ASSERT_TRUE(loaded().ok()) << loaded().error.message();
    EXPECT_TRUE(loaded().warnings.empty()) << loaded().warnings.front();
    EXPECT_EQ(character().width(), 128);
    EXPECT_EQ(character().height(), 128);
    EXPECT_TRUE(character().info().trayIcon);
    for (const char* name :
         {"RestPose",     "Show",        "Hide",         "Greet",     "Wave",        "Blink",
          "Acknowledge",  "Alert",       "Congratulate", "Confused",  "Decline",     "Explain",
          "GetAttention", "GestureLeft", "GestureRight", "GestureUp", "GestureDown", "LookLeft",
          "LookRight",    "LookUp",      "LookDown",     "MoveLeft",  "MoveRight",   "MoveUp",
          "MoveDown",     "Pleased",     "Sad",          "Surprised", "Think",       "Process",
          "Search",       "Idle1_1",     "Idle2_1",      "Idle3_1",   "Speak"})
        EXPECT_TRUE(character().findAnimation(name)) << name;
    EXPECT_GE(character().animations().size(), 30u);
}

TEST(Character, FillsEveryStateWithExistingAnimations) {
    ASSERT_TRUE(loaded().ok());
    for (const char* name :
         {"SHOWING", "HIDING", "SPEAKING", "MOVINGLEFT", "MOVINGRIGHT", "MOVINGUP", "MOVINGDOWN",
          "GESTURINGLEFT", "GESTURINGRIGHT", "GESTURINGUP", "GESTURINGDOWN", "IDLINGLEVEL1",
          "IDLINGLEVEL2", "IDLINGLEVEL3", "LISTENING", "HEARING"}) {
        const acs::State* state = character().findState(name);
        ASSERT_NE(state, nullptr) << name;
        EXPECT_FALSE(state->animations.empty()) << name;
        EXPECT_EQ(state->animationIndices.size(), state->animations.size()) << name;
    }
}

// Every frame composes with clean edges (the transparent magenta is never drawn) and stays
// inside the frame, and from one shown frame to the next the body's bottom (in the middle
// column) never jumps further than a hop.
TEST(Character, FramesAreCleanStayInsideAndMoveSmoothly) {
    ASSERT_TRUE(loaded().ok());
    constexpr int kSize = 128;
    const auto bottomOf = [](const acs::ComposedFrame& f) {
        for (int y = kSize - 1; y >= 0; --y)
            if (f.mask[static_cast<std::size_t>(y * kSize + kSize / 2)])
                return y;
        return -1;
    };
    const auto& animations = character().animations();
    for (std::size_t a = 0; a < animations.size(); ++a) {
        int previous = -1;
        for (std::size_t f = 0; f < animations[a].frames.size(); ++f) {
            const auto frame = character().composeFrame(a, f);
            ASSERT_NE(frame, nullptr);
            ASSERT_EQ(frame->rgba.size(), 128u * 128u * 4u);
            std::size_t opaque = 0;
            for (std::size_t p = 0; p < frame->mask.size(); ++p) {
                if (frame->mask[p]) {
                    ++opaque;
                    const std::uint8_t* px = &frame->rgba[p * 4];
                    EXPECT_FALSE(px[0] == 255 && px[1] == 0 && px[2] == 255) << animations[a].name;
                }
            }
            if (!isEmpty(animations[a], f)) {
                EXPECT_GT(opaque, 100u) << animations[a].name << " frame " << f;
            }
            bool touches = false;
            for (int i = 0; i < kSize; ++i)
                for (const int p : {i, (kSize - 1) * kSize + i, i * kSize, i * kSize + kSize - 1})
                    touches |= frame->mask[static_cast<std::size_t>(p)] != 0;
            EXPECT_FALSE(touches) << animations[a].name << " frame " << f << " touches the edge";
            if (animations[a].frames[f].duration == 0 || isEmpty(animations[a], f))
                continue;
            const int bottom = bottomOf(*frame);
            if (previous >= 0 && animations[a].name != "Show" && animations[a].name != "Hide") {
                EXPECT_LE(std::abs(bottom - previous), 12) << animations[a].name << " frame " << f;
            }
            previous = bottom;
        }
    }
}

// Cut short on any frame it shows, an animation walks its exit back to the rest pose (Hide:
// to nothing at all) without running into a loop guard. Played to its end (no branch taken)
// and then paid off, it stands at rest as well.
TEST(Character, EveryAnimationComesBackToRest) {
    ASSERT_TRUE(loaded().ok());
    for (const acs::Animation& a : character().animations()) {
        const auto atRest = [&](std::size_t frame) {
            return a.name == "Hide" ? isEmpty(a, frame)
                                    : pixels(index(a.name), frame) == restPose();
        };
        std::size_t last = 0;
        for (std::size_t f = 0; f < a.frames.size(); ++f) {
            if (a.frames[f].duration == 0)
                continue;
            last = f;
            const WalkEnd end = exitWalk(a, f);
            EXPECT_TRUE(end.clean && atRest(end.displayed))
                << a.name << " frame " << f << " ends on " << end.displayed;
        }
        EXPECT_TRUE(atRest(a.transition == 1 ? exitWalk(a, last).displayed : last))
            << a.name << " played to its end";
    }
}

// The frames and sounds exercise what real characters use: sounds on frames that take no
// time, shown frames without images, and both PCM and ADPCM sounds, each one used and playable.
TEST(Character, UsesZeroTimeSoundsEmptyFramesAndBothSoundFormats) {
    ASSERT_TRUE(loaded().ok());
    bool zeroTimeSound = false;
    bool emptyShownFrame = false;
    std::set<std::uint16_t> soundsUsed;
    for (const acs::Animation& a : character().animations())
        for (const acs::Frame& f : a.frames) {
            zeroTimeSound |= f.duration == 0 && f.sound != acs::kNoSound;
            emptyShownFrame |= f.duration > 0 && f.images.empty();
            if (f.sound != acs::kNoSound)
                soundsUsed.insert(f.sound);
        }
    EXPECT_TRUE(zeroTimeSound);
    EXPECT_TRUE(emptyShownFrame);
    EXPECT_EQ(soundsUsed.size(), character().sounds().size());

    std::set<std::uint16_t> formats;
    for (const acs::SoundInfo& s : character().sounds()) {
        EXPECT_TRUE(s.playable);
        formats.insert(s.formatTag);
    }
    EXPECT_EQ(formats, (std::set<std::uint16_t>{1, 2}));
}

// Our ADPCM encoder, decoded by the player: signal-to-noise over the true length, for signals
// shorter than a block, exactly one block, one sample more, and loud or silent ones.
TEST(CharacterSounds, AdpcmDecodesCloseToTheSource) {
    mascot::Samples square(1200);
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 40) % 2 ? 32767 : -32768;
    mascot::Samples sine(501);
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] =
            static_cast<std::int16_t>(std::lround(12000 * std::sin(static_cast<double>(i) * 0.05)));
    // What, the samples, the least signal-to-noise ratio in dB.
    const std::tuple<const char*, mascot::Samples, double> cases[] = {
        {"chime", mascot::chimeSound(), 20.0},
        {"boing", mascot::boingSound(), 20.0},
        {"short", mascot::Samples(sine.begin(), sine.begin() + 37), 15.0},
        {"one block", mascot::Samples(sine.begin(), sine.begin() + 500), 20.0},
        {"one block and a sample", sine, 20.0},
        {"full-scale square", square, 10.0},
    };
    for (const auto& [what, samples, minSnrDb] : cases) {
        const auto wave = mascot::adpcmWave(samples);
        const acs::WaveResult decoded = acs::decodeWave(wave);
        ASSERT_TRUE(decoded.ok()) << what << ": " << decoded.error().message();
        const acs::PcmSound* pcm = &decoded.value();
        EXPECT_EQ(pcm->sampleRate, 22050u);
        ASSERT_GE(pcm->samples.size(), samples.size()) << what;
        double signal = 1.0, noise = 1.0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double s = samples[i];
            signal += s * s;
            noise += (s - pcm->samples[i]) * (s - pcm->samples[i]);
        }
        EXPECT_GT(10.0 * std::log10(signal / noise), minSnrDb) << what;
    }
}
// The quantiser's alpha threshold is what keeps edges free of the transparent colour: just
// below half coverage a pixel vanishes, from half on it takes a real colour, never index 0.
TEST(CharacterPalette, ThresholdsAlphaAndMapsKeyColoursExactly) {
    mascot::Palette palette;
    ASSERT_EQ(palette.colors().size(), 256u);
    // A pixel in straight alpha, and whether it stays opaque.
    const std::pair<QRgb, bool> cases[] = {
        {qRgba(0, 0, 0, 0), false},
        {qRgba(92, 64, 58, 127), false},
        {qRgba(92, 64, 58, 128), true},
        {qRgba(255, 0, 255, 255), true},  // magenta drawn on purpose still is no hole
        {qRgba(120, 190, 90, 255), true},
    };
    QImage image(static_cast<int>(std::size(cases)), 1, QImage::Format_ARGB32);
    for (int i = 0; i < image.width(); ++i)
        image.setPixel(i, 0, cases[i].first);
    const QImage indexed = palette.quantize(image);
    ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
    for (int i = 0; i < image.width(); ++i)
        EXPECT_EQ(indexed.pixelIndex(i, 0) != mascot::kTransparentIndex, cases[i].second) << i;
    // Key colours quantise to themselves.
    for (const auto& [i, rgb] : {std::pair{2, 0x5c403au}, {4, 0x78be5au}})
        EXPECT_EQ(palette.colors()[static_cast<std::size_t>(indexed.pixelIndex(i, 0))] & 0xffffff,
                  rgb);
}

}  // namespace
