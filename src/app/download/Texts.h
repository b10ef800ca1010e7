#pragma once

// User-visible texts of the download forms, exactly as the user sees them. "\r" is a line
// break.

namespace app::texts::download {

// Each text keeps one source line per line the user sees.
// clang-format off

inline constexpr char16_t kCharacterCaption[] = u"キャラクターダウンロード";
inline constexpr char16_t kDriverCaption[] = u"ドライバダウンロード";

inline constexpr char16_t kGenie[] = u"Genieをダウンロードする";
inline constexpr char16_t kMerlin[] = u"Merlinをダウンロードする";
inline constexpr char16_t kRobby[] = u"Robbyをダウンロードする";
inline constexpr char16_t kPeedy[] = u"Peedyをダウンロードする";

inline constexpr char16_t kDownloadButton[] = u"ﾀﾞｳﾝﾛｰﾄﾞする";
// The cancel button's caption is written this way on purpose.
inline constexpr char16_t kCancelButton[] = u"キャンゼル";

inline constexpr char16_t kDriverHeading[] = u"ドライバーのインストール";
inline constexpr char16_t kDriverNotice[] =
    u"office2000をインストールしていない方は必ず行ってください。";

inline constexpr char16_t kConfirmDownload[] =
    u"インターネットからファイルをダウンロードします\r"
    u"インターネットの設定を行っていない場合、接続はできませんので、あらかじめ設定しておいてください";
inline constexpr char16_t kDownloadingSuffix[] = u"をダウンロード中です";
inline constexpr char16_t kDownloadFailed[] = u"ダウンロードできませんでした";

// "完了しまた", the mixed commas and the blanks around 'ok' are as the user has always seen them.
inline constexpr char16_t kDriverDownloaded[] =
    u"ダウンロードが、完了しまた\r"
    u"プログラムの､インストールをはじめますが､英語の使用契約がでるので､同意するのならば､ 'ok' をおしてください";
inline constexpr char16_t kDriverInstallDone[] = u"インストールが終了したら、okボタンを押してください";

inline constexpr char16_t kGenieLabel[] = u"Genie (1.6MB)";
inline constexpr char16_t kMerlinLabel[] = u"Merlin (1.8MB)";
inline constexpr char16_t kRobbyLabel[] = u"Robby (2.2MB)";
inline constexpr char16_t kPeedyLabel[] = u"Peedy (3.3MB)";
inline constexpr char16_t kDriverLabel[] = u"MSagent.exe (391KB)";

// clang-format on

}  // namespace app::texts::download
