#pragma once

namespace platform {

// Ends the process at once: no further handler runs and nothing more is written. The real
// implementation does not return; a test fake records the call and returns, so every caller
// returns straight after calling it.
class ProgramExit {
public:
    virtual ~ProgramExit() = default;
    virtual void endProgram(int exitCode = 0) = 0;
};

}  // namespace platform
