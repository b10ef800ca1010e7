#include <gtest/gtest.h>

#include "files/DirectoryWalk.h"

namespace {

// "?" is one character: two bytes for é, one for a byte that is not UTF-8. Full-width letters
// fold like ASCII ones.
TEST(Wildcard, MatchesLikeTheDriveWouldWithoutRegardToCase) {
    const struct {
        const char *pattern, *name;
        bool matches;
    } cases[] = {
        // clang-format off
        {"*.acs", "a.acs", true}, {"*.acs", "GENIE.ACS", true}, {"*.ACS", "merlin.Acs", true},
        {"*.acs", ".acs", true}, {"*.acs", "a.acsx", false}, {"*.acs", "a.ac", false},
        {"?.acs", "ab.acs", false}, {"?.acs", "é.acs", true}, {"?.acs", "\xff.acs", true},
        {"\xff*", "\xff.acs", true}, {"\xfe*", "\xff.acs", false}, {"É*.acs", "éclair.ACS", true},
        {"ＡＣＳ", "ａｃｓ", true}, {"Д*", "дом", true}, {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false}, {"*", "", true}, {"", "", true}, {"", "a", false},
        {"**.acs", "x.acs", true},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files::wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

}  // namespace
