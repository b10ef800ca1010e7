#include "agent/engine/Script.h"

namespace engine {

playback::Script makeScript(const acs::Character& character) {
    playback::Script script;
    script.animations.reserve(character.animations().size());
    for (const acs::Animation& source : character.animations()) {
        playback::Animation animation;
        animation.name = source.name;
        animation.transition = source.transition <= 2
                                   ? static_cast<playback::Transition>(source.transition)
                                   : playback::Transition::None;
        animation.returnAnimation = source.returnIndex ? static_cast<int>(*source.returnIndex) : -1;
        animation.frames.reserve(source.frames.size());
        for (const acs::Frame& f : source.frames) {
            playback::Frame frame;
            frame.durationMs = f.duration * 10;  // stored in hundredths of a second
            frame.exitBranch = f.exitValue;
            frame.sound = f.sound == acs::kNoSound ? -1 : f.sound;
            frame.hasImages = !f.images.empty();
            for (const acs::Branch& b : f.branches)
                frame.branches.push_back({b.frame, b.percent});
            animation.frames.push_back(std::move(frame));
        }
        script.animations.push_back(std::move(animation));
    }
    for (const acs::State& state : character.info().states) {
        auto& list = script.states[state.name];
        for (std::size_t index : state.animationIndices)
            list.push_back(static_cast<int>(index));
    }
    return script;
}

}  // namespace engine
