#pragma once

namespace platform {

// Processes every pending user-interface event once; handlers may run nested inside the caller.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
};

}  // namespace platform
