#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

namespace platform {

namespace {

constexpr const char* kClips[] = {"Findcomp.avi", "Filecopy.avi"};

QString clean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Copies through a temporary name, so that an interrupted copy never leaves a truncated file
// under the real name, and never replaces a file that appeared meanwhile.
bool copyMissing(const QString& from, const QString& to, QString* error) {
    if (QFileInfo::exists(to)) {
        return true;
    }
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(from, partial)) {
        if (error && error->isEmpty()) {
            *error = QStringLiteral("cannot copy %1 to %2").arg(from, to);
        }
        return false;
    }
    QFile::setPermissions(
        partial, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!QFile::rename(partial, to)) {
        QFile::remove(partial);
        if (error && error->isEmpty()) {
            *error = QStringLiteral("cannot create %1").arg(to);
        }
        return false;
    }
    return true;
}

}  // namespace

ProgramFolder resolveProgramFolder(const QString& executableFolder, const QString& dataHome) {
    const QFileInfo folder(executableFolder);
    if (folder.isDir() && folder.isWritable() &&
        QFileInfo(QDir(executableFolder).filePath(QString::fromLatin1(kPortableMarker))).isFile()) {
        return {clean(executableFolder), true};
    }
    return {clean(QDir(dataHome).filePath(QStringLiteral("porukane"))), false};
}

QString sharedDataFolder(const QString& executableFolder) {
    return clean(QDir(executableFolder).filePath(QStringLiteral("../share/porukane")));
}

QStringList seedProgramFolder(const QString& folder, const QString& sharedFolder, QString* error) {
    QStringList copied;
    if (!QDir().mkpath(folder)) {
        if (error) {
            *error = QStringLiteral("cannot create %1").arg(folder);
        }
        return copied;
    }
    const QDir target(folder);
    const QDir source(sharedFolder);
    const QString character = QStringLiteral("1.bin");
    if (target.entryList({QStringLiteral("*.bin")}, QDir::Files).isEmpty() &&
        QFileInfo(source.filePath(character)).isFile()) {
        if (copyMissing(source.filePath(character), target.filePath(character), error)) {
            copied.append(character);
        }
    }
    for (const char* clip : kClips) {
        const QString name = QString::fromLatin1(clip);
        if (QFileInfo::exists(target.filePath(name)) ||
            !QFileInfo(source.filePath(name)).isFile()) {
            continue;
        }
        if (copyMissing(source.filePath(name), target.filePath(name), error)) {
            copied.append(name);
        }
    }
    return copied;
}

ProgramFolder currentProgramFolder() {
    return resolveProgramFolder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

ProgramFolder prepareProgramFolder() {
    const ProgramFolder folder = currentProgramFolder();
    if (!folder.portable) {
        QString error;
        seedProgramFolder(folder.path, sharedDataFolder(QCoreApplication::applicationDirPath()),
                          &error);
        if (!error.isEmpty()) {
            qWarning().noquote() << error;
        }
    }
    return folder;
}

}  // namespace platform
