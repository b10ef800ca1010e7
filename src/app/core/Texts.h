#pragma once

// User-visible texts of the application core, exactly as the user sees them.

namespace app::texts {

inline constexpr char16_t kApplicationTitle[] = u"ﾎﾟﾙｶﾈ ９９";
inline constexpr char16_t kVersionPrefix[] = u"ﾊﾞｰｼﾞｮﾝ ";
inline constexpr char16_t kPlatforms[] = u"Windows95/98/NT4";
inline constexpr char16_t kMaker[] = u"Lorvane";
inline constexpr char16_t kNotInstalled[] = u"キャラクターがインストールされていません";
inline constexpr char16_t kNoXServer[] =
    u"このデスクトップではキャラクターを表示できません。\r"
    u"X11 または XWayland が使えるセッションで起動してください。";

// Why a file cannot serve as a character, following its name in the boxes that list such files.
inline constexpr char16_t kAgent15[] = u"Agent 1.5 形式のファイルです";
inline constexpr char16_t kTruncated[] = u"ファイルが途中で切れています";
inline constexpr char16_t kNotACharacter[] = u"キャラクターファイルではありません";
inline constexpr char16_t kDamaged[] = u"ファイルが壊れています";
inline constexpr char16_t kCannotOpen[] = u"ファイルを開けません";

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;

}  // namespace app::texts
