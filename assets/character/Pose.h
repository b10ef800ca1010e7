#pragma once

// What one frame of the character shows, as parts: a body shape, a face, two arms, the leaf
// and a few effects. The atlas turns each part into a small image placed over the body, the
// way Agent characters layer a blink patch over a body image.

#include <vector>

namespace mascot {

enum class Body { Normal, Squash, Stretch, LeanLeft, LeanRight, Breathe };
enum class Eyes {
    Open,
    LookLeft,
    LookRight,
    LookUp,
    LookDown,
    Half,
    Closed,
    Happy,
    Sleep,
    Wide,
    Sad,
    Confused,
    Squeeze
};
enum class Mouth { Smile, Grin, SmallO, BigO, Frown, Flat, Wavy, Talk };
// Arm angle from hanging down, outward positive; Chin reaches across the body.
enum class Arm { Down, Mid, Out, Up, Wave1, Wave2, High, Chin, PointDown, Back, Ear };
enum class Leaf { Rest, SwayLeft, SwayRight, Droop, Perk, Spin1, Spin2, Spin3 };
enum class Effect {
    Exclaim,
    Question,
    SparkA,
    SparkB,
    Zz1,
    Zz2,
    Zz3,
    Sweat,
    Tear,
    Heart,
    Note,
    Magnifier,
    Bubble1,
    Bubble2,
    Bubble3,
    Dots1,
    Dots2,
    Dots3,
    Bulb
};

struct Placed {
    Effect effect;
    int dx = 0;  // extra shift from where the effect is drawn
    int dy = 0;
    bool operator==(const Placed&) const = default;
};

struct Pose {
    Body body = Body::Normal;
    int dx = 0;  // whole character, e.g. a hop
    int dy = 0;
    int faceDx = 0;  // eyes and mouth only: turning or nodding the head
    int faceDy = 0;
    Eyes eyes = Eyes::Open;
    Mouth mouth = Mouth::Smile;
    Arm left = Arm::Down;  // the arm on the viewer's left
    Arm right = Arm::Down;
    Leaf leaf = Leaf::Rest;
    std::vector<Placed> effects;
    int scalePercent = 100;  // != 100: a pre-composed, scaled whole character (Show, Hide)
    bool operator==(const Pose&) const = default;

    // Chainable setters keep the animation tables readable.
    Pose& withBody(Body b) {
        body = b;
        return *this;
    }
    Pose& at(int x, int y) {
        dx = x;
        dy = y;
        return *this;
    }
    Pose& face(int x, int y) {
        faceDx = x;
        faceDy = y;
        return *this;
    }
    Pose& withEyes(Eyes e) {
        eyes = e;
        return *this;
    }
    Pose& withMouth(Mouth m) {
        mouth = m;
        return *this;
    }
    Pose& arms(Arm l, Arm r) {
        left = l;
        right = r;
        return *this;
    }
    Pose& withLeaf(Leaf l) {
        leaf = l;
        return *this;
    }
    Pose& plus(Effect e, int x = 0, int y = 0) {
        effects.push_back({e, x, y});
        return *this;
    }
    Pose& scaled(int percent) {
        scalePercent = percent;
        return *this;
    }
};

}  // namespace mascot
