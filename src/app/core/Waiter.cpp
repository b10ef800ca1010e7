#include "app/core/Waiter.h"

#include <limits>

namespace app {

Waiter::Waiter(platform::Services& services, SharedState& state)
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

}  // namespace app
