#include "app/core/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "platform/ProgramFolder.h"

namespace app {

namespace {

const QString kImport = QStringLiteral("import");

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {{QStringLiteral("v"), QStringLiteral("version")}, QString()},
        {QStringLiteral("where"), QString()},
        {QStringLiteral("setup"), QString()},
        {kImport, QString(), QStringLiteral("PATH")},
    });

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Error;
        const QStringList unknown = parser.unknownOptionNames();
        result.error = unknown.isEmpty()
                           ? parser.errorText()
                           : QString::fromUtf8(
                                 "知らないオプションです: %1（porukane --help で一覧を表示します）")
                                 .arg((unknown.first().size() == 1 ? QStringLiteral("-")
                                                                   : QStringLiteral("--")) +
                                      unknown.first());
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Error;
        result.error =
            QString::fromUtf8("余分な引数があります: %1").arg(parser.positionalArguments().first());
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.action = CommandLine::Action::Help;
    } else if (parser.isSet(QStringLiteral("version"))) {
        result.action = CommandLine::Action::Version;
    } else if (parser.isSet(QStringLiteral("where"))) {
        result.action = CommandLine::Action::Where;
    }
    result.setup = parser.isSet(QStringLiteral("setup"));
    if (parser.isSet(kImport)) {
        result.importPath = parser.value(kImport);
        if (result.importPath.isEmpty() && result.action == CommandLine::Action::Run) {
            result.action = CommandLine::Action::Error;
            result.error = QString::fromUtf8("--import にはフォルダーかファイルを指定してください");
        }
    }
    return result;
}

QString helpText(const QString& programFolder) {
    return QString::fromUtf8(
               "使い方: porukane [オプション]\n"
               "\n"
               "デスクトップにキャラクターが住みつく ﾎﾟﾙｶﾈ ９９ を起動します。\n"
               "\n"
               "オプション:\n"
               "  -h, --help       この説明を表示して終わります。\n"
               "  -v, --version    バージョンを表示して終わります。\n"
               "  --where          使用中のプログラムフォルダーを表示して終わります。\n"
               "  --setup          設定が済んでいても、はじめの設定をもう一度行います。\n"
               "  --import PATH    PATH がフォルダーなら、そのフォルダーを探すキャラクター検索を\n"
               "                   開きます。.acs ファイルなら、次の番号のキャラクターとして\n"
               "                   取り込みます。\n"
               "\n"
               "プログラムフォルダー (キャラクター "
               "*.bin、動画、ダウンロードしたファイルの置き場所):\n"
               "  実行ファイルのフォルダーに書き込めて Findcomp.avi "
               "があれば、そのフォルダーです。\n"
               "  そうでなければ $XDG_DATA_HOME/porukane/ (~/.local/share/porukane/) を使い、\n"
               "  初回の起動でキャラクターと動画をインストール先からコピーします。\n"
               "  使用中のフォルダー: %1\n"
               "\n"
               "設定: $XDG_CONFIG_HOME/porukane/Agent.ini (~/.config/porukane/Agent.ini)\n")
        .arg(programFolder);
}

QString versionLine() {
    return QStringLiteral("porukane " PORUKANE_VERSION);
}

int runWithoutDisplay(const CommandLine& commandLine, int& argc, char** argv) {
    auto print = [](std::FILE* stream, const QString& line) {
        std::fputs(line.toLocal8Bit().constData(), stream);
        std::fflush(stream);
    };
    switch (commandLine.action) {
        case CommandLine::Action::Run:
            return -1;
        case CommandLine::Action::Error:
            print(stderr, QStringLiteral("porukane: ") + commandLine.error + QLatin1Char('\n'));
            return 2;
        case CommandLine::Action::Version:
            print(stdout, versionLine() + QLatin1Char('\n'));
            return 0;
        case CommandLine::Action::Help:
        case CommandLine::Action::Where:
            break;
    }
    // The program folder depends on where the executable lies, which Qt finds out.
    const QCoreApplication core(argc, argv);
    const QString folder = platform::currentProgramFolder().path;
    print(stdout, commandLine.action == CommandLine::Action::Help ? helpText(folder)
                                                                  : folder + QLatin1Char('\n'));
    return 0;
}

}  // namespace app
