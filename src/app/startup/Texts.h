#pragma once

// User-visible texts of start-up and the title screen, exactly as the user sees them. "\r" is a
// line break.

namespace app::texts::startup {

inline constexpr char16_t kPlatforms[] = u"Windows95/98/NT4";
inline constexpr char16_t kMaker[] = u"Lorvane";
inline constexpr char16_t kNotInstalled[] = u"キャラクターがインストールされていません";
inline constexpr char16_t kNoXServer[] =
    u"このデスクトップではキャラクターを表示できません。\r"
    u"X11 または XWayland が使えるセッションで起動してください。";

}  // namespace app::texts::startup
