// porukane-copy TARGET SOURCE...: copies each SOURCE file into the folder TARGET under its own
// name with the drive search's copy, as cp SOURCE... TARGET would.

#include <cstdio>
#include <string>

#include "files/DirectoryWalk.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: porukane-copy TARGET SOURCE...\n", stderr);
        return 2;
    }
    const std::string target = std::string(argv[1]) + "/";
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string source = argv[i];
        const std::size_t slash = source.rfind('/');
        const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
        const files::CopyResult result = files::copyFile(source, target + name);
        if (!result.ok) {
            std::fprintf(stderr, "%s: %s\n", source.c_str(), result.detail.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
