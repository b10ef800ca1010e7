#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>

#include "platform/drives/SystemDriveList.h"

namespace {

TEST(DriveList, OffersTheMountsAUserCallsDrivesWithTheirLabels) {
    const QByteArray mountInfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "23 22 0:5 / /proc rw,nosuid shared:2 - proc proc rw\n"
        "24 22 0:21 / /run rw - tmpfs tmpfs rw,mode=755\n"
        "25 22 0:31 /@home /home rw shared:7 - btrfs /dev/sda2 rw\n"
        "26 24 11:0 / /run/media/user/OFFICE2000 ro,nosuid shared:9 master:3 - iso9660 /dev/sr0 "
        "ro\n"
        "27 22 7:3 / /snap/core/123 ro - squashfs /dev/loop3 ro\n"
        "28 22 8:17 / /media/user/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
        "29 22 7:4 / /home/user/iso ro - udf /dev/loop4 ro\n"
        "30 22 0:40 / /mnt/c rw - 9p drvfs rw\n"
        "31 22 0:50 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "32 22 0:60 / /media/user/overlay rw - overlay overlay rw\n"
        "33 22 8:18 / /media/user/USB\\040STICK rw - exfat /dev/sdb2 rw\n"
        "not a mount line\n"
        "34 22 x:y / /mnt/bad rw - ext4 /dev/sdc1 rw\n";
    const QMap<QByteArray, QString> labels{{"11:0", QStringLiteral("OFFICE2000")},
                                           {"/dev/sda2", QStringLiteral("ホーム")}};
    const auto drives = platform::drivesFromMounts(platform::parseMountInfo(mountInfo), labels,
                                                   QStringLiteral("/u/.local/share/msagent/chars"));
    QStringList seen;
    for (const platform::Drive& drive : drives) {
        EXPECT_EQ(drive.root, drive.designation);
        seen.append(drive.designation + QLatin1Char('=') + drive.label);
    }
    EXPECT_EQ(seen.join(QLatin1Char('|')),
              QStringLiteral("/=/|/home=ホーム|/run/media/user/OFFICE2000=OFFICE2000|"
                             "/media/user/USB STICK=/media/user/USB STICK|"
                             "/home/user/iso=/home/user/iso|/mnt/c=/mnt/c|"
                             "/u/.local/share/msagent/chars=ダウンロードしたキャラクター"));
}

TEST(DriveList, TheSystemListHasTheRootAndTheDownloadedCharacters) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir().mkpath(data.path() + QStringLiteral("/msagent/chars")));
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const auto drives = platform::SystemDriveList().drives();
    wasSet ? qputenv("XDG_DATA_HOME", saved) : qunsetenv("XDG_DATA_HOME");
    ASSERT_GE(drives.size(), 2);
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(), [](const platform::Drive& drive) {
        return drive.root == QStringLiteral("/");
    }));
    EXPECT_EQ(drives.back().root, data.path() + QStringLiteral("/msagent/chars"));
}

}  // namespace
