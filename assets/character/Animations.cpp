#include "Animations.h"

namespace mascot {

namespace {

Pose rest() {
    return {};
}

FrameSpec frame(const Pose& pose, int ms = 80, int sound = -1) {
    return {pose, ms, sound, kExitNext, {}};
}

FrameSpec blank(int ms = 0) {
    return {std::nullopt, ms, -1, kExitEnd, {}};
}

// An animation that comes back to rest by itself. Cut short anywhere before `outStart`, it
// jumps to the frames from `outStart` on, which ease back into the final rest frame. Frames
// that already show the rest pose end the exit where they are.
AnimationSpec roundTrip(std::string name, std::vector<FrameSpec> frames, int outStart = -1) {
    const int n = static_cast<int>(frames.size());
    if (outStart < 0)
        outStart = n - 1;
    const Pose still = rest();
    for (int i = 0; i < n; ++i) {
        FrameSpec& f = frames[static_cast<std::size_t>(i)];
        const bool atRest = f.pose && *f.pose == still;
        if (atRest || i == n - 1)
            f.exit = kExitEnd;
        else if (i < outStart)
            f.exit = outStart;
        else
            f.exit = kExitNext;
    }
    return {std::move(name), 1, std::move(frames)};
}

// An animation that ends on a held pose (frame 0 is the rest pose). It rests on its last
// frame; a blank zero-time frame closes it. Its exit walks the frames backwards to frame 0
// and through the blank end frame, the way Agent's own characters undo a gesture.
AnimationSpec hold(std::string name, std::vector<FrameSpec> frames) {
    const int n = static_cast<int>(frames.size());
    for (int i = 1; i < n; ++i)
        frames[static_cast<std::size_t>(i)].exit = i - 1;
    frames[0].exit = n;
    frames.push_back(blank());
    return {std::move(name), 1, std::move(frames)};
}

Pose mirror(Pose p) {
    std::swap(p.left, p.right);
    p.faceDx = -p.faceDx;
    p.dx = -p.dx;
    if (p.body == Body::LeanLeft)
        p.body = Body::LeanRight;
    else if (p.body == Body::LeanRight)
        p.body = Body::LeanLeft;
    if (p.eyes == Eyes::LookLeft)
        p.eyes = Eyes::LookRight;
    else if (p.eyes == Eyes::LookRight)
        p.eyes = Eyes::LookLeft;
    return p;
}

AnimationSpec mirrored(const AnimationSpec& a, std::string name) {
    AnimationSpec out = a;
    out.name = std::move(name);
    for (FrameSpec& f : out.frames)
        if (f.pose)
            f.pose = mirror(*f.pose);
    return out;
}

using B = Body;
using E = Eyes;
using M = Mouth;
using A = Arm;
using L = Leaf;
using X = Effect;

}  // namespace

// The tables read best laid out by hand, one frame a line.
// clang-format off
namespace {

// Appearing and vanishing, and the pose at rest.
void addAppearing(std::vector<AnimationSpec>& all)
{
    all.push_back({"RestPose", 2, {frame(rest(), 100)}});
    all.back().frames[0].exit = kExitEnd;

    {
        // A zero-time first frame starts the pop before anything is drawn.
        AnimationSpec show{"Show", 2, {}};
        FrameSpec start = blank();
        start.sound = kPop;
        show.frames = {start,
                       frame(rest().scaled(30), 60),
                       frame(rest().scaled(60), 60),
                       frame(rest().scaled(88), 60),
                       frame(rest().scaled(108).withEyes(E::Happy), 80),
                       frame(rest().withBody(B::Squash).withEyes(E::Happy), 80),
                       frame(rest(), 100)};
        const int last = static_cast<int>(show.frames.size()) - 1;
        for (int i = 0; i < last; ++i)
            show.frames[static_cast<std::size_t>(i)].exit = last;
        show.frames[static_cast<std::size_t>(last)].exit = kExitEnd;
        all.push_back(show);
    }
    {
        // Cut short, Hide carries on to its end: the character vanishes either way.
        AnimationSpec hide{"Hide", 2, {}};
        hide.frames = {frame(rest(), 60, kSwish),
                       frame(rest().withBody(B::Squash).withEyes(E::Closed), 80),
                       frame(rest().scaled(85).withEyes(E::Closed), 60),
                       frame(rest().scaled(55).withEyes(E::Closed), 60),
                       frame(rest().scaled(25).withEyes(E::Closed), 60),
                       blank(50),
                       blank()};
        hide.frames[5].exit = kExitNext;
        all.push_back(hide);
    }
}

// Greetings, acknowledgements and applause.
void addGreetings(std::vector<AnimationSpec>& all)
{
    all.push_back(roundTrip("Greet", {
        frame(rest()),
        frame(rest().withBody(B::Squash).withEyes(E::Happy).face(0, 2), 140),
        frame(rest().withEyes(E::Happy)),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Down, A::Mid), 80, kBlip),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Down, A::Wave1), 100),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Down, A::Wave2), 100),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Down, A::Wave1), 100),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Down, A::Wave2), 100),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave1), 100),
        frame(rest().arms(A::Down, A::Mid)),
        frame(rest(), 100)}, 9));

    all.push_back(roundTrip("Wave", {
        frame(rest()),
        frame(rest().arms(A::Down, A::Mid)),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave1), 100),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave2), 100),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave1), 100),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave2), 100),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave1), 100),
        frame(rest().withMouth(M::Grin).arms(A::Down, A::Wave2), 100),
        frame(rest().arms(A::Down, A::Mid)),
        frame(rest(), 100)}, 8));

    all.push_back(roundTrip("Blink", {
        frame(rest(), 60),
        frame(rest().withEyes(E::Half), 40),
        frame(rest().withEyes(E::Closed), 80),
        frame(rest().withEyes(E::Half), 40),
        frame(rest(), 100)}));

    all.push_back(roundTrip("Acknowledge", {
        frame(rest()),
        frame(rest().withEyes(E::Happy).face(0, 3).withBody(B::Breathe), 100, kBlip),
        frame(rest().withEyes(E::Happy)),
        frame(rest().withEyes(E::Happy).face(0, 3).withBody(B::Breathe), 100),
        frame(rest().withEyes(E::Happy), 120),
        frame(rest(), 100)}));

    all.push_back(hold("Alert", {
        frame(rest(), 60),
        frame(rest().withBody(B::Squash).withEyes(E::Wide), 60),
        frame(rest().withBody(B::Stretch).withEyes(E::Wide).withMouth(M::BigO).arms(A::Up, A::Up)
                  .at(0, -8).plus(X::Exclaim), 80, kBoing),
        frame(rest().withEyes(E::Wide).withMouth(M::SmallO).arms(A::Up, A::Up).at(0, -3).plus(X::Exclaim)),
        frame(rest().withEyes(E::Wide).withMouth(M::SmallO).arms(A::Mid, A::Mid).plus(X::Exclaim), 300)}));

    all.push_back(roundTrip("Congratulate", {
        frame(rest(), 60),
        frame(rest().withBody(B::Squash).withEyes(E::Happy)),
        frame(rest().withBody(B::Stretch).withEyes(E::Happy).withMouth(M::Grin).arms(A::High, A::High)
                  .at(0, -10).plus(X::SparkA), 80, kChime),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::High, A::High).at(0, -14).plus(X::SparkB)),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::High, A::High).at(0, -7).plus(X::SparkA)),
        frame(rest().withBody(B::Squash).withEyes(E::Happy).withMouth(M::Grin).arms(A::Up, A::Up).plus(X::SparkB)),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Wave1, A::Wave2).plus(X::SparkA), 120),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Wave2, A::Wave1).plus(X::SparkB), 120),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Wave1, A::Wave2).plus(X::SparkA), 120),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Wave2, A::Wave1), 120),
        frame(rest().withEyes(E::Happy).arms(A::Mid, A::Mid)),
        frame(rest(), 100)}, 10));

}

// Confusion, refusal, explaining and calling for attention.
void addReactions(std::vector<AnimationSpec>& all)
{
    all.push_back(hold("Confused", {
        frame(rest(), 60),
        frame(rest().withEyes(E::Confused).withMouth(M::Flat).withLeaf(L::SwayLeft).face(1, 0)),
        frame(rest().withEyes(E::Confused).withMouth(M::Wavy).withLeaf(L::SwayRight).face(1, 0)
                  .arms(A::Down, A::Ear).plus(X::Question), 100),
        frame(rest().withEyes(E::Confused).withMouth(M::Wavy).withLeaf(L::SwayLeft).face(1, 0)
                  .arms(A::Down, A::Ear).plus(X::Question, 0, -2), 300)}));

    all.push_back(roundTrip("Decline", {
        frame(rest(), 60),
        frame(rest().withEyes(E::Squeeze).withMouth(M::Frown).face(-3, 0).plus(X::Sweat)),
        frame(rest().withEyes(E::Squeeze).withMouth(M::Frown).face(3, 0).plus(X::Sweat)),
        frame(rest().withEyes(E::Squeeze).withMouth(M::Frown).face(-3, 0).plus(X::Sweat)),
        frame(rest().withEyes(E::Squeeze).withMouth(M::Frown).face(3, 0).plus(X::Sweat)),
        frame(rest().withMouth(M::Flat), 120),
        frame(rest(), 100)}, 5));

    {
        AnimationSpec explain = hold("Explain", {
            frame(rest(), 60),
            frame(rest().withMouth(M::Talk).arms(A::Mid, A::Down)),
            frame(rest().withMouth(M::Smile).arms(A::Out, A::Down)),
            frame(rest().withMouth(M::Talk).arms(A::Out, A::Down).face(-1, 0), 100),
            frame(rest().withMouth(M::SmallO).arms(A::Out, A::Down).face(-1, 0), 100),
            frame(rest().withMouth(M::Talk).arms(A::Out, A::Down).face(-1, 0), 100),
            frame(rest().withEyes(E::Happy).arms(A::Out, A::Down).face(-1, 0), 300)});
        // Skip the talking frames on the way back.
        for (int i = 3; i <= 6; ++i)
            explain.frames[static_cast<std::size_t>(i)].exit = 2;
        all.push_back(explain);
    }

    all.push_back(roundTrip("GetAttention", {
        frame(rest(), 60),
        frame(rest().withBody(B::Squash).withEyes(E::Wide), 60),
        frame(rest().withBody(B::Stretch).withEyes(E::Wide).withMouth(M::Grin).arms(A::High, A::High)
                  .at(0, -10), 80, kBoing),
        frame(rest().withEyes(E::Wide).withMouth(M::Grin).arms(A::Wave1, A::Wave2).at(0, -12)),
        frame(rest().withEyes(E::Wide).withMouth(M::Grin).arms(A::Wave2, A::Wave1).at(0, -6)),
        frame(rest().withBody(B::Squash).withMouth(M::Grin).arms(A::Up, A::Up)),
        frame(rest().withMouth(M::Grin).arms(A::Wave1, A::Wave2), 100),
        frame(rest().withMouth(M::Grin).arms(A::Wave2, A::Wave1), 100),
        frame(rest().withMouth(M::Grin).arms(A::Wave1, A::Wave2), 100),
        frame(rest().withMouth(M::Grin).arms(A::Wave2, A::Wave1), 100),
        frame(rest().arms(A::Mid, A::Mid)),
        frame(rest(), 100)}, 10));

}

// Gestures in the four directions.
void addGestures(std::vector<AnimationSpec>& all)
{
    const AnimationSpec gestureRight = hold("GestureRight", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookLeft).face(-1, 0).arms(A::Mid, A::Down)),
        frame(rest().withEyes(E::LookLeft).face(-2, 0).arms(A::Out, A::Down).withBody(B::LeanLeft)
                  .withLeaf(L::SwayRight), 300)});
    all.push_back(mirrored(gestureRight, "GestureLeft"));
    all.push_back(gestureRight);
    all.push_back(hold("GestureUp", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookUp).arms(A::Down, A::Up)),
        frame(rest().withEyes(E::LookUp).face(0, -2).arms(A::Down, A::High).withBody(B::Stretch), 300)}));
    all.push_back(hold("GestureDown", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookDown).face(0, 1).arms(A::Down, A::Down)),
        frame(rest().withEyes(E::LookDown).face(0, 2).arms(A::Down, A::PointDown).withBody(B::Squash), 300)}));
}

// Looking and moving in the four directions.
void addLooksAndMoves(std::vector<AnimationSpec>& all)
{
    const AnimationSpec lookRight = hold("LookRight", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookLeft).face(-2, 0)),
        frame(rest().withEyes(E::LookLeft).face(-4, 0).withLeaf(L::SwayRight), 300)});
    all.push_back(mirrored(lookRight, "LookLeft"));
    all.push_back(lookRight);
    all.push_back(hold("LookUp", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookUp).face(0, -2)),
        frame(rest().withEyes(E::LookUp).face(0, -4).withMouth(M::SmallO), 300)}));
    all.push_back(hold("LookDown", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookDown).face(0, 2)),
        frame(rest().withEyes(E::LookDown).face(0, 4), 300)}));

    const AnimationSpec moveLeft = hold("MoveLeft", {
        frame(rest(), 60),
        frame(rest().withBody(B::Squash).withEyes(E::LookLeft).face(-1, 0)),
        frame(rest().withBody(B::LeanLeft).withEyes(E::LookLeft).face(-3, 0).arms(A::Out, A::Back)
                  .withLeaf(L::SwayRight).at(0, -4)),
        frame(rest().withBody(B::LeanLeft).withEyes(E::LookLeft).face(-3, 0).arms(A::Out, A::Back)
                  .withLeaf(L::Droop).at(0, -6), 200)});
    all.push_back(moveLeft);
    all.push_back(mirrored(moveLeft, "MoveRight"));
    all.push_back(hold("MoveUp", {
        frame(rest(), 60),
        frame(rest().withBody(B::Squash).withEyes(E::LookUp)),
        frame(rest().withBody(B::Stretch).withEyes(E::LookUp).face(0, -2).arms(A::High, A::High).at(0, -6)),
        frame(rest().withBody(B::Stretch).withEyes(E::LookUp).face(0, -2).arms(A::High, A::High)
                  .withLeaf(L::Perk).at(0, -8), 200)}));
    all.push_back(hold("MoveDown", {
        frame(rest(), 60),
        frame(rest().withBody(B::Stretch).withEyes(E::LookDown).face(0, 1).at(0, -3)),
        frame(rest().withBody(B::Squash).withEyes(E::LookDown).face(0, 2).arms(A::Up, A::Up)
                  .withMouth(M::SmallO).at(0, -4)),
        frame(rest().withBody(B::Squash).withEyes(E::LookDown).face(0, 2).arms(A::Up, A::Up)
                  .withMouth(M::SmallO).withLeaf(L::Perk).at(0, -5), 200)}));
}

// Moods and thinking.
void addMoods(std::vector<AnimationSpec>& all)
{
    all.push_back(hold("Pleased", {
        frame(rest(), 60),
        frame(rest().withEyes(E::Happy)),
        frame(rest().withBody(B::Squash).withEyes(E::Happy).withMouth(M::Grin)),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).at(0, -3).plus(X::Heart), 100),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).plus(X::Heart, 0, -2), 300)}));

    all.push_back(hold("Sad", {
        frame(rest(), 60),
        frame(rest().withEyes(E::Sad).withMouth(M::Flat), 100),
        frame(rest().withEyes(E::Sad).withMouth(M::Frown).withLeaf(L::SwayRight), 100),
        frame(rest().withEyes(E::Sad).withMouth(M::Frown).withLeaf(L::Droop).withBody(B::Breathe)
                  .plus(X::Tear), 300)}));

    all.push_back(hold("Surprised", {
        frame(rest(), 60),
        frame(rest().withBody(B::Squash).withEyes(E::Wide), 60),
        frame(rest().withBody(B::Stretch).withEyes(E::Wide).withMouth(M::BigO).arms(A::Up, A::Up)
                  .withLeaf(L::Perk).at(0, -6).plus(X::Exclaim), 80, kPop),
        frame(rest().withEyes(E::Wide).withMouth(M::BigO).arms(A::Mid, A::Mid).withLeaf(L::Perk)
                  .plus(X::Exclaim), 100),
        frame(rest().withEyes(E::Wide).withMouth(M::SmallO).arms(A::Mid, A::Mid), 300)}));

    all.push_back(hold("Think", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookUp).withMouth(M::Flat).arms(A::Down, A::Chin), 100),
        frame(rest().withEyes(E::LookUp).withMouth(M::Flat).arms(A::Down, A::Chin).plus(X::Bubble1), 150),
        frame(rest().withEyes(E::LookUp).withMouth(M::Flat).arms(A::Down, A::Chin).plus(X::Bubble2), 150),
        frame(rest().withEyes(E::LookUp).withMouth(M::Flat).arms(A::Down, A::Chin).withLeaf(L::SwayLeft)
                  .plus(X::Bubble3), 300)}));
}

// Working: processing and searching.
void addWorking(std::vector<AnimationSpec>& all)
{
    {
        // The leaf turns like a little propeller while it works; the loop repeats until the
        // 15 % draw lets it go on to the closing frames.
        const Pose busy = rest().withEyes(E::Closed).withMouth(M::Flat);
        AnimationSpec process = roundTrip("Process", {
            frame(rest(), 60),
            frame(Pose(busy).withLeaf(L::Perk).plus(X::Dots1), 60),
            frame(Pose(busy).withLeaf(L::Spin1).plus(X::Dots1), 60),
            frame(Pose(busy).withLeaf(L::Spin2).plus(X::Dots2), 60),
            frame(Pose(busy).withLeaf(L::Spin3).plus(X::Dots2), 60),
            frame(Pose(busy).withLeaf(L::Spin2).plus(X::Dots3), 60),
            frame(Pose(busy).withLeaf(L::Spin1).plus(X::Dots3), 60),
            frame(rest().withLeaf(L::Perk).withEyes(E::Happy)),
            frame(rest(), 100)}, 7);
        process.frames[6].branches = {{1, 85}};
        all.push_back(process);
    }
    {
        // The lens stays in front of the right eye as the face turns.
        const Pose lens = rest().arms(A::Down, A::Chin).withMouth(M::SmallO);
        AnimationSpec search = roundTrip("Search", {
            frame(rest(), 60),
            frame(Pose(lens).plus(X::Magnifier)),
            frame(Pose(lens).withEyes(E::LookRight).face(2, 0).plus(X::Magnifier, 2, 0), 150),
            frame(Pose(lens).withEyes(E::LookRight).face(3, -1).withBody(B::LeanRight)
                      .plus(X::Magnifier, 5, -1), 250),
            frame(Pose(lens).withEyes(E::LookLeft).face(-3, 0).plus(X::Magnifier, -3, 0), 150),
            frame(Pose(lens).withEyes(E::LookLeft).face(-3, 0).withBody(B::LeanLeft)
                      .plus(X::Magnifier, -6, 0), 250),
            frame(Pose(lens).plus(X::Magnifier), 100),
            frame(rest().arms(A::Down, A::Mid)),
            frame(rest(), 100)}, 7);
        search.frames[6].branches = {{2, 80}};
        all.push_back(search);
    }

}

// Idling at level 1.
void addIdleLevel1(std::vector<AnimationSpec>& all)
{
    {
        AnimationSpec idle{"Idle1_1", 1, {
            frame(rest(), 200),
            frame(rest().withEyes(E::LookLeft).face(-2, 0), 700),
            frame(rest(), 200),
            frame(rest().withEyes(E::LookRight).face(2, 0), 700),
            frame(rest(), 200),
            blank()}};
        for (FrameSpec& f : idle.frames)
            f.exit = kExitEnd;
        idle.frames[1].exit = 2;
        idle.frames[3].exit = 4;
        idle.frames[2].branches = {{5, 50}};
        all.push_back(idle);
    }
    {
        AnimationSpec idle = roundTrip("Idle1_2", {
            frame(rest(), 150),
            frame(rest().withLeaf(L::SwayLeft), 150),
            frame(rest(), 120),
            frame(rest().withLeaf(L::SwayRight), 150),
            frame(rest(), 120),
            frame(rest().withEyes(E::Half), 40),
            frame(rest().withEyes(E::Closed), 80),
            frame(rest().withEyes(E::Half), 40),
            frame(rest(), 100)});
        idle.frames[4].branches = {{8, 60}};
        idle.frames[1].exit = 2;
        idle.frames[3].exit = 4;
        all.push_back(idle);
    }
    {
        const Pose hum = rest().withEyes(E::Happy);
        AnimationSpec idle = roundTrip("Idle1_3", {
            frame(rest(), 100),
            frame(Pose(hum).withBody(B::Breathe).plus(X::Note), 160),
            frame(Pose(hum).withMouth(M::Talk).at(0, -3).plus(X::Note, 0, -3), 160),
            frame(Pose(hum).withBody(B::Breathe).plus(X::Note, 2, -6), 160),
            frame(Pose(hum).withMouth(M::Talk).at(0, -3).plus(X::Note, 4, -10), 160),
            frame(hum, 120),
            frame(rest(), 100)}, 5);
        idle.frames[4].branches = {{1, 50}};
        all.push_back(idle);
    }
}

// Idling at levels 2 and 3.
void addIdleLevels2And3(std::vector<AnimationSpec>& all)
{
    all.push_back(roundTrip("Idle2_1", {
        frame(rest(), 100),
        frame(rest().withEyes(E::Half).withMouth(M::Flat), 150),
        frame(rest().withBody(B::Stretch).withEyes(E::Closed).withMouth(M::BigO).arms(A::High, A::High)
                  .at(0, -2), 200),
        frame(rest().withBody(B::Stretch).withEyes(E::Closed).withMouth(M::BigO).arms(A::High, A::High)
                  .withLeaf(L::Perk).at(0, -3), 300),
        frame(rest().withBody(B::Squash).withEyes(E::Half).withMouth(M::SmallO).arms(A::Mid, A::Mid), 150),
        frame(rest().withEyes(E::Half), 150),
        frame(rest().withEyes(E::Closed), 80),
        frame(rest(), 100)}, 4));
    {
        const Pose glad = rest().withEyes(E::Happy);
        AnimationSpec idle = roundTrip("Idle2_2", {
            frame(rest(), 100),
            frame(Pose(glad).withBody(B::LeanLeft).withLeaf(L::SwayRight), 180),
            frame(glad, 120),
            frame(Pose(glad).withBody(B::LeanRight).withLeaf(L::SwayLeft), 180),
            frame(glad, 120),
            frame(rest(), 100)});
        idle.frames[4].branches = {{1, 70}};
        all.push_back(idle);
    }
    {
        const Pose asleep = rest().withEyes(E::Sleep).withMouth(M::Flat).withLeaf(L::Droop);
        AnimationSpec idle = roundTrip("Idle3_1", {
            frame(rest(), 100),
            frame(rest().withEyes(E::Half).withMouth(M::Flat), 200),
            frame(rest().withEyes(E::Sleep).withMouth(M::Flat).withLeaf(L::SwayRight), 200),
            frame(Pose(asleep).withBody(B::Breathe).plus(X::Zz1), 400),
            frame(Pose(asleep).plus(X::Zz2), 400),
            frame(Pose(asleep).withBody(B::Breathe).plus(X::Zz3), 400),
            frame(asleep, 400),
            frame(rest().withEyes(E::Half).withMouth(M::SmallO).withLeaf(L::SwayRight), 150),
            frame(rest().withEyes(E::Closed), 80),
            frame(rest(), 100)}, 7);
        idle.frames[6].branches = {{3, 90}};
        all.push_back(idle);
    }
    {
        AnimationSpec idle = roundTrip("Idle3_2", {
            frame(rest(), 100),
            frame(rest().withEyes(E::Half).withMouth(M::Flat), 250),
            frame(rest().withEyes(E::Sleep).withMouth(M::Flat).face(0, 3).withBody(B::Breathe), 400),
            frame(rest().withEyes(E::Sleep).withMouth(M::SmallO).face(0, 4).withBody(B::Breathe)
                      .withLeaf(L::SwayRight).plus(X::Zz1), 400),
            frame(rest().withEyes(E::Wide).withMouth(M::SmallO).face(0, -1).withLeaf(L::Perk), 150),
            frame(rest().withEyes(E::Half).withMouth(M::Flat), 300),
            frame(rest().withEyes(E::Closed), 80),
            frame(rest(), 100)}, 6);
        idle.frames[5].branches = {{2, 75}};
        all.push_back(idle);
    }
}

// Suggesting, speaking and listening.
void addTalking(std::vector<AnimationSpec>& all)
{
    all.push_back(hold("Suggest", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookUp).withMouth(M::SmallO).withLeaf(L::Perk)),
        frame(rest().withBody(B::Stretch).withEyes(E::Wide).withMouth(M::Grin).withLeaf(L::Perk)
                  .arms(A::Down, A::High).at(0, -4).plus(X::Bulb), 100, kBlip),
        frame(rest().withEyes(E::Happy).withMouth(M::Grin).arms(A::Down, A::Up).plus(X::Bulb), 300)}));
    all.push_back(hold("Uncertain", {
        frame(rest(), 60),
        frame(rest().withEyes(E::LookLeft).withMouth(M::Flat).face(-1, 0), 120),
        frame(rest().withEyes(E::LookRight).withMouth(M::Wavy).face(1, 0).plus(X::Sweat), 120),
        frame(rest().withEyes(E::Half).withMouth(M::Wavy).withLeaf(L::SwayRight).plus(X::Sweat), 300)}));
    all.push_back(roundTrip("DontRecognize", {
        frame(rest(), 60),
        frame(rest().withEyes(E::Squeeze).withMouth(M::Flat).withLeaf(L::SwayLeft).plus(X::Question)),
        frame(rest().withEyes(E::Squeeze).withMouth(M::Wavy).withLeaf(L::SwayRight).face(-2, 0)
                  .plus(X::Question), 120),
        frame(rest().withEyes(E::Confused).withMouth(M::Wavy).withLeaf(L::SwayLeft).face(2, 0)
                  .plus(X::Question), 120),
        frame(rest().withEyes(E::Confused).withMouth(M::Flat).plus(X::Question), 300),
        frame(rest().withMouth(M::Flat), 100),
        frame(rest(), 100)}, 5));
    {
        // The leaf bobs and the eyes follow it up; half the time it bobs twice.
        AnimationSpec idle = roundTrip("Idle1_4", {
            frame(rest(), 100),
            frame(rest().withEyes(E::LookUp).face(0, -1), 200),
            frame(rest().withEyes(E::LookUp).face(0, -1).withLeaf(L::SwayLeft), 140),
            frame(rest().withEyes(E::LookUp).face(0, -1).withLeaf(L::Perk), 140),
            frame(rest().withEyes(E::LookUp).face(0, -1).withLeaf(L::SwayRight), 140),
            frame(rest().withEyes(E::Happy), 200),
            frame(rest(), 100)}, 5);
        idle.frames[4].branches = {{2, 50}};
        all.push_back(idle);
    }

    all.push_back(roundTrip("Speak", {
        frame(rest(), 60),
        frame(rest().withMouth(M::Talk)),
        frame(rest().withMouth(M::SmallO)),
        frame(rest().withMouth(M::Talk)),
        frame(rest().withMouth(M::Grin)),
        frame(rest().withMouth(M::SmallO)),
        frame(rest().withMouth(M::Talk)),
        frame(rest(), 100)}));

    const Pose listening = rest().withLeaf(L::Perk).arms(A::Down, A::Ear);
    all.push_back(hold("StartListening", {
        frame(rest(), 60),
        frame(rest().withLeaf(L::Perk).withEyes(E::LookUp)),
        frame(Pose(listening).withEyes(E::LookUp).face(1, 0)),
        frame(Pose(listening).face(1, 0), 300)}));
    all.push_back(roundTrip("StopListening", {
        frame(Pose(listening).face(1, 0), 100),
        frame(rest().arms(A::Down, A::Mid)),
        frame(rest(), 100)}, 1));
    all.push_back(hold("Hearing_1", {
        frame(rest(), 60),
        frame(Pose(listening).face(1, 0), 100),
        frame(Pose(listening).face(1, 1).withMouth(M::SmallO), 200),
        frame(Pose(listening).face(1, 1).withEyes(E::Closed), 80),
        frame(Pose(listening).face(1, 1).withMouth(M::SmallO), 300)}));
}

}  // namespace

std::vector<AnimationSpec> animations()
{
    std::vector<AnimationSpec> all;
    addAppearing(all);
    addGreetings(all);
    addReactions(all);
    addGestures(all);
    addLooksAndMoves(all);
    addMoods(all);
    addWorking(all);
    addIdleLevel1(all);
    addIdleLevels2And3(all);
    addTalking(all);
    return all;
}

// clang-format on

std::vector<StateSpec> states() {
    return {
        {"Showing", {"Show"}},
        {"Hiding", {"Hide"}},
        {"Speaking", {"Speak"}},
        {"MovingLeft", {"MoveLeft"}},
        {"MovingRight", {"MoveRight"}},
        {"MovingUp", {"MoveUp"}},
        {"MovingDown", {"MoveDown"}},
        {"GesturingLeft", {"GestureLeft"}},
        {"GesturingRight", {"GestureRight"}},
        {"GesturingUp", {"GestureUp"}},
        {"GesturingDown", {"GestureDown"}},
        {"IdlingLevel1", {"Idle1_1", "Idle1_2", "Idle1_3", "Idle1_4", "Blink"}},
        {"IdlingLevel2", {"Idle2_1", "Idle2_2"}},
        {"IdlingLevel3", {"Idle3_1", "Idle3_2"}},
        {"Listening", {"StartListening"}},
        {"Hearing", {"Hearing_1"}},
    };
}

}  // namespace mascot
