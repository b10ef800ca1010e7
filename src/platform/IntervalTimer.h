#pragma once

#include <functional>
#include <memory>

namespace platform {

// A repeating timer on the user-interface thread. An interval of 0 stops it; any other value
// (re)starts it with that period in milliseconds. The handler runs on every tick.
class IntervalTimer {
public:
    virtual ~IntervalTimer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setHandler(std::function<void()> handler) = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<IntervalTimer> createTimer() = 0;
};

}  // namespace platform
