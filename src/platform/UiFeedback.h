#pragma once

namespace platform {

// Small application-wide feedback: the system beep and the busy (hourglass) pointer.
class UiFeedback {
public:
    virtual ~UiFeedback() = default;
    virtual void beep() = 0;
    virtual void setBusyCursor(bool busy) = 0;
};

}  // namespace platform
