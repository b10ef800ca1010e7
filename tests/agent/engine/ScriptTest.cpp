#include "Fixture.h"
#include "agent/acs/Writer.h"
#include "agent/engine/Script.h"

#include <gtest/gtest.h>

#include <utility>

TEST(Script, CarriesTimingBranchesTransitionsAndStates) {
    const acs::LoadResult loaded = acs::loadCharacter(
        acs::writeCharacterUnchecked(acs::test::smallCharacter()), acs::Mode::Strict);
    ASSERT_TRUE(loaded.ok()) << loaded.error.message();
    const playback::Script script = engine::makeScript(*loaded.character);
    ASSERT_EQ(script.animations.size(), 3u);
    const playback::Animation& show = script.animations[0];
    EXPECT_EQ(show.transition, playback::Transition::ExitBranches);
    EXPECT_EQ(show.frames[0].durationMs, 100) << "hundredths of a second become milliseconds";
    EXPECT_EQ(show.frames[0].exitBranch, playback::kExitNextFrame);
    EXPECT_EQ(std::pair(show.frames[0].sound, show.frames[1].sound), std::pair(0, -1));
    ASSERT_EQ(show.frames[0].branches.size(), 2u);
    EXPECT_EQ(std::pair(show.frames[0].branches[0].frame, show.frames[0].branches[0].percent),
              std::pair(1, 60));
    const playback::Animation& hide = script.animations[2];
    EXPECT_EQ(std::pair(hide.transition, hide.returnAnimation),
              std::pair(playback::Transition::Return, 0));
    EXPECT_FALSE(hide.frames[0].hasImages);
    EXPECT_EQ(script.animations[1].transition, playback::Transition::None);
    EXPECT_EQ(script.states.at("IDLINGLEVEL1"), (std::vector<int>{1, 0}));
}
