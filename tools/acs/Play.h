#pragma once

// `porukane-acs play ...`: plays a character in a window. Provided by the desktop module's
// build of Play.cpp; the default build has a stub that says it is not available.
int runPlay(int argc, char** argv);
