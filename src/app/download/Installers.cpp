#include "app/download/Installers.h"

#include <QFile>

#include "app/core/ProgramFolder.h"

namespace app {

void DeleteInstallers(const platform::Services& services) {
    for (const char* name : {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe"}) {
        QFile::remove(programFile(services, QString::fromLatin1(name)));
    }
}

}  // namespace app
