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
    for (const auto& c : cases)
        EXPECT_EQ(files::wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

// Each pair sits at the edge of a folded range, or just outside it: "@" and "[" border A-Z,
// × and ÷ lie inside the Latin-1 letters but have no case (and are 0x20 apart like a pair).
TEST(Wildcard, CaseFoldingStopsExactlyAtTheEdgesOfEachAlphabet) {
    const struct {
        const char *upper, *lower;
        bool fold;
    } pairs[] = {
        // clang-format off
        {"A", "a", true}, {"Z", "z", true}, {"@", "`", false}, {"[", "{", false},
        {"À", "à", true}, {"Þ", "þ", true}, {"×", "÷", false}, {"ß", "ÿ", false},
        {"Ѐ", "ѐ", true}, {"Џ", "џ", true}, {"А", "а", true}, {"Ж", "ж", true}, {"Я", "я", true},
        {"Α", "α", true}, {"Ω", "ω", true}, {"Ａ", "ａ", true}, {"Ｚ", "ｚ", true},
        // clang-format on
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(files::wildcardMatch(p.upper, p.lower), p.fold) << p.upper << " " << p.lower;
        EXPECT_EQ(files::wildcardMatch(p.lower, p.upper), p.fold) << p.lower << " " << p.upper;
        // Inside a longer name and after a star, the same character by character.
        const std::string upper = std::string("*x") + p.upper + ".acs";
        const std::string lower = std::string("yX") + p.lower + ".ACS";
        EXPECT_EQ(files::wildcardMatch(upper, lower), p.fold) << upper << " " << lower;
        EXPECT_TRUE(files::wildcardMatch(p.upper, p.upper) &&
                    files::wildcardMatch(p.lower, p.lower));
    }
}

}  // namespace
