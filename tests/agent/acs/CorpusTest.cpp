// Real characters from the folder named by PORUKANE_ACS_CORPUS (skipped when unset). Only
// properties that hold for every valid file are checked.

#include "Checks.h"

#include "agent/acs/Character.h"
#include "agent/acs/Wave.h"
#include "agent/acs/Writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace acs {
namespace {

TEST(Corpus, EveryCharacterLoadsStrictlyAndDraws) {
    const auto files = test::corpusFiles();
    if (files.empty()) {
        GTEST_SKIP() << "PORUKANE_ACS_CORPUS is not set or holds no .acs files";
    }
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        const std::string name = path.filename().string();
        const LoadResult r = loadCharacter(bytes, Mode::Strict);
        if (r.error.code == ErrorCode::Agent15) {
            continue;  // older format, refused by design
        }
        // Strict loading already decompressed every image and region block to exactly its
        // size and parsed every block to exactly its locator.
        ASSERT_TRUE(r.ok()) << name << ": " << r.error.message();
        const Character& c = *r.character;
        EXPECT_EQ(test::danglingReference(c), "") << name;
        for (std::size_t a = 0; a < c.animations().size(); ++a) {
            for (std::size_t f = 0; f < c.animations()[a].frames.size(); ++f) {
                const auto frame = c.composeFrame(a, f);
                ASSERT_EQ(frame->rgba.size(), std::size_t{c.width()} * c.height() * 4) << name;
            }
        }
        for (std::size_t s = 0; s < c.sounds().size(); ++s) {
            if (c.sounds()[s].playable) {
                const WaveResult w = decodeWave(c.soundBytes(s));
                EXPECT_TRUE(w.ok()) << name << " sound " << s << ": " << w.error.message();
            }
        }
        // Our writer stores the same character again.
        const WriteResult written = writeCharacter(c.toData());
        ASSERT_TRUE(written.ok()) << name << ": " << written.error.message();
        const LoadResult again = loadCharacter(written.bytes, Mode::Strict);
        ASSERT_TRUE(again.ok()) << name;
        EXPECT_TRUE(again.character->toData() == c.toData()) << name;
    }
}

}  // namespace
}  // namespace acs
