#pragma once

// The player's header declares a member named `emit`, which Qt defines as an empty macro.
// Qt code includes the player through this header, which hides the macro while it is read.
#pragma push_macro("emit")
#undef emit
#include "agent/playback/Player.h"
#pragma pop_macro("emit")
