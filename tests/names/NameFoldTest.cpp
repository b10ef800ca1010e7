#include "names/NameFold.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(NameFold, FoldsWidthCaseAndCompatibilityForms) {
    const std::pair<std::string, std::string> cases[] = {
        {"RestPose", "restpose"},
        {"ＲｅｓｔＰｏｓｅ(１)", "restpose(1)"},
        {"！～", "!~"},  // both ends of the full-width ASCII block
        {"Idle1_4 (2)", "idle1_4 (2)"},
        {"ｱｲﾄﾞﾙ", "アイドル"},  // half-width katakana widened, the voiced mark composed
        {"ﾊﾟﾋﾟﾌﾟ", "パピプ"},
        {"ウ\u3099", "ヴ"},
        {"ア\u3099", "ア\u3099"},  // no composite exists
        {"ÜBER", "über"},
        {"U\u0308ber", "über"},  // combining diaeresis composes
        {"ΩΣ", "ωσ"},
        {"ЖУК", "жук"},
        {"Straße", "strasse"},
        {"ﬁ", "fi"},
        {"Ⅻ", "xii"},
        {"soft\u00ADhyphen", "softhyphen"},  // default-ignorable code points fold to nothing
        {"각", "각"},                        // Hangul syllables stay composed
        {"\u1100\u1161\u11A8", "각"},        // conjoining jamo compose
        {"a\u0323\u0307", "\u1EA1\u0307"},   // marks in canonical order before composing
        {"a\u0307\u0323", "\u1EA1\u0307"},
        {"×÷", "×÷"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(names::fold(in), out) << in;
    }
}

// `same` compares folded names; the fold table above covers the positive cases.
TEST(NameFold, KeepsBytesThatAreNotUtf8AndKeepsKanaAndSuffixesApart) {
    EXPECT_EQ(names::fold("A\xEF\xBC"), "a\xEF\xBC");          // cut-off sequence
    EXPECT_EQ(names::fold("\xC0\xAF"), "\xC0\xAF");            // overlong form
    EXPECT_EQ(names::fold("\xED\xA0\x80X"), "\xED\xA0\x80x");  // surrogate
    EXPECT_FALSE(names::same("\xFF", "\xFE"));
    EXPECT_FALSE(names::same("アイドル", "あいどる"));  // katakana and hiragana differ
    EXPECT_FALSE(names::same("Wave", "Wave2"));
}

}  // namespace
