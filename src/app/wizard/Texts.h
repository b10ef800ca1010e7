#pragma once

// User-visible texts of the first-run setup wizard, exactly as the user sees them. "\r" is a
// line break, two make an empty line.

namespace app::texts::wizard {

// Each text keeps one source line per line the user sees.
// clang-format off

inline constexpr char16_t kExplanation[] =
    u"このプログラムの説明です\r\r"
    u"このプログラムは、マイクロソフト社のOffice2000についてくる、オフィスアシスタントのキャラクターを気に入っていて、いつも、自分のそばに・・・と、考えている人のために作りました\r\r"
    u"通常のオフィスアシスタントの動作と違い、アニメーションしたり、画面を縦横無尽に動きます。\r"
    u"このソフトが、あなたの心の支えになったら、うれしいです (^o^)v";

inline constexpr char16_t kPreparation[] =
    u"このプログラムを使うのには、前もってやらなくちゃいけないことがあります。\r\r"
    u"いまから、質問をしますので、該当する方を選択してください";

inline constexpr char16_t kAskDownload[] =
    u"質問\r"
    u"マイクロソフト社のホームページから、オフィスアシスタントのサンプルファイルをダウンロードしますか？\r\r"
    u"ここで、ダウンロードできるものは、Office2000にはないキャラクターが使用できます\r"
    u"Office2000を、もっていない方でも、ここからダウンロードすれば数種類ですが、使用できますよ";

inline constexpr char16_t kAskOffice[] =
    u"質問\r"
    u"マイクロソフト社の Office2000 をパソコンにインストールしていますか？";

// The second line starts with a blank, as it always has.
inline constexpr char16_t kConfirmDone[] =
    u"これで全て、インストールが完了しました。ダウンロードなどもうまくいって、この作業を2度としないようにしますか？\r"
    u" 'いいえ' を選択すると、再起動時に再びこれらの作業を行います";

// clang-format on

}  // namespace app::texts::wizard
