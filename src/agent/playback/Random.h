#pragma once

#include <cstdint>
#include <random>

namespace playback {

// The player's only source of chance, injected so that tests can script every draw. The
// player draws only when there is a choice (n >= 2): below(100) when it leaves a frame that
// has branches, below(count) when it starts an animation of a state listing several, and
// below(max - min + 1) for the pause after an idle animation when the idle interval is a range.
class Random {
public:
    virtual ~Random() = default;
    // A uniform integer in [0, n). Called only with n >= 1. A result outside [0, n) is
    // clamped into it by the caller, so a sloppy implementation cannot break playback.
    virtual int below(int n) = 0;
};

// A ready-made source for programs that have no generator of their own.
class StdRandom final : public Random {
public:
    explicit StdRandom(std::uint32_t seed = std::random_device{}()) : m_engine(seed) {}
    int below(int n) override {
        if (n <= 1) {
            return 0;
        }
        return std::uniform_int_distribution<int>(0, n - 1)(m_engine);
    }

private:
    std::mt19937 m_engine;
};

}  // namespace playback
