#include "app/media/FileSearch.h"

#include <QFile>

#include "app/media/search/DirectoryWalk.h"

namespace app {

std::vector<std::string> foundFiles;

qsizetype FindFiles(const QString& folder, const QString& pattern, bool recurse,
                    platform::EventPump& events) {
    foundFiles.clear();
    const std::function<void()> pump = [&events] { events.processEvents(); };
    media::findMatches(rawPath(folder), pattern.toStdString(), recurse, pump, foundFiles);
    return static_cast<qsizetype>(foundFiles.size());
}

// The walk speaks UTF-8 to the wide-character file functions on Windows; elsewhere paths are
// the bytes the file system stores, read in the locale's encoding.
QString displayPath(const std::string& raw) {
    const QByteArray bytes(raw.data(), static_cast<qsizetype>(raw.size()));
#ifdef Q_OS_WIN
    return QString::fromUtf8(bytes);
#else
    return QFile::decodeName(bytes);
#endif
}

std::string rawPath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

}  // namespace app
