// porukane-acs-play: the `play` command of porukane-acs in a program of its own, so that only
// it links the desktop engine, Widgets and Multimedia. porukane-acs hands `play` over to it.

#include "Play.h"

int main(int argc, char** argv) {
    return runPlay(argc, argv);
}
