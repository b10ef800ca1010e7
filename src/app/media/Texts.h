#pragma once

// Every text the drive search shows, exactly as the user sees it. "\r" is a line break.

namespace app::texts {

inline constexpr const char* kDriveFormCaption = "ドライブ選択";
inline constexpr const char* kDrivePrompt =
    "office 2000 をインストールしたドライブを選択してください";
inline constexpr const char* kOkCaption = "O   K";
inline constexpr const char* kSearching = "検索中でーす。";
inline constexpr const char* kCopying = "コピー中";
// Followed by the number being copied, "/" and the total, each with its leading blank.
inline constexpr const char* kCopyingPrefix = "コピー中 ";

inline constexpr const char* kSearchStart =
    "ただ今から、アシスタントファイルの検索を行います\r"
    "検索にはしばらく時間がかかります。準備はいいですか？";
inline constexpr const char* kNothingFound =
    "おまたせいたしました。\r"
    "アシスタントファイルが一つも見つかりませんでした。\r"
    "または、ドライブの準備ができていません\r"
    "次に進みますか？";
// The found message is kFoundHead + count (leading blank) + kFoundTail.
inline constexpr const char* kFoundHead = "おまたせいたしました。\r合計で、";
inline constexpr const char* kFoundTail =
    "個のアシスタントファイルが見つかりました\r"
    "見つけたファイルをプログラムにコピーします。コピーにはしばらく時間がかかります。\r"
    "準備はいいですか？。";
// After the found message when some files are left out: a blank line, the number left out
// (leading blank), this text, then each file's path and why, one per line.
inline constexpr const char* kSkippedTail = "個のファイルは読み込めないため除きました";
// Shown when a copy fails; the old character files are still in place. The failing file's
// path follows on a line of its own when known.
inline constexpr const char* kCopyFailed =
    "キャラクターファイルをコピーできませんでした。\r"
    "元のキャラクターファイルはそのまま残っています。";

}  // namespace app::texts
