#pragma once

// The file-system half of the drive search: a recursive walk that matches names against a
// wildcard pattern, and a plain file copy. Paths are raw bytes as the system hands them out
// (on Linux any byte but NUL and "/"), so a name that is not valid UTF-8 is found and copied
// unchanged; only the user interface converts them for display.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace media {

// True when `name` matches `pattern`. "*" stands for any run of characters (also none), "?"
// for exactly one character, every other character for itself without regard to letter case
// (ASCII, Latin-1, Greek, Cyrillic and full-width Latin letters fold). A valid UTF-8 sequence
// is one character; every byte that is not part of one is a character of its own that only
// "?" or the same byte matches. Never fails; an empty pattern matches only an empty name.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Appends to `out`, in a depth-first pre-order walk, the full path (folder + name) of every
// entry below `folder` whose name matches `pattern`: all matches of a folder (in listing
// order, folders included, names beginning with "." included) before any match inside its
// subfolders, subfolders in listing order. With `recurse` false only the folder's own entries
// are matched. Each folder is read once. Folders whose name begins with "." are not entered,
// nor are symbolic links, nor folders of another file system than `folder` (mount points),
// so the walk always ends. `beforeSubfolder`, when set, runs once before each subfolder is
// entered (the caller pumps user-interface events there). A folder that cannot be read
// contributes nothing; a missing `folder` gives no match. `folder` may end with a separator
// or not. Returns the number of paths appended. Does not throw except std::bad_alloc.
std::size_t findMatches(const std::string& folder, std::string_view pattern, bool recurse,
                        const std::function<void()>& beforeSubfolder,
                        std::vector<std::string>& out);

// True when `path` names a regular file, following symbolic links.
bool isRegularFile(const std::string& path);

struct CopyResult {
    bool ok = false;
    int errorNumber = 0;  // errno of the failing call when !ok
    std::string detail;   // which step failed, for the log
};

// Copies the regular file `from` to `to`, creating or truncating `to`. With `sync` the data
// reaches the disk before the call returns (for copies that will replace the user's files).
// On failure `to` is removed again, so no half-written file is left.
CopyResult copyFile(const std::string& from, const std::string& to, bool sync = false);

// For tests only: when set, copyFile calls this in place of copy_file_range(2), with the same
// meaning of the result (bytes copied, 0 at the end of the source, -1 with errno set). A test
// makes it answer EXDEV, as the kernel does between two file systems, to reach the plain
// read-and-write copy.
extern long long (*kernelCopyForTesting)(int in, int out, std::size_t length);

}  // namespace media
