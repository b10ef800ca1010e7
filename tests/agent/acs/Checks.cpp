#include "Checks.h"

namespace acs::test {

std::string danglingReference(const Character& c) {
    const auto& anims = c.animations();
    const std::size_t images = c.images().size();
    for (const Animation& a : anims) {
        const std::string where = "animation " + a.name;
        if (a.transition > 2) {
            return where + ": transition";
        }
        if (a.returnIndex && *a.returnIndex >= anims.size()) {
            return where + ": return index";
        }
        const std::size_t frames = a.frames.size();
        for (const Frame& f : a.frames) {
            for (const FrameImage& fi : f.images) {
                if (fi.image >= images) {
                    return where + ": image";
                }
            }
            if (f.sound != kNoSound && f.sound >= c.sounds().size()) {
                return where + ": sound";
            }
            if (f.exitValue < kExitNextFrame ||
                (f.exitValue >= 0 && static_cast<std::size_t>(f.exitValue) >= frames)) {
                return where + ": exit value";
            }
            unsigned total = 0;
            for (const Branch& b : f.branches) {
                total += b.percent;
                if (b.frame >= frames) {
                    return where + ": branch";
                }
            }
            if (total > 100) {
                return where + ": branch percentages";
            }
            for (const MouthOverlay& o : f.overlays) {
                if (o.image >= images || o.mouth > 6) {
                    return where + ": overlay";
                }
            }
        }
    }
    for (const State& s : c.info().states) {
        for (const std::size_t i : s.animationIndices) {
            if (i >= anims.size()) {
                return "state " + s.name;
            }
        }
    }
    return {};
}

}  // namespace acs::test
