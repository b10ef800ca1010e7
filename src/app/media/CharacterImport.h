#pragma once

#include <QString>

#include "app/core/components/AnimationControl.h"
#include "platform/DriveList.h"
#include "platform/Services.h"

namespace app {

// The number the next imported character gets: one more than the highest N of the N.bin
// files in `folder` (1 when there is none).
int nextCharacterNumber(const QString& folder);

// Copies the character file `file` into `folder` as the next numbered N.bin. The file must
// begin with the character file signature. Returns the new name, or an empty string with a
// one-line Japanese `error`; nothing is left behind on failure and no file is overwritten.
QString importCharacterFile(const QString& folder, const QString& file, QString* error);

// The drive list with one folder put first, so that the drive wizard opens on it.
class FolderFirstDriveList : public platform::DriveList {
public:
    FolderFirstDriveList(platform::DriveList& drives, QString folder)
        : m_drives(drives), m_folder(std::move(folder)) {}
    QList<platform::Drive> drives() override;

private:
    platform::DriveList& m_drives;
    QString m_folder;
};

// porukane --import PATH: a folder opens the drive wizard on that folder; a file is imported
// as the next numbered character. Problems are shown in a message box.
void importFromCommandLine(platform::Services& services, AnimationControlFactory& clips,
                           const QString& path);

}  // namespace app
