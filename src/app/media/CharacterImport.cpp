#include "app/media/CharacterImport.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <utility>

#include "files/DirectoryWalk.h"
#include "platform/os/NativePaths.h"

namespace app {

namespace {

QString binName(int number) {
    return QString::number(number) + QStringLiteral(".bin");
}

}  // namespace

CharacterImport::CharacterImport(QString programFolder)
    : m_programFolder(std::move(programFolder)) {}

CharacterImport::Outcome CharacterImport::run(
    const std::vector<std::string>& sources,
    const std::function<void(int, int)>& beforeCopy) const {
    const QString staging = m_programFolder + QLatin1Char('/') + QLatin1String(kStagingFolder);
    QDir(staging).removeRecursively();  // leftovers of a run that was cut short
    if (!QDir().mkpath(staging)) {
        return {false, QDir::toNativeSeparators(staging)};
    }
    Outcome outcome = stage(staging, sources, beforeCopy);
    if (outcome.ok && !swap(staging, static_cast<int>(sources.size()))) {
        outcome = {false, QString()};
    }
    QDir(staging).removeRecursively();
    return outcome;
}

CharacterImport::Outcome CharacterImport::stage(
    const QString& staging, const std::vector<std::string>& sources,
    const std::function<void(int, int)>& beforeCopy) const {
    const auto count = static_cast<int>(sources.size());
    for (int i = 1; i <= count; ++i) {
        if (beforeCopy) {
            beforeCopy(i, count);
        }
        const std::string& source = sources[static_cast<std::size_t>(i - 1)];
        // Synced, because the old files are removed on the strength of these copies.
        const files::CopyResult copied = files::copyFile(
            source, platform::rawPath(staging + QLatin1Char('/') + binName(i)), true);
        if (!copied.ok) {
            qWarning("copy of %s failed: %s", source.c_str(), copied.detail.c_str());
            return {false, platform::displayPath(source)};
        }
    }
    return {};
}

bool CharacterImport::swap(const QString& staging, int count) const {
    const QDir program(m_programFolder);
    const QString retired = staging + QStringLiteral("/old");
    if (!QDir().mkpath(retired)) {
        return false;
    }
    // temp.bin guarantees the wildcard removal always has a file to act on; it goes with the
    // old character files.
    const QString tempBin = program.filePath(QStringLiteral("temp.bin"));
    QFile temp(tempBin);
    if (temp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        temp.close();
    }
    // Old files are moved aside rather than deleted, so any failure below can put them back.
    const QStringList old =
        program.entryList({QStringLiteral("*.bin")}, QDir::Files | QDir::Hidden | QDir::System);
    QStringList movedOld;
    int movedNew = 0;
    auto rollBack = [&] {
        for (int i = 1; i <= movedNew; ++i) {
            QFile::remove(program.filePath(binName(i)));
        }
        for (const QString& name : movedOld) {
            QFile::rename(retired + QLatin1Char('/') + name, program.filePath(name));
        }
        QFile::remove(tempBin);
    };
    for (const QString& name : old) {
        if (!QFile::rename(program.filePath(name), retired + QLatin1Char('/') + name)) {
            rollBack();
            return false;
        }
        movedOld.append(name);
    }
    for (int i = 1; i <= count; ++i) {
        if (!QFile::rename(staging + QLatin1Char('/') + binName(i), program.filePath(binName(i)))) {
            rollBack();
            return false;
        }
        movedNew = i;
    }
    return true;
}

}  // namespace app
