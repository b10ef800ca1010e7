// porukane-acs: inspects, renders and builds character files with the character library
// alone, which keeps the library honest about being complete.

#include "Commands.h"
#include "Play.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: porukane-acs info FILE\n"
                 "       porukane-acs render FILE ANIMATION FRAME OUT.png\n"
                 "       porukane-acs build MANIFEST OUT.acs\n"
                 "       porukane-acs unpack FILE DIR\n"
                 "       porukane-acs trace FILE ANIMATION... [--draws N,N,...] [--stop-at MS] "
                 "[--until MS]\n"
                 "       porukane-acs sound FILE INDEX OUT.wav\n"
                 "       porukane-acs sound FILE --all DIR\n"
                 "       porukane-acs play ...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    if (command == "info" && argc == 3) {
        return acstool::runInfo(argv[2]);
    }
    if (command == "render" && argc == 6) {
        return acstool::runRender(argv[2], argv[3], argv[4], argv[5]);
    }
    if (command == "build" && argc == 4) {
        return acstool::runBuild(argv[2], argv[3]);
    }
    if (command == "unpack" && argc == 4) {
        return acstool::runUnpack(argv[2], argv[3]);
    }
    if (command == "trace") {
        return acstool::runTrace(argc - 2, argv + 2);
    }
    if (command == "sound" && argc == 5) {
        return acstool::runSound(argv[2], argv[3], argv[4]);
    }
    if (command == "play") {
        return runPlay(argc, argv);
    }
    return usage();
}
