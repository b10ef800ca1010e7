#include "Fixture.h"

#include "agent/acs/Character.h"
#include "agent/acs/Writer.h"

#include <gtest/gtest.h>

namespace acs {
namespace {

// Golden frames as rows of letters joined by '/': R, G, B for the fixture's colours, '.' for
// transparent.
std::string letters(const ComposedFrame& f) {
    std::string rows;
    for (std::size_t i = 0; i < f.mask.size(); ++i) {
        const std::uint8_t* p = &f.rgba[i * 4];
        const bool opaque = f.mask[i] == 1;
        EXPECT_EQ(p[3], opaque ? 255 : 0);
        if (i > 0 && i % f.width == 0) {
            rows += '/';
        }
        if (!opaque) {
            EXPECT_EQ(p[0] | p[1] | p[2], 0) << "transparent pixels are (0,0,0,0)";
            rows += '.';
        } else {
            const int rgb = (p[0] << 16) | (p[1] << 8) | p[2];
            rows += rgb == 0xFF0000 ? 'R' : rgb == 0x00FF00 ? 'G' : rgb == 0x0000FF ? 'B' : '?';
        }
    }
    return rows;
}

TEST(Compositor, GoldenFrames) {
    const LoadResult r =
        loadCharacter(writeCharacterUnchecked(test::smallCharacter()), Mode::Strict);
    ASSERT_TRUE(r.ok()) << r.error.message();
    const Character& c = *r.character;
    struct Case {
        const char* name;
        std::size_t anim, frame;
        int mouth;
        std::string golden;
    };
    const std::string empty = "......../......../......../......../......../........";
    const Case cases[] = {
        // Image 0 on top of the body, clipped at the top and right edges, not shifted in.
        {"show-0", 0, 0, kNoMouth, "RRRRRRGG/RRRRRRRR/RRRRRRRR/RRRRRRRR/RRRRRRRR/RRRRRRRR"},
        // Index 9 lies beyond the palette and leaves the body visible below it.
        {"show-1", 0, 1, kNoMouth, "RRRRRRRR/RRRRRRRR/RRRRRRRR/RRRRRRRR/RRRRRRRG/RRRRRRGR"},
        // The patch's transparent index lets the body show through.
        {"idle", 1, 0, kNoMouth, "RRRRRRRR/RRRRRRRR/RRGRGRRR/RRGGGRRR/RRRRRRRR/RRRRRRRR"},
        // Replace overlay: image 0 (the patch) is left out, the mouth drawn on top.
        {"idle-mouth-1", 1, 0, 1, "RRRRRRRR/RBBBBBRR/RBRRRBRR/RBBBBBRR/RRRRRRRR/RRRRRRRR"},
        // Plain overlay: drawn over the complete frame, clipped at the right and bottom.
        {"idle-mouth-6", 1, 0, 6, "RRRRRRRR/RRRRRRRR/RRGRGRRR/RRGGGRRR/RRRRBBBB/RRRRBRRR"},
        // A mouth the frame has no overlay for: the plain frame.
        {"idle-mouth-3", 1, 0, 3, "RRRRRRRR/RRRRRRRR/RRGRGRRR/RRGGGRRR/RRRRRRRR/RRRRRRRR"},
        {"hide-empty", 2, 0, kNoMouth, empty},
        {"out-of-range", 7, 0, kNoMouth, empty},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(letters(*c.composeFrame(k.anim, k.frame, k.mouth)), k.golden) << k.name;
    }
    // The cache hands back the same frame.
    EXPECT_EQ(c.composeFrame(0, 0), c.composeFrame(0, 0));
}

TEST(Compositor, TransparencyGoesByIndexNotColour) {
    CharacterData d = test::smallCharacter();
    d.info.transparentIndex = 2;      // green is now transparent...
    d.info.palette[0] = {0, 255, 0};  // ...while index 0 is green and opaque
    d.images[1] = test::solidImage(8, 6, 0);
    const LoadResult r = loadCharacter(writeCharacterUnchecked(d), Mode::Strict);
    ASSERT_TRUE(r.ok());
    // The patch (index 2) vanishes; the body (index 0) is drawn in green.
    EXPECT_EQ(letters(*r.character->composeFrame(0, 0)).substr(0, 8), "GGGGGGGG");
}

}  // namespace
}  // namespace acs
