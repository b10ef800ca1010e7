#include "platform/drives/SystemDriveList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace platform {

namespace {

// Decodes the octal escapes the kernel writes for blanks, tabs, newlines and backslashes.
QByteArray unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out.append(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                         (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

// udev names /dev/disk/by-label entries with \xHH escapes for blanks and slashes.
QString unescapeLabel(const QByteArray& name) {
    QByteArray out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        bool ok = false;
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int value = name.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(name[i]);
    }
    return QString::fromUtf8(out);
}

QString fromRaw(const QByteArray& path) {
    return QFile::decodeName(path);
}

QString downloadedCharactersFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) {
        return {};
    }
    const QString folder = data + QStringLiteral("/msagent/chars");
    return QFileInfo(folder).isDir() ? folder : QString();
}

#ifdef Q_OS_LINUX
// File-system labels by device number ("8:1") and by device path.
QMap<QByteArray, QString> readLabels() {
    QMap<QByteArray, QString> labels;
    const QDir dir(QStringLiteral("/dev/disk/by-label"));
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString link = dir.filePath(name);
        const QString label = unescapeLabel(QFile::encodeName(name));
        struct stat info {};
        if (stat(QFile::encodeName(link).constData(), &info) == 0 && S_ISBLK(info.st_mode)) {
            labels.insert(QByteArray::number(major(info.st_rdev)) + ':' +
                              QByteArray::number(minor(info.st_rdev)),
                          label);
        }
        const QString device = QFileInfo(link).canonicalFilePath();
        if (!device.isEmpty()) {
            labels.insert(QFile::encodeName(device), label);
        }
    }
    return labels;
}
#endif

}  // namespace

QList<MountEntry> parseMountInfo(const QByteArray& text) {
    QList<MountEntry> mounts;
    for (const QByteArray& line : text.split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source options
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"));
        if (fields.size() < 5 || dash < 6 || dash + 2 >= fields.size()) {
            continue;
        }
        const QList<QByteArray> device = fields[2].split(':');
        bool majorOk = false;
        bool minorOk = false;
        MountEntry entry;
        if (device.size() == 2) {
            entry.major = device[0].toUInt(&majorOk);
            entry.minor = device[1].toUInt(&minorOk);
        }
        if (!majorOk || !minorOk) {
            continue;
        }
        entry.mountPoint = unescape(fields[4]);
        entry.fsType = unescape(fields[dash + 1]);
        entry.source = unescape(fields[dash + 2]);
        mounts.append(entry);
    }
    return mounts;
}

bool isUserDrive(const MountEntry& entry) {
    const QByteArray& path = entry.mountPoint;
    // The root is a drive whatever it is made of (a container's root is an overlay).
    if (path == "/") {
        return true;
    }
    // Memory, kernel-interface and packaging file systems hold nothing a user put there.
    static const QSet<QByteArray> pseudo = {
        "proc",       "sysfs",   "tmpfs",           "devtmpfs",    "devpts",
        "cgroup",     "cgroup2", "securityfs",      "debugfs",     "tracefs",
        "pstore",     "bpf",     "configfs",        "fusectl",     "mqueue",
        "hugetlbfs",  "autofs",  "binfmt_misc",     "efivarfs",    "rpc_pipefs",
        "nsfs",       "ramfs",   "squashfs",        "overlay",     "selinuxfs",
        "nfsd",       "devfs",   "fuse.gvfsd-fuse", "fuse.portal", "fuse.snapfuse",
        "fuse.lxcfs", "zram",    "ecryptfs_private"};
    if (pseudo.contains(entry.fsType)) {
        return false;
    }
    if (path == "/home" || path == "/mnt" || path.startsWith("/mnt/") ||
        path.startsWith("/media/") || path.startsWith("/run/media/")) {
        return true;
    }
    // Discs and disc images, wherever a tool chose to mount them.
    return entry.fsType == "iso9660" || entry.fsType == "udf";
}

QList<Drive> drivesFromMounts(const QList<MountEntry>& mounts,
                              const QMap<QByteArray, QString>& labels, const QString& charsFolder) {
    QList<Drive> drives;
    QList<QByteArray> points;
    for (const MountEntry& entry : mounts) {
        if (!isUserDrive(entry)) {
            continue;
        }
        Drive drive;
        drive.designation = fromRaw(entry.mountPoint);
        drive.root = drive.designation;
        const QByteArray number =
            QByteArray::number(entry.major) + ':' + QByteArray::number(entry.minor);
        drive.label = labels.value(number, labels.value(entry.source, drive.designation));
        const qsizetype earlier = points.indexOf(entry.mountPoint);
        if (earlier >= 0) {
            drives[earlier] = drive;
            continue;
        }
        points.append(entry.mountPoint);
        drives.append(drive);
    }
    if (!charsFolder.isEmpty()) {
        drives.append(
            Drive{charsFolder, charsFolder, QString::fromUtf8(kDownloadedCharactersLabel)});
    }
    return drives;
}

QList<Drive> SystemDriveList::drives() {
#if defined(Q_OS_WIN)
    QList<Drive> drives;
    for (const QFileInfo& info : QDir::drives()) {
        const QString letter = info.absolutePath().left(2).toLower();  // "c:"
        const QString name = QStorageInfo(info.absolutePath()).name();
        drives.append(Drive{
            letter, letter + QLatin1Char('\\'),
            name.isEmpty() ? letter : letter + QStringLiteral(" [") + name + QLatin1Char(']')});
    }
    return drives;
#elif defined(Q_OS_LINUX)
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    QByteArray text;
    if (file.open(QIODevice::ReadOnly)) {
        text = file.readAll();  // a proc file has no size; readAll reads to the end
    }
    return drivesFromMounts(parseMountInfo(text), readLabels(), downloadedCharactersFolder());
#else
    QList<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) {
            continue;
        }
        const QString root = volume.rootPath();
        if (root != QStringLiteral("/") && !root.startsWith(QStringLiteral("/Volumes/"))) {
            continue;
        }
        drives.append(Drive{root, root, volume.name().isEmpty() ? root : volume.name()});
    }
    const QString chars = downloadedCharactersFolder();
    if (!chars.isEmpty()) {
        drives.append(Drive{chars, chars, QString::fromUtf8(kDownloadedCharactersLabel)});
    }
    return drives;
#endif
}

}  // namespace platform
