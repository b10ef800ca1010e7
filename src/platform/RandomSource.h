#pragma once

namespace platform {

// The one pseudo-random generator of the program. `rnd` is uniform in [0, 1) in single
// precision; `randomize` seeds it again from the clock.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual float rnd() = 0;
    virtual void randomize() = 0;
};

}  // namespace platform
