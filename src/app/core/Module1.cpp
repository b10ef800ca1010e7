#include "app/core/Module1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace app {

Waiter::Waiter(platform::Services& services, Module1& state)
    : m_services(services), m_state(state), m_wt(services.timers.createTimer()) {
    m_wt->setInterval(0);
    m_wt->setHandler([this] { wt_Timer(); });
}

void Waiter::WaitSeconds(int seconds) {
    if (seconds <= 0) {
        return;
    }
    constexpr int kMaxSeconds = std::numeric_limits<int>::max() / 1000;
    m_state.waitFlag = 1;
    m_wt->setInterval((seconds > kMaxSeconds ? kMaxSeconds : seconds) * 1000);
    do {
        m_services.events.waitForEvents();
    } while (m_state.waitFlag == 1);
    m_wt->setInterval(0);
}

void Waiter::wt_Timer() {
    m_wt->setInterval(0);
    m_state.waitFlag = 0;
}

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
