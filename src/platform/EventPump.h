#pragma once

namespace platform {

// Processes every pending user-interface event once; handlers may run nested inside the caller.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
    // As processEvents, but sleeps until at least one event arrives when none is pending, so
    // loops that wait for a flag use no CPU.
    virtual void waitForEvents() = 0;
};

}  // namespace platform
