#include "Fixture.h"
#include "agent/acs/Writer.h"
#include "agent/engine/Script.h"

#include <gtest/gtest.h>

TEST(Script, CarriesTimingBranchesTransitionsAndStates) {
    const acs::LoadResult loaded = acs::loadCharacter(
        acs::writeCharacterUnchecked(acs::test::smallCharacter()), acs::Mode::Strict);
    ASSERT_TRUE(loaded.ok()) << loaded.error.message();
    const playback::Script script = engine::makeScript(*loaded.character);

    ASSERT_EQ(script.animations.size(), 3u);
    const playback::Animation& show = script.animations[0];
    EXPECT_EQ(show.name, "Show");
    EXPECT_EQ(show.transition, playback::Transition::ExitBranches);
    ASSERT_EQ(show.frames.size(), 2u);
    EXPECT_EQ(show.frames[0].durationMs, 100) << "hundredths of a second become milliseconds";
    EXPECT_EQ(show.frames[0].exitBranch, playback::kExitNextFrame);
    EXPECT_EQ(show.frames[0].sound, 0);
    EXPECT_EQ(show.frames[1].sound, -1) << "no sound";
    ASSERT_EQ(show.frames[0].branches.size(), 2u);
    EXPECT_EQ(show.frames[0].branches[0].frame, 1);
    EXPECT_EQ(show.frames[0].branches[0].percent, 60);

    const playback::Animation& hide = script.animations[2];
    EXPECT_EQ(hide.transition, playback::Transition::Return);
    EXPECT_EQ(hide.returnAnimation, 0);
    EXPECT_FALSE(hide.frames[0].hasImages);
    EXPECT_EQ(script.animations[1].transition, playback::Transition::None);

    EXPECT_EQ(script.states.at("IDLINGLEVEL1"), (std::vector<int>{1, 0}));
}
