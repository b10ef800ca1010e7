#pragma once

// The tray menu's captions.
namespace app::texts {

inline constexpr const char16_t* kTrayShow = u"表示";
inline constexpr const char16_t* kTrayHide = u"隠す";
inline constexpr const char16_t* kTrayMute = u"音を消す";
inline constexpr const char16_t* kTrayAutostart = u"ログイン時に起動";
inline constexpr const char16_t* kTrayAddCharacters = u"キャラクターを追加…";
inline constexpr const char16_t* kTrayRedoSetup = u"はじめの設定をやり直す";
inline constexpr const char16_t* kTrayQuit = u"おわり";
inline constexpr const char16_t* kTrayToolTip = u"ﾎﾟﾙｶﾈ ９９";

}  // namespace app::texts
