#pragma once

// Tiny characters written with our own writer.

#include "agent/acs/Model.h"

#include <QString>

namespace desktoptest {

// An 8x6 character: palette 0 transparent, 1 red, 2 green; image 0 a red block with a hole,
// image 1 a green dot. Animations (one 100 ms frame unless said): Show and Hide (in the
// SHOWING and HIDING states), RestPose, Wave (two frames), Empty (no images), and Loop (a
// frame that branches to itself for ever). Names: English "Tester", Japanese "テスター".
acs::CharacterData makeCharacterData();
// Writes `data` into `dir` as `name` and returns its path.
QString writeCharacter(const acs::CharacterData& data, const QString& dir, const QString& name);

}  // namespace desktoptest
