#include "Fixture.h"

#include "agent/acs/Character.h"
#include "agent/acs/Writer.h"

#include <gtest/gtest.h>

namespace acs {
namespace {

TEST(Writer, RoundTripsTheModel) {
    const CharacterData model = test::smallCharacter();
    const WriteResult w = writeCharacter(model);
    ASSERT_TRUE(w.ok()) << w.error().message();
    EXPECT_EQ(w.value(), writeCharacter(model).value()) << "output is deterministic";
    const LoadResult r = loadCharacter(w.value(), Mode::Strict);
    ASSERT_TRUE(r.ok()) << r.error.message();
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    // The reader fills derived fields the writer ignores; give the model the same ones.
    CharacterData expected = model;
    expected.info.states[0].animationIndices = {0};
    expected.info.states[1].animationIndices = {2};
    expected.info.states[2].animationIndices = {1, 0};
    expected.animations[2].returnIndex = 0;
    const CharacterData actual = r.character->toData();
    EXPECT_EQ(actual.info, expected.info);
    EXPECT_EQ(actual.animations, expected.animations);
    EXPECT_EQ(actual.images, expected.images);
    EXPECT_EQ(actual.sounds, expected.sounds);
    // Writing what was read gives the same file again.
    EXPECT_EQ(writeCharacter(actual).value(), w.value());
}

TEST(Writer, KeepsFlagsInStepWithOptionalRecords) {
    CharacterData model = test::smallCharacter();
    model.info.voice.reset();
    model.info.balloon.reset();
    model.info.trayIcon.reset();
    const WriteResult w = writeCharacter(model);
    ASSERT_TRUE(w.ok()) << w.error().message();
    const LoadResult r = loadCharacter(w.value(), Mode::Strict);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.character->info().flags & (kFlagVoice | kFlagBalloon), 0u);
    EXPECT_FALSE(r.character->info().balloon);
}

TEST(Writer, RefusesImagesOfTheWrongSize) {
    CharacterData model = test::smallCharacter();
    model.images[0].pixels.pop_back();
    EXPECT_EQ(writeCharacter(model).error().code, ErrorCode::WriteFailed);
}

TEST(Writer, RegionRebuildsTheOpaqueMask) {
    const ImageData img = test::imageFromRows({{0, 1, 1, 0}, {0, 1, 1, 0}, {1, 0, 0, 0}});
    const auto region = buildRegion(img, 0);
    // Header (32 bytes) + two rectangles: (1,0)-(3,2) merged over two rows, and (0,2)-(1,3).
    ASSERT_EQ(region.size(), 32u + 2 * 16u);
    std::vector<std::int32_t> words;
    for (std::size_t i = 0; i < region.size(); i += 4) {
        words.push_back(static_cast<std::int32_t>(region[i] | (region[i + 1] << 8) |
                                                  (region[i + 2] << 16) | (region[i + 3] << 24)));
    }
    EXPECT_EQ(words, (std::vector<std::int32_t>{32, 1, 2, 32, 0, 0, 3, 3,  // header, bounds
                                                1, 0, 3, 2, 0, 2, 1, 3}));
}

}  // namespace
}  // namespace acs
