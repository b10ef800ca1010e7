#pragma once

// The subcommands of porukane-acs. Each returns the process exit status and reports failures
// as one line on stderr.

#include "agent/acs/Character.h"

#include <memory>
#include <string>

namespace acstool {

int runInfo(const std::string& file);
int runRender(const std::string& file, const std::string& animation, const std::string& frame,
              const std::string& out);
int runBuild(const std::string& manifest, const std::string& out);
// Writes sound `index` (0-based) to `out`, or with index "--all" every sound to out/NNN.wav.
int runSound(const std::string& file, const std::string& index, const std::string& out);
int runUnpack(const std::string& file, const std::string& dir);
// `argv` holds the arguments after "trace".
int runTrace(int argc, char** argv);

// A JSON string literal: UTF-8 passes through as is, control characters are escaped.
std::string jsonString(const std::string& s);

// Reads a whole file; false (and a message on stderr naming it) when it cannot.
bool readFile(const std::string& path, std::string& bytes);
// "porukane-acs: <what>: <detail>" on stderr; returns 1.
int fail(const std::string& what, const std::string& detail);
// Loads a character in strict mode; on failure prints the error line and returns null.
std::shared_ptr<const acs::Character> loadStrict(const std::string& file);

}  // namespace acstool
