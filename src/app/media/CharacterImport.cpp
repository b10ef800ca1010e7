#include "app/media/CharacterImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtDebug>

#include <algorithm>

#include "app/media/DriveSelectForm.h"

namespace app {

namespace {

// The first four bytes of every character file (0xABCDABC3, little-endian).
constexpr char kSignature[] = {'\xC3', '\xAB', '\xCD', '\xAB'};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

int nextCharacterNumber(const QString& folder) {
    static const QRegularExpression numbered(QStringLiteral("^([1-9][0-9]{0,8})\\.bin$"),
                                             QRegularExpression::CaseInsensitiveOption);
    int highest = 0;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch()) {
            highest = std::max(highest, match.captured(1).toInt());
        }
    }
    return highest + 1;
}

QString importCharacterFile(const QString& folder, const QString& file, QString* error) {
    auto failed = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return QString();
    };
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        return failed(text("%1 を開けません").arg(file));
    }
    if (source.read(sizeof kSignature) != QByteArray(kSignature, sizeof kSignature)) {
        return failed(text("%1 はキャラクターファイル (.acs) ではありません").arg(file));
    }
    source.close();
    if (!QDir().mkpath(folder)) {
        return failed(text("%1 を作れません").arg(folder));
    }
    const QString name = QString::number(nextCharacterNumber(folder)) + QStringLiteral(".bin");
    const QString target = QDir(folder).filePath(name);
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    // The copy gets its final name only once it is complete, and never over an existing file.
    if (!QFile::copy(file, partial) || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        return failed(text("%1 を %2 にコピーできません").arg(file, target));
    }
    return name;
}

QList<platform::Drive> FolderFirstDriveList::drives() {
    const QString root = QDir::cleanPath(QFileInfo(m_folder).absoluteFilePath());
    QList<platform::Drive> list{{root, root, root}};
    list.append(m_drives.drives());
    return list;
}

void importFromCommandLine(platform::Services& services, AnimationControlFactory& clips,
                           const QString& path) {
    const QFileInfo info(path);
    QString error;
    if (info.isDir()) {
        FolderFirstDriveList drives(services.drives, path);
        platform::Services withFolder{services.messages,     services.settings, services.events,
                                      services.screen,       services.random,   services.timers,
                                      services.processes,    services.http,     drives,
                                      services.systemInfo,   services.feedback, services.exit,
                                      services.programFolder};
        DriveSelectForm form(withFolder, clips);
        form.exec();
        return;
    }
    if (!info.exists()) {
        error = text("%1 が見つかりません").arg(path);
    } else {
        importCharacterFile(services.programFolder, path, &error);
    }
    if (!error.isEmpty()) {
        qWarning().noquote() << error;
        services.messages.show(error, platform::MessageIcon::Critical,
                               platform::MessageButtons::Ok);
    }
}

}  // namespace app
