#include "Checks.h"
#include "Fixture.h"

#include "agent/acs/Character.h"
#include "agent/acs/Writer.h"

#include <gtest/gtest.h>

namespace acs {
namespace {

using test::Field;

std::vector<std::uint8_t> smallFile() {
    return writeCharacterUnchecked(test::smallCharacter());
}

// The fields themselves are covered by the writer round trip; here, the look-ups.
TEST(Reader, LooksUpNamesInAnyCaseAndSoundsWithinTheList) {
    const LoadResult r = loadCharacter(smallFile(), Mode::Strict);
    ASSERT_TRUE(r.ok()) << r.error.message();
    const Character& c = *r.character;
    EXPECT_EQ(c.findAnimation("idle (1)"), std::optional<std::size_t>(1));
    EXPECT_FALSE(c.findAnimation("Sho"));
    EXPECT_NE(c.findState("IdlingLevel1"), nullptr);
    EXPECT_EQ(c.soundBytes(0).size(), test::pcmWave(21).size());
    EXPECT_TRUE(c.soundBytes(1).empty());
}

TEST(Reader, RefusesForeignFiles) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        ErrorCode code;
        const char* text;
    };
    std::vector<std::uint8_t> ole = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    ole.resize(512);
    std::vector<std::uint8_t> acf = smallFile();
    acf[0] = 0xC4;
    const Case cases[] = {
        {ole, ErrorCode::Agent15, "Agent 1.5 character files are not supported"},
        {acf, ErrorCode::WebIndex, "web-delivery index"},
        {{'h', 'e', 'l', 'l', 'o'}, ErrorCode::NotCharacter, "shorter than a header"},
        {{}, ErrorCode::NotCharacter, "not a character file"},
        {std::vector<std::uint8_t>(64, 0x41), ErrorCode::NotCharacter, "unknown signature"},
    };
    for (const Case& c : cases) {
        const LoadResult r = loadCharacter(c.bytes, Mode::Lenient);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.error.code, c.code);
        EXPECT_NE(r.error.detail.find(c.text), std::string::npos) << r.error.detail;
    }
}

TEST(Reader, EveryTruncationFailsCleanly) {
    const auto file = smallFile();
    for (std::size_t len = 0; len < file.size(); ++len) {
        const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(len));
        for (const Mode mode : {Mode::Strict, Mode::Lenient}) {
            const LoadResult r = loadCharacter(cut, mode);
            EXPECT_FALSE(r.ok()) << len;
            EXPECT_LE(r.error.offset, file.size()) << len;
        }
    }
}

TEST(Reader, CorruptFields) {
    const auto file = smallFile();
    const auto size = static_cast<std::uint32_t>(file.size());
    const auto at = [&](Field f) { return static_cast<std::uint32_t>(test::fieldOffset(file, f)); };
    const auto value = [&](Field f) { return test::fieldValue(file, f); };
    struct Case {
        Field field;
        std::uint32_t value;
        ErrorCode strict;   // the error in strict mode
        bool lenientLoads;  // lenient mode keeps the character
    };
    const Case cases[] = {
        {Field::Signature, 0x12345678, ErrorCode::NotCharacter, false},
        {Field::InfoOffset, 0xFFFFFFF0, ErrorCode::BadLocator, false},
        {Field::InfoSize, 0xFFFFFFFF, ErrorCode::BadLocator, false},
        {Field::ImageDirOffset, size, ErrorCode::BadLocator, false},
        {Field::AnimDirSize, value(Field::AnimDirSize) + 1, ErrorCode::SizeMismatch, true},
        {Field::InfoSize, value(Field::InfoSize) - 1, ErrorCode::SizeMismatch, true},
        {Field::FrameWidth, 0, ErrorCode::BadValue, false},
        {Field::FrameWidth, 5000, ErrorCode::BadValue, false},
        {Field::PaletteCount, 0, ErrorCode::BadValue, false},
        {Field::PaletteCount, 257, ErrorCode::BadValue, false},
        {Field::PaletteCount, 0x40000000, ErrorCode::BadValue, false},
        {Field::TrayIconFlag, 2, ErrorCode::BadValue, false},
        {Field::StateCount, 0xFFFF, ErrorCode::LimitExceeded, false},
        {Field::LocalizedCount, 0xFFFF, ErrorCode::LimitExceeded, true},
        {Field::AnimDirCount, 0xFFFFFFFF, ErrorCode::LimitExceeded, false},
        {Field::AnimRecordSize, value(Field::AnimRecordSize) + 1, ErrorCode::SizeMismatch, true},
        {Field::AnimRecordSize, 0xFFFFFFFF, ErrorCode::BadLocator, true},
        {Field::AnimRecordOffset, at(Field::AnimDirCount), ErrorCode::BadString, true},
        {Field::FrameCount, 0xFFFF, ErrorCode::LimitExceeded, true},
        {Field::FrameImageIndex, 99, ErrorCode::BadReference, true},
        {Field::BranchCount, 200, ErrorCode::LimitExceeded, true},
        {Field::ImageDirCount, 0x10000000, ErrorCode::LimitExceeded, false},
        {Field::ImageRecordSize, value(Field::ImageRecordSize) + 1, ErrorCode::SizeMismatch, true},
        {Field::ImageRecordOffset, size - 4, ErrorCode::BadLocator, true},
        {Field::ImageWidth, 0xFFFF, ErrorCode::SizeMismatch, true},
        {Field::ImageWidth, 9, ErrorCode::BadCompressedData, true},
        {Field::ImagePixelSize, 0xFFFFFF, ErrorCode::Truncated, true},
        {Field::PixelMarker, 0x55, ErrorCode::BadCompressedData, true},
        {Field::ImageRegionSize, 1000, ErrorCode::Truncated, true},
        {Field::AudioDirCount, 0xFFFFFFFF, ErrorCode::LimitExceeded, false},
        {Field::SoundRiffSize, 5, ErrorCode::BadSound, true},
    };
    // Lenient mode decodes images only when they are drawn, so a broken compressed stream is
    // found then (and the image drawn empty), not at load.
    const auto foundWhenDrawn = [](const Case& c) {
        return c.field == Field::PixelMarker || (c.field == Field::ImageWidth && c.value == 9);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "field " << static_cast<int>(c.field) << "=" << c.value);
        const auto bad = test::corrupt(file, c.field, c.value);
        const LoadResult strict = loadCharacter(bad, Mode::Strict);
        EXPECT_EQ(strict.error.code, c.strict) << strict.error.message();
        const LoadResult lenient = loadCharacter(bad, Mode::Lenient);
        EXPECT_EQ(lenient.ok(), c.lenientLoads) << lenient.error.message();
        if (!lenient.ok()) {
            continue;
        }
        const Character& l = *lenient.character;
        EXPECT_NE(lenient.warnings.empty(), !foundWhenDrawn(c));
        EXPECT_EQ(l.verifyImages().empty(), !foundWhenDrawn(c));
        EXPECT_EQ(test::danglingReference(l), "");
        // Every frame of what is left can be drawn.
        for (std::size_t a = 0; a < l.animations().size(); ++a) {
            for (std::size_t f = 0; f < l.animations()[a].frames.size(); ++f) {
                EXPECT_EQ(l.composeFrame(a, f, 1)->rgba.size(), 8u * 6u * 4u);
            }
        }
    }
}

TEST(Reader, LenientModeDropsABrokenAnimationAndKeepsTheRest) {
    const auto file = smallFile();
    const LoadResult r =
        loadCharacter(test::corrupt(file, Field::AnimRecordSize,
                                    test::fieldValue(file, Field::AnimRecordSize) + 1),
                      Mode::Lenient);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.character->animations().size(), 2u);
    EXPECT_EQ(r.character->animations()[0].name, "Idle (1)");
    // Hide returned to Show, which is gone: nothing is owed any more.
    EXPECT_FALSE(r.character->animations()[1].returnIndex);
    EXPECT_TRUE(r.character->findState("SHOWING")->animationIndices.empty());
    EXPECT_EQ(r.character->findState("IDLINGLEVEL1")->animationIndices,
              (std::vector<std::size_t>{0}));
}

const Frame& frameOf(const Character& c, std::size_t anim, std::size_t frame) {
    return c.animations()[anim].frames[frame];
}
Frame& at(CharacterData& d, std::size_t anim, std::size_t frame) {
    return d.animations[anim].frames[frame];
}

TEST(Reader, DanglingReferences) {
    using Data = CharacterData&;
    using Char = const Character&;
    struct Case {
        const char* what;
        void (*breakIt)(Data);
        ErrorCode strict;  // None: strict mode loads it too
        bool (*neutralised)(Char);
    };
    const auto oneBranch = [](Char c) { return frameOf(c, 0, 0).branches.size() == 1; };
    const auto oneOverlay = [](Char c) { return frameOf(c, 1, 0).overlays.size() == 1; };
    const auto exitEnds = [](Char c) { return frameOf(c, 0, 1).exitValue == kExitEnd; };
    constexpr ErrorCode kRef = ErrorCode::BadReference;
    const Case cases[] = {
        {"branch to a missing frame", [](Data d) { at(d, 0, 0).branches[0].frame = 2; }, kRef,
         oneBranch},
        {"branches over 100%", [](Data d) { at(d, 0, 0).branches[1].percent = 41; }, kRef,
         oneBranch},
        {"image past the list", [](Data d) { at(d, 0, 0).images[0].image = 4; }, kRef,
         [](Char c) { return frameOf(c, 0, 0).images.size() == 1; }},
        {"overlay image past the list", [](Data d) { at(d, 1, 0).overlays[0].image = 9; }, kRef,
         oneOverlay},
        {"mouth type 7", [](Data d) { at(d, 1, 0).overlays[1].mouth = 7; }, kRef, oneOverlay},
        {"exit to a missing frame", [](Data d) { at(d, 0, 1).exitValue = 2; }, kRef, exitEnds},
        {"exit value -3", [](Data d) { at(d, 0, 1).exitValue = -3; }, kRef, exitEnds},
        {"missing return animation", [](Data d) { d.animations[2].returnAnimation = "NOPE"; }, kRef,
         [](Char c) { return !c.animations()[2].returnIndex; }},
        {"transition type 3", [](Data d) { d.animations[0].transition = 3; }, ErrorCode::BadValue,
         [](Char c) { return c.animations()[0].transition == 2; }},
        {"state names a missing animation",
         [](Data d) { d.info.states[0].animations.push_back("NOPE"); }, kRef,
         [](Char c) { return c.findState("SHOWING")->animationIndices.size() == 1; }},
        {"sound past the list", [](Data d) { at(d, 0, 0).sound = 5; }, ErrorCode::None,
         [](Char c) { return frameOf(c, 0, 0).sound == kNoSound; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CharacterData data = test::smallCharacter();
        c.breakIt(data);
        const auto file = writeCharacterUnchecked(data);
        EXPECT_EQ(loadCharacter(file, Mode::Strict).error.code, c.strict);
        const LoadResult lenient = loadCharacter(file, Mode::Lenient);
        ASSERT_TRUE(lenient.ok());
        EXPECT_FALSE(lenient.warnings.empty());
        EXPECT_TRUE(c.neutralised(*lenient.character));
        EXPECT_EQ(test::danglingReference(*lenient.character), "");
        // The writer refuses to store what the reader would refuse.
        EXPECT_EQ(writeCharacter(data).ok(), c.strict == ErrorCode::None);
    }
}

TEST(Reader, LocalizedInfoPreference) {
    // Stored language ids, and the one the reader prefers.
    const std::pair<std::vector<std::uint16_t>, std::uint16_t> cases[] = {
        {{0x0401, 0x0009, 0x0011, 0x0411}, 0x0411},
        {{0x0401, 0x0009, 0x0011, 0x0409}, 0x0011},
        {{0x0401, 0x0009, 0x0409}, 0x0409},
        {{0x0401, 0x0009, 0x0809}, 0x0009},
        {{0x0401, 0x040C}, 0x0401},
    };
    for (const auto& [ids, chosen] : cases) {
        CharacterData data = test::smallCharacter();
        data.info.localized.clear();
        for (const std::uint16_t id : ids) {
            data.info.localized.push_back({id, "n" + std::to_string(id), "", ""});
        }
        const LoadResult r = loadCharacter(writeCharacterUnchecked(data), Mode::Strict);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.character->preferredLocalizedInfo()->langId, chosen);
    }
}

}  // namespace
}  // namespace acs
