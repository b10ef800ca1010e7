#pragma once

#include <QString>

namespace platform {

enum class WindowStyle { MinimizedNoFocus, MaximizedFocus, NormalFocus };

// Starts a program by its full path and returns at once without waiting for it. Returns false
// when the path names nothing that can be started.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    virtual bool start(const QString& path, WindowStyle style) = 0;
};

}  // namespace platform
