#include "platform/os/NativePaths.h"

#include <QFile>
#include <QtGlobal>

namespace platform {

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

QString withNativeSeparators(const QString& path) {
#ifdef Q_OS_WIN
    return path;
#else
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
}

}  // namespace platform
