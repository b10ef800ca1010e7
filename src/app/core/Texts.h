#pragma once

// User-visible texts every form shares, exactly as the user sees them.

namespace app::texts::core {

inline constexpr char16_t kApplicationTitle[] = u"ﾎﾟﾙｶﾈ ９９";
// Followed by the version number, e.g. "ﾊﾞｰｼﾞｮﾝ 1.0.0".
inline constexpr char16_t kVersionPrefix[] = u"ﾊﾞｰｼﾞｮﾝ ";

// Why a file cannot serve as a character, following its name in the boxes that list such files.
inline constexpr char16_t kAgent15[] = u"Agent 1.5 形式のファイルです";
inline constexpr char16_t kTruncated[] = u"ファイルが途中で切れています";
inline constexpr char16_t kNotACharacter[] = u"キャラクターファイルではありません";
inline constexpr char16_t kDamaged[] = u"ファイルが壊れています";
inline constexpr char16_t kCannotOpen[] = u"ファイルを開けません";

}  // namespace app::texts::core
