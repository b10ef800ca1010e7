#pragma once

// The one rule by which characters, the player and the companion match animation and state
// names: two names are the same when their NFKC_Casefold forms are equal. That makes
// full-width and half-width forms (Latin and katakana), upper and lower case in any script,
// and precomposed and combining spellings of a letter all alike.

#include <string>
#include <string_view>

namespace names {

// The NFKC_Casefold form of a UTF-8 name, as UTF-8 ("ＲｅｓｔＰｏｓｅ" -> "restpose",
// "ｱｲﾄﾞﾙ" -> "アイドル", "Über" -> "über"). Bytes that are not valid UTF-8 are kept as they
// are, so such names still only match themselves.
std::string fold(std::string_view name);

// fold(a) == fold(b).
bool same(std::string_view a, std::string_view b);

}  // namespace names
