#pragma once

// The file search of the drive wizard (module ファイル検索用): finds every entry whose name
// matches a wildcard pattern in a folder and, on request, in every folder below it.

#include <QString>

#include <string>
#include <vector>

#include "platform/EventPump.h"

namespace app {

// Full paths of the matches of the last search, in the order found, as the raw bytes of the
// file names (decode them with displayPath only for showing). 0-based: match i of 1..count is
// foundFiles[i - 1]. Every search replaces the whole list.
extern std::vector<std::string> foundFiles;

// Searches `folder` (with or without a trailing separator) for names matching `pattern` ("*"
// and "?", without regard to case) and fills foundFiles; with `recurse` the whole subtree,
// depth first, a folder's matches before those of its subfolders. Folders beginning with ".",
// symbolic links and other file systems are not entered. Pumps `events` once before each
// subfolder, so handlers run nested: none of them may start a second search. A folder that
// cannot be read contributes nothing; a missing folder gives 0. Returns the match count.
qsizetype FindFiles(const QString& folder, const QString& pattern, bool recurse,
                    platform::EventPump& events);

// A raw path as text for the user; bytes that are not valid in the locale's encoding show as
// replacement characters, so never turn the result back into a path.
QString displayPath(const std::string& raw);

// A path from the user interface as raw bytes for the file system.
std::string rawPath(const QString& path);

}  // namespace app
