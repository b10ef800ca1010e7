#include "Fixture.h"

#include "agent/acs/Character.h"
#include "agent/acs/Writer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace acs {
namespace {

// Golden frames as rows of letters: R, G, B for the fixture's colours, '.' for transparent.
std::vector<std::string> letters(const ComposedFrame& f) {
    std::vector<std::string> rows;
    for (std::size_t y = 0; y < f.height; ++y) {
        std::string row;
        for (std::size_t x = 0; x < f.width; ++x) {
            const std::uint8_t* p = &f.rgba[(y * f.width + x) * 4];
            const bool opaque = f.mask[y * f.width + x] == 1;
            EXPECT_EQ(p[3], opaque ? 255 : 0);
            if (!opaque) {
                EXPECT_EQ(p[0] | p[1] | p[2], 0) << "transparent pixels are (0,0,0,0)";
                row += '.';
            } else if (p[0] == 255 && p[1] == 0 && p[2] == 0) {
                row += 'R';
            } else if (p[0] == 0 && p[1] == 255 && p[2] == 0) {
                row += 'G';
            } else if (p[0] == 0 && p[1] == 0 && p[2] == 255) {
                row += 'B';
            } else {
                row += '?';
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// On a mismatch the actual frame is written beside the test as a PPM-like text file.
void expectGolden(const ComposedFrame& f, const std::vector<std::string>& golden,
                  const std::string& name) {
    const auto actual = letters(f);
    if (actual != golden) {
        std::ofstream out("actual-" + name + ".txt");
        for (const auto& row : actual) {
            out << row << '\n';
        }
    }
    EXPECT_EQ(actual, golden) << name;
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
        std::vector<std::string> golden;
    };
    const Case cases[] = {
        // Image 0 on top of the body, clipped at the top and right edges, not shifted in.
        {"show-0",
         0,
         0,
         kNoMouth,
         {"RRRRRRGG", "RRRRRRRR", "RRRRRRRR", "RRRRRRRR", "RRRRRRRR", "RRRRRRRR"}},
        // Index 9 lies beyond the palette and leaves the body visible below it.
        {"show-1",
         0,
         1,
         kNoMouth,
         {"RRRRRRRR", "RRRRRRRR", "RRRRRRRR", "RRRRRRRR", "RRRRRRRG", "RRRRRRGR"}},
        // The patch's transparent index lets the body show through.
        {"idle",
         1,
         0,
         kNoMouth,
         {"RRRRRRRR", "RRRRRRRR", "RRGRGRRR", "RRGGGRRR", "RRRRRRRR", "RRRRRRRR"}},
        // Replace overlay: image 0 (the patch) is left out, the mouth drawn on top.
        {"idle-mouth-1",
         1,
         0,
         1,
         {"RRRRRRRR", "RBBBBBRR", "RBRRRBRR", "RBBBBBRR", "RRRRRRRR", "RRRRRRRR"}},
        // Plain overlay: drawn over the complete frame, clipped at the right and bottom.
        {"idle-mouth-6",
         1,
         0,
         6,
         {"RRRRRRRR", "RRRRRRRR", "RRGRGRRR", "RRGGGRRR", "RRRRBBBB", "RRRRBRRR"}},
        // A mouth the frame has no overlay for: the plain frame.
        {"idle-mouth-3",
         1,
         0,
         3,
         {"RRRRRRRR", "RRRRRRRR", "RRGRGRRR", "RRGGGRRR", "RRRRRRRR", "RRRRRRRR"}},
        {"hide-empty",
         2,
         0,
         kNoMouth,
         {"........", "........", "........", "........", "........", "........"}},
        {"out-of-range",
         7,
         0,
         kNoMouth,
         {"........", "........", "........", "........", "........", "........"}},
    };
    for (const Case& k : cases) {
        expectGolden(*c.composeFrame(k.anim, k.frame, k.mouth), k.golden, k.name);
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
    const auto rows = letters(*r.character->composeFrame(0, 0));
    // The patch (index 2) vanishes; the body (index 0) is drawn in green.
    EXPECT_EQ(rows[0], "GGGGGGGG");
}

}  // namespace
}  // namespace acs
