#include "app/media/FileSearch.h"

#include "files/DirectoryWalk.h"
#include "platform/os/NativePaths.h"

namespace app {

std::vector<std::string> FindFiles(const QString& folder, const QString& pattern, bool recurse,
                                   platform::EventPump& events) {
    std::vector<std::string> found;
    const std::function<void()> pump = [&events] { events.processEvents(); };
    files::findMatches(platform::rawPath(folder), pattern.toStdString(), recurse, pump, found);
    return found;
}

}  // namespace app
