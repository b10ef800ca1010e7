#pragma once

// Properties every loaded character must have, whatever file it came from.

#include "agent/acs/Character.h"

#include <string>

namespace acs::test {

// Empty when every cross-reference of `c` resolves; otherwise the first that does not.
std::string danglingReference(const Character& c);

}  // namespace acs::test
