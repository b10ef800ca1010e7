// Validation of a loaded character: every cross-reference resolved once.

#include "agent/acs/Loader.h"

#include "agent/acs/Fields.h"
#include "names/NameFold.h"

namespace acs::detail {

void Loader::indexAnimationNames() {
    const auto& anims = m_d->animations;
    for (std::size_t i = 0; i < anims.size(); ++i) {
        const std::string key = names::fold(anims[i].name);
        if (!m_d->animationByFoldedName.emplace(key, i).second) {
            warn(m_animOffsets[i], "animation \"" + anims[i].name +
                                       "\" has the same name as an earlier one; the first wins");
        }
    }
}

bool Loader::checkTransition(Animation& a, std::uint64_t at, const std::string& where) {
    if (!names::same(a.recordName, a.name)) {
        warn(at, where + ": record name \"" + a.recordName + "\" differs");
    }
    if (a.transition > 2) {
        if (!problem(ErrorCode::BadValue, at,
                     where + ": transition type " + std::to_string(a.transition))) {
            return false;
        }
        a.transition = 2;
    }
    if (a.returnAnimation.empty()) {
        if (a.transition == 0) {
            // Owes nothing; playback sees a type 0 without returnIndex.
            warn(at, where + ": transition type 0 without a return animation");
        }
        return true;
    }
    const auto it = m_d->animationByFoldedName.find(names::fold(a.returnAnimation));
    if (a.transition != 0) {
        return problem(
            ErrorCode::BadValue, at,
            where + ": return animation with transition type " + std::to_string(a.transition));
    }
    if (it == m_d->animationByFoldedName.end()) {
        return problem(ErrorCode::BadReference, at,
                       where + ": return animation \"" + a.returnAnimation + "\" does not exist");
    }
    a.returnIndex = it->second;
    return true;
}

bool Loader::checkFrameImages(Frame& f, std::uint64_t at, const std::string& fwhere) {
    for (std::size_t k = f.images.size(); k-- > 0;) {
        if (f.images[k].image >= m_d->images.size()) {
            if (!problem(
                    ErrorCode::BadReference, at,
                    fwhere + ": image " + std::to_string(f.images[k].image) + " does not exist")) {
                return false;
            }
            f.images.erase(f.images.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    return true;
}

bool Loader::checkSoundAndExit(Frame& f, std::size_t frameCount, std::uint64_t at,
                               const std::string& fwhere) {
    if (f.sound != kNoSound && f.sound >= m_d->sounds.size()) {
        warn(at, fwhere + ": sound " + std::to_string(f.sound) +
                     " does not exist; played without sound");
        f.sound = kNoSound;
    }
    if (f.exitValue < kExitNextFrame ||
        (f.exitValue >= 0 && static_cast<std::size_t>(f.exitValue) >= frameCount)) {
        if (!problem(ErrorCode::BadReference, at,
                     fwhere + ": exit value " + std::to_string(f.exitValue) + " is not a frame")) {
            return false;
        }
        f.exitValue = kExitEnd;
    }
    return true;
}

bool Loader::checkBranches(Frame& f, std::size_t frameCount, std::uint64_t at,
                           const std::string& fwhere) {
    unsigned total = 0;
    for (std::size_t k = 0; k < f.branches.size();) {
        const Branch& b = f.branches[k];
        std::string bad;
        if (b.frame >= frameCount) {
            bad = "branch to frame " + std::to_string(b.frame) + " which does not exist";
        } else if (total + b.percent > 100) {
            bad = "branch probabilities add up to more than 100";
        }
        if (bad.empty()) {
            total += b.percent;
            ++k;
            continue;
        }
        if (!problem(ErrorCode::BadReference, at, fwhere + ": " + bad)) {
            return false;
        }
        f.branches.erase(f.branches.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return true;
}

bool Loader::checkOverlays(Frame& f, std::uint64_t at, const std::string& fwhere) {
    for (std::size_t k = f.overlays.size(); k-- > 0;) {
        const MouthOverlay& o = f.overlays[k];
        std::string bad;
        if (o.mouth > 6) {
            bad = "mouth type " + std::to_string(o.mouth);
        } else if (o.image >= m_d->images.size()) {
            bad = "overlay image " + std::to_string(o.image) + " does not exist";
        }
        if (!bad.empty()) {
            if (!problem(ErrorCode::BadReference, at, fwhere + ": " + bad)) {
                return false;
            }
            f.overlays.erase(f.overlays.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    return true;
}

bool Loader::checkAnimation(Animation& a, std::uint64_t at) {
    const std::string where = "animation \"" + a.name + "\"";
    if (!checkTransition(a, at, where)) {
        return false;
    }
    const std::size_t frameCount = a.frames.size();
    for (std::size_t fi = 0; fi < frameCount; ++fi) {
        Frame& f = a.frames[fi];
        const std::string fwhere = where + " frame " + std::to_string(fi);
        if (!checkFrameImages(f, at, fwhere) || !checkSoundAndExit(f, frameCount, at, fwhere) ||
            !checkBranches(f, frameCount, at, fwhere) || !checkOverlays(f, at, fwhere)) {
            return false;
        }
    }
    return true;
}

bool Loader::resolveStates() {
    for (State& s : m_d->info.states) {
        s.animationIndices.clear();
        for (const std::string& name : s.animations) {
            const auto it = m_d->animationByFoldedName.find(names::fold(name));
            if (it == m_d->animationByFoldedName.end()) {
                if (!problem(ErrorCode::BadReference, 0,
                             "state " + s.name + ": animation \"" + name + "\" does not exist")) {
                    return false;
                }
                continue;
            }
            s.animationIndices.push_back(it->second);
        }
    }
    return true;
}

bool Loader::validate() {
    indexAnimationNames();
    auto& anims = m_d->animations;
    for (std::size_t ai = 0; ai < anims.size(); ++ai) {
        if (!checkAnimation(anims[ai], m_animOffsets[ai])) {
            return false;
        }
    }
    return resolveStates();
}

}  // namespace acs::detail
