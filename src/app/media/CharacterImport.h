#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace app {

// Replaces the program's character files with copies of files found elsewhere, as 1.bin,
// 2.bin, ... in the order given. The replacement is staged: every file is first copied (and
// synced) into a folder inside the program folder, and only once every copy has succeeded are
// the old character files (*.bin, with temp.bin) moved aside and the new ones moved in. Any
// failure puts the old files back and removes the staging folder, so the program folder holds
// either the old set or the new one. No user interface: the caller shows progress and failures.
class CharacterImport {
public:
    // The folder inside the program folder that holds copies until they replace the old files.
    static constexpr const char* kStagingFolder = "import.tmp";

    struct Outcome {
        bool ok = true;
        // What to name to the user after a failure: the staging folder when it could not be
        // made, the source that could not be copied, or empty when the swap failed.
        QString failedItem;
    };

    explicit CharacterImport(QString programFolder);

    // Copies `sources` (raw paths) in and swaps them for the old character files.
    // `beforeCopy(i, count)`, when set, runs before copy i (1-based) of `count`.
    Outcome run(const std::vector<std::string>& sources,
                const std::function<void(int, int)>& beforeCopy = {}) const;

private:
    Outcome stage(const QString& staging, const std::vector<std::string>& sources,
                  const std::function<void(int, int)>& beforeCopy) const;
    bool swap(const QString& staging, int count) const;

    QString m_programFolder;
};

}  // namespace app
