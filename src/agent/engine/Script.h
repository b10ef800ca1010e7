#pragma once

#include "agent/acs/Character.h"
#include "agent/playback/Script.h"

namespace engine {

// What the player needs from a loaded character: each animation's frames (duration in
// milliseconds, branches, exit value, sound, whether it has images), transitions with their
// resolved return animations, and the state table with the indexes the reader resolved.
// Frame and animation indexes match the character's, so the player's pictures and sounds
// can be drawn and played from it directly.
playback::Script makeScript(const acs::Character& character);

}  // namespace engine
