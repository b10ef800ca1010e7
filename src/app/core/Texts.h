#pragma once

// User-visible texts every form shares, exactly as the user sees them.

namespace app::texts::core {

inline constexpr char16_t kApplicationTitle[] = u"ﾎﾟﾙｶﾈ ９９";
// Followed by the version number, e.g. "ﾊﾞｰｼﾞｮﾝ 1.0.0".
inline constexpr char16_t kVersionPrefix[] = u"ﾊﾞｰｼﾞｮﾝ ";

}  // namespace app::texts::core
