#include "platform/http/DesktopProcessStarter.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include "platform/http/InstallerExtractor.h"

#ifdef Q_OS_WIN
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>
#endif

namespace platform {

DesktopProcessStarter::DesktopProcessStarter(QString charsFolder)
    : m_charsFolder(std::move(charsFolder)) {}

#ifdef Q_OS_WIN

bool DesktopProcessStarter::start(const QString& path, WindowStyle style) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    int show = SW_SHOWNORMAL;
    if (style == WindowStyle::MinimizedNoFocus) {
        show = SW_SHOWMINNOACTIVE;
    } else if (style == WindowStyle::MaximizedFocus) {
        show = SW_SHOWMAXIMIZED;
    }
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    const std::wstring folder =
        QDir::toNativeSeparators(QFileInfo(path).absolutePath()).toStdWString();
    // ShellExecute reports success with a value above 32.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, folder.c_str(), show));
    return result > 32;
}

bool DesktopProcessStarter::isCharacterInstaller(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

#else

namespace {

bool isWindowsProgram(const QString& path) {
    if (path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        return true;
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

}  // namespace

bool DesktopProcessStarter::start(const QString& path, WindowStyle /*style*/) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        return false;
    }
    if (isWindowsProgram(path)) {
        const QString chars = m_charsFolder.isEmpty() ? agentCharactersFolder() : m_charsFolder;
        const ExtractResult result = extractCharacter(path, chars);
        if (!result.ok) {
            qInfo("%s: %s", qPrintable(path), qPrintable(result.error));
        }
        return result.ok;
    }
    if (!info.isExecutable()) {
        return false;
    }
    return QProcess::startDetached(path, {}, info.absolutePath());
}

bool DesktopProcessStarter::isCharacterInstaller(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    // The same extraction start() does, into a folder of its own that goes again.
    const QTemporaryDir scratch;
    return scratch.isValid() && extractCharacter(path, scratch.path()).ok;
}

#endif

}  // namespace platform
