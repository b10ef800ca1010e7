#include "Play.h"

#include <cstdio>

int runPlay(int, char**) {
    std::fprintf(stderr, "play is not available in this build\n");
    return 1;
}
