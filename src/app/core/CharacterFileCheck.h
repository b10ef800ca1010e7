#pragma once

#include <QString>

#include <string>

namespace app {

// Whether a file can serve as a character: it loads (leniently, as the companion loads it)
// as an Agent 2.x character with at least one animation, and the first frame that has images
// draws at least one pixel. `reason` says why not in the user's language; `detail` is a line
// in English for the log. Only reads the file.
struct CharacterFileCheck {
    bool ok = false;
    QString reason;
    QString detail;
};
CharacterFileCheck checkCharacterFile(const QString& path);
// The same for a path given as the raw bytes of its name (a file found by the drive search).
CharacterFileCheck checkCharacterFile(const std::string& rawPath);

}  // namespace app
