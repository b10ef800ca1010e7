#include "app/core/ProgramFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace app {

QString programFile(const platform::Services& services, const QString& name) {
    const QString exact = services.programFolder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact)) {
        return exact;
    }
    // The names are fixed in the program, the files may come from a system that ignores
    // case ("Filecopy.avi", "1.EXE"): an existing file that differs only in case is the one
    // meant, for reading as for replacing.
    const QStringList names =
        QDir(services.programFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& existing : names) {
        if (existing.compare(name, Qt::CaseInsensitive) == 0) {
            return services.programFolder + QLatin1Char('/') + existing;
        }
    }
    return exact;
}

}  // namespace app
