#pragma once

// User-visible texts of the About box, exactly as the user sees them.

namespace app::texts::about {

inline constexpr char16_t kAboutCaptionSuffix[] = u"のﾊﾞｰｼﾞｮﾝ情報";
inline constexpr char16_t kSysInfoButton[] = u"ｼｽﾃﾑ情報(&S)...";
inline constexpr char16_t kSysInfoUnavailable[] = u"現時点ではｼｽﾃﾑ情報を使用できません";
inline constexpr char16_t kAboutMaker[] = u"Lorvane";

}  // namespace app::texts::about
