#pragma once

// Tiny characters written with our own writer, and a main() that gives the Qt tests their
// QApplication.

#include "agent/acs/Model.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace desktoptest {

// An 8x6 character: palette 0 transparent, 1 red, 2 green. Image 0 is a red block with a hole,
// image 1 a green dot. Animations: Show and Hide (one 100 ms frame each, in the SHOWING and
// HIDING states), RestPose, Wave (two frames), Empty (one frame without images), and Loop
// (a frame that branches to itself for ever). Localized names: English "Tester" then Japanese
// "テスター".
acs::CharacterData makeCharacterData();
// Writes `data` into `dir` as `name` and returns its path.
QString writeCharacter(const acs::CharacterData& data, const QString& dir, const QString& name);

// The rows of image 0, top-down, for tests that check the shape.
const std::vector<std::string>& blockRows();

}  // namespace desktoptest
