#pragma once

// The character's animations and states, as poses. Left and right in Gesture* and Look* are
// the character's own (GestureRight points to the viewer's left), as in Agent's standard
// animation set; Move* are screen directions, matching the Moving states.

#include "Pose.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mascot {

enum Sound { kPop, kSwish, kBlip, kChime, kBoing, kSoundCount };

inline constexpr int kExitEnd = -1;
inline constexpr int kExitNext = -2;

struct FrameSpec {
    std::optional<Pose> pose;  // nullopt: a frame without images
    int durationMs = 80;
    int sound = -1;
    int exit = kExitNext;
    std::vector<std::pair<int, int>> branches;  // (target frame, percent)
};

struct AnimationSpec {
    std::string name;
    int transition = 1;  // 1: exit branches; 2: none
    std::vector<FrameSpec> frames;
};

struct StateSpec {
    std::string name;
    std::vector<std::string> animations;
};

std::vector<AnimationSpec> animations();
std::vector<StateSpec> states();

}  // namespace mascot
