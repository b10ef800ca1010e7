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

QString displayPath(const std::string& raw) {
    return QFile::decodeName(QByteArray(raw.data(), static_cast<qsizetype>(raw.size())));
}

std::string rawPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace app
