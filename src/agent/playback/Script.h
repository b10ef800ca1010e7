#pragma once

// What the player needs to know about a character: animation timing, branching, transitions
// and the state table. Pictures and sounds stay with whoever owns the character file; the
// player only names them by index. The desktop layer builds a Script from the loaded .acs
// model, so this header depends on nothing but the standard library.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace playback {

// A branch taken when playback leaves a frame: go to `frame` with `percent` chance. The
// percentages of one frame add up to 100 at most.
struct Branch {
    int frame = 0;
    int percent = 0;
};

// Where an exit walk goes from a frame (the stored value): a frame index >= 0 goes there,
// kExitNextFrame carries on with the next frame, kExitEnd ends the walk. Any other negative
// value is read as kExitEnd.
inline constexpr int kExitEnd = -1;
inline constexpr int kExitNextFrame = -2;

struct Frame {
    int durationMs = 0;  // 0: passed through without being drawn (its sound still starts)
    int exitBranch = kExitEnd;
    std::vector<Branch> branches;
    int sound = -1;         // index into the character's sounds, -1 for none
    bool hasImages = true;  // false: an empty frame (the character vanishes while it shows)
};

// What happens when an animation has run to its end, before the next animation starts.
enum class Transition : std::uint8_t {
    Return = 0,        // play `returnAnimation`
    ExitBranches = 1,  // walk the exit branches back from the frame it rests on
    None = 2,
};

struct Animation {
    std::string name;  // as the character lists it (mixed case)
    Transition transition = Transition::None;
    int returnAnimation = -1;  // index into Script::animations, only used with Transition::Return
    std::vector<Frame> frames;
};

// Agent's state names. Keys of Script::states are compared by names::same().
inline constexpr std::string_view kStateShowing = "SHOWING";
inline constexpr std::string_view kStateHiding = "HIDING";
inline constexpr std::string_view kStateMovingLeft = "MOVINGLEFT";
inline constexpr std::string_view kStateMovingRight = "MOVINGRIGHT";
inline constexpr std::string_view kStateMovingUp = "MOVINGUP";
inline constexpr std::string_view kStateMovingDown = "MOVINGDOWN";
inline constexpr std::string_view kStateIdlingLevel1 = "IDLINGLEVEL1";
inline constexpr std::string_view kStateIdlingLevel2 = "IDLINGLEVEL2";
inline constexpr std::string_view kStateIdlingLevel3 = "IDLINGLEVEL3";

struct Script {
    std::vector<Animation> animations;  // in the character's directory order
    // State name -> indexes into `animations`. Indexes out of range are ignored.
    std::map<std::string, std::vector<int>> states;
};

}  // namespace playback
