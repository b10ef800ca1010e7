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
    // True when the file at `path` is a whole sample-character installer that start() can
    // make use of. Only reads the file.
    virtual bool isCharacterInstaller(const QString& path) = 0;
};

}  // namespace platform
