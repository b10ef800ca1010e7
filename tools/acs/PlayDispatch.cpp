#include "Commands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace acstool {

namespace {

std::filesystem::path ownPath(const char* argv0) {
#ifdef __linux__
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self;
    }
#endif
    return std::filesystem::path(argv0);
}

}  // namespace

int runPlayProgram(int argc, char** argv) {
    const std::filesystem::path self = ownPath(argv[0]);
    const std::string program =
        (self.parent_path() / ("porukane-acs-play" + self.extension().string())).string();
    std::vector<char*> args(argv, argv + argc);
    args[0] = const_cast<char*>(program.c_str());
    args.push_back(nullptr);
    // Replaces this process, so the caller sees the player's own exit status and process.
#ifdef _WIN32
    _execv(program.c_str(), args.data());
#else
    execv(program.c_str(), args.data());
#endif
    return fail("play", "cannot start " + program + ": " + std::strerror(errno));
}

}  // namespace acstool
