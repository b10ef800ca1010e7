#pragma once

// Properties every loaded character must have, whatever file it came from.

#include "agent/acs/Character.h"

#include <filesystem>
#include <string>
#include <vector>

namespace acs::test {

// Empty when every cross-reference of `c` resolves; otherwise the first that does not.
std::string danglingReference(const Character& c);

// The .acs files under the folder named by PORUKANE_ACS_CORPUS, sorted; empty when it is unset.
std::vector<std::filesystem::path> corpusFiles();

}  // namespace acs::test
