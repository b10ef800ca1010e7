#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include "platform/DriveList.h"

namespace platform {

// The drives a user would search for character files. On Windows the drive letters
// (designation "c:", root "c:\"). Elsewhere the mounted file systems a user calls drives: the
// root file system, /home when separate, removable media, optical discs and mounted images
// (everything under /media, /run/media and /mnt, and any ISO 9660 or UDF file system), never
// pseudo, memory or snap file systems. Each is labelled with its file-system label when it
// has one, else its mount point; designation and root are the mount point. Last comes the
// user's own folder of downloaded characters, $XDG_DATA_HOME/msagent/chars, when it exists.
class SystemDriveList final : public DriveList {
public:
    QList<Drive> drives() override;
};

// The label shown for the folder of downloaded characters.
inline constexpr const char* kDownloadedCharactersLabel = "ダウンロードしたキャラクター";

// One line of /proc/self/mountinfo, escapes (\040 and the like) decoded.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    QByteArray mountPoint;
    QByteArray fsType;
    QByteArray source;
};

// Parses the text of /proc/self/mountinfo. Malformed lines are skipped.
QList<MountEntry> parseMountInfo(const QByteArray& text);

// True when a user would call this mount a drive (see SystemDriveList).
bool isUserDrive(const MountEntry& entry);

// The drives among `mounts` in mount order, a mount point mounted twice listed once (the later
// mount hides the earlier). `labels` maps "major:minor" or a device path to a file-system
// label. `charsFolder`, when not empty, is appended as the downloaded-characters entry.
QList<Drive> drivesFromMounts(const QList<MountEntry>& mounts,
                              const QMap<QByteArray, QString>& labels, const QString& charsFolder);

}  // namespace platform
