#pragma once

// User-visible texts of the drive search, exactly as the user sees them. "\r" is a line break.

namespace app::texts::media {

inline constexpr char16_t kDriveFormCaption[] = u"ドライブ選択";
inline constexpr char16_t kDrivePrompt[] =
    u"office 2000 をインストールしたドライブを選択してください";
inline constexpr char16_t kOkCaption[] = u"O   K";
inline constexpr char16_t kSearching[] = u"検索中でーす。";
inline constexpr char16_t kCopying[] = u"コピー中";
// Followed by the number being copied, "/" and the total, each with its leading blank.
inline constexpr char16_t kCopyingPrefix[] = u"コピー中 ";

inline constexpr char16_t kSearchStart[] =
    u"ただ今から、アシスタントファイルの検索を行います\r"
    u"検索にはしばらく時間がかかります。準備はいいですか？";
inline constexpr char16_t kNothingFound[] =
    u"おまたせいたしました。\r"
    u"アシスタントファイルが一つも見つかりませんでした。\r"
    u"または、ドライブの準備ができていません\r"
    u"次に進みますか？";
// The found message is kFoundHead + count (leading blank) + kFoundTail.
inline constexpr char16_t kFoundHead[] = u"おまたせいたしました。\r合計で、";
inline constexpr char16_t kFoundTail[] =
    u"個のアシスタントファイルが見つかりました\r"
    u"見つけたファイルをプログラムにコピーします。コピーにはしばらく時間がかかります。\r"
    u"準備はいいですか？。";
// After the found message when some files are left out: a blank line, the number left out
// (leading blank), this text, then each file's path and why, one per line.
inline constexpr char16_t kSkippedTail[] = u"個のファイルは読み込めないため除きました";
// Shown when a copy fails; the old character files are still in place. The failing file's
// path follows on a line of its own when known.
inline constexpr char16_t kCopyFailed[] =
    u"キャラクターファイルをコピーできませんでした。\r"
    u"元のキャラクターファイルはそのまま残っています。";

}  // namespace app::texts::media
