// porukane-search ROOT PATTERN: runs the drive search's walk once, recursively, and prints
// every match one per line, exactly as the file system names it.

#include <cstdio>
#include <string>
#include <vector>

#include "files/DirectoryWalk.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: porukane-search ROOT PATTERN\n", stderr);
        return 2;
    }
    std::vector<std::string> found;
    // The companion pumps its events here; an empty callback keeps that cost in the timing.
    const std::function<void()> pump = [] {};
    files::findMatches(argv[1], argv[2], true, pump, found);
    for (const std::string& path : found) {
        std::fwrite(path.data(), 1, path.size(), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
