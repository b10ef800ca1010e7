#pragma once

#include <QList>
#include <QString>

namespace platform {

// A drive as the user sees it: on Windows a letter and colon ("d:"), elsewhere a mounted file
// system. `root` is the folder the search starts at; `label` is what the drive list shows.
struct Drive {
    QString designation;
    QString root;
    QString label;
};

class DriveList {
public:
    virtual ~DriveList() = default;
    virtual QList<Drive> drives() = 0;
};

}  // namespace platform
