#include "app/download/Installers.h"

#include <QDir>
#include <QFile>

namespace app {

void DeleteInstallers(const platform::Services& services) {
    // Every spelling of the names goes ("1.exe" and "1.EXE" alike).
    const QDir folder(services.programFolder);
    for (const QString& existing : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        for (const char* name : {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe"}) {
            if (existing.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                QFile::remove(folder.filePath(existing));
            }
        }
    }
}

}  // namespace app
