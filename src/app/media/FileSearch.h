#pragma once

// The file search of the drive wizard (module ファイル検索用): finds every entry whose name
// matches a wildcard pattern in a folder and, on request, in every folder below it.

#include <QString>

#include <string>
#include <vector>

#include "platform/EventPump.h"

namespace app {

// Searches `folder` (with or without a trailing separator) for names matching `pattern` ("*"
// and "?", without regard to case) and returns the full paths of the matches in the order
// found, as the raw bytes of the file names (decode them with platform::displayPath only for
// showing); with `recurse` the whole subtree, depth first, a folder's matches before those of
// its subfolders. Folders beginning with ".", symbolic links and other file systems are not
// entered. Pumps `events` once before each subfolder, so handlers run nested. A folder that
// cannot be read contributes nothing; a missing folder gives no match.
std::vector<std::string> FindFiles(const QString& folder, const QString& pattern, bool recurse,
                                   platform::EventPump& events);

}  // namespace app
