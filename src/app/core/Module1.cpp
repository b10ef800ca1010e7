#include "app/core/Module1.h"

#include <QFile>

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
    return services.programFolder + QLatin1Char('/') + name;
}

void DeleteInstallers(const platform::Services& services) {
    for (const char* name : {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe"}) {
        QFile::remove(programFile(services, QString::fromLatin1(name)));
    }
}

}  // namespace app
