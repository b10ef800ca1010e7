#pragma once

// How paths cross between the user interface (QString) and the std-only file functions (raw
// bytes), and how the program's Windows-style paths are read on other systems.

#include <QString>

#include <string>

namespace platform {

// A raw path as text for the user; bytes that are not valid in the locale's encoding show as
// replacement characters, so never turn the result back into a path.
QString displayPath(const std::string& raw);

// A path from the user interface as raw bytes for the file system.
std::string rawPath(const QString& path);

// `path` with Windows separators ("<folder>\Filecopy.avi") read as "/" where "\" is an
// ordinary file-name character; unchanged on Windows.
QString withNativeSeparators(const QString& path);

}  // namespace platform
