#include "Checks.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace acs::test {

std::string danglingReference(const Character& c) {
    const auto& anims = c.animations();
    const std::size_t images = c.images().size();
    std::string first;  // only the first problem is reported
    std::string where;  // the object being checked
    const auto check = [&](bool broken, const char* what) {
        if (broken && first.empty()) {
            first = where + what;
        }
    };
    for (const Animation& a : anims) {
        where = "animation " + a.name + ": ";
        check(a.transition > 2, "transition");
        check(a.returnIndex && *a.returnIndex >= anims.size(), "return index");
        const std::size_t frames = a.frames.size();
        for (const Frame& f : a.frames) {
            for (const FrameImage& fi : f.images) {
                check(fi.image >= images, "image");
            }
            check(f.sound != kNoSound && f.sound >= c.sounds().size(), "sound");
            check(f.exitValue < kExitNextFrame ||
                      (f.exitValue >= 0 && static_cast<std::size_t>(f.exitValue) >= frames),
                  "exit value");
            unsigned total = 0;
            for (const Branch& b : f.branches) {
                total += b.percent;
                check(b.frame >= frames, "branch");
            }
            check(total > 100, "branch percentages");
            for (const MouthOverlay& o : f.overlays) {
                check(o.image >= images || o.mouth > 6, "overlay");
            }
        }
    }
    for (const State& s : c.info().states) {
        where = "state " + s.name;
        for (const std::size_t i : s.animationIndices) {
            check(i >= anims.size(), "");
        }
    }
    return first;
}

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    const char* dir = std::getenv("PORUKANE_ACS_CORPUS");
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir ? dir : "", ec)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](char ch) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        });
        if (e.is_regular_file(ec) && ext == ".acs") {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace acs::test
