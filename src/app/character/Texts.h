#pragma once

// User-visible texts of the desktop character, exactly as the user sees them. "\r" is a line
// break.

namespace app::texts::character {

inline constexpr char16_t kMenu[] = u"メニュー";
inline constexpr char16_t kChangeCharacter[] = u"キャラクター交代";
inline constexpr char16_t kAnimation[] = u"アニメーション";
inline constexpr char16_t kMove[] = u"移動";
inline constexpr char16_t kQuit[] = u"おわり";
inline constexpr char16_t kVersionInfo[] = u"バージョン情報";
inline constexpr char16_t kNoLoadableCharacter[] =
    u"キャラクターファイルを読み込めませんでした。\r"
    u"ファイルが壊れているか、キャラクターファイルではありません。";

}  // namespace app::texts::character
