#pragma once

#include <memory>

#include "app/core/SharedState.h"
#include "platform/Services.h"

namespace app {

// WaitSeconds and its timer `wt`. Nested waits share the flag and the timer: an inner wait
// restarts `wt` with its own length and its first tick ends every wait in progress.
class Waiter {
public:
    Waiter(platform::Services& services, SharedState& state);

    // Pumps events until `wt` ticks. A wait of 0 seconds or less returns at once (it would
    // never end otherwise); a length beyond 32-bit milliseconds is capped.
    void WaitSeconds(int seconds);
    void wt_Timer();

    platform::IntervalTimer& wt() { return *m_wt; }

private:
    platform::Services& m_services;
    SharedState& m_state;
    std::unique_ptr<platform::IntervalTimer> m_wt;
};

}  // namespace app
