#pragma once

#include "agent/acs/Model.h"

#include <string>

namespace acstool {

// Thrown only while a manifest is read and caught in runBuild: the problem, one line.
struct ManifestError {
    std::string detail;
};
[[noreturn]] void bad(const std::string& detail);

// Reads a manifest and everything it names into a character model; throws ManifestError.
acs::CharacterData readManifest(const std::string& manifestPath);

}  // namespace acstool
