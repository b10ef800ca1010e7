#pragma once

// `porukane-acs play ...`: plays a character in a window. argv[1] is "play". Lives in the
// porukane-acs-play program; porukane-acs starts that program for this command.
int runPlay(int argc, char** argv);
