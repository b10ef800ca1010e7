#include "agent/playback/Player.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace playback;

namespace {

Frame frame(int ms, int exit = kExitEnd, std::vector<Branch> branches = {}, int sound = -1,
            bool images = true) {
    return {ms, exit, std::move(branches), sound, images};
}
Frame blank(int ms = 0, int exit = kExitEnd) {
    return frame(ms, exit, {}, -1, false);
}

int add(Script& s, std::string name, std::vector<Frame> frames,
        Transition transition = Transition::None, int returnAnimation = -1) {
    s.animations.push_back({std::move(name), transition, returnAnimation, std::move(frames)});
    return static_cast<int>(s.animations.size()) - 1;
}

struct ScriptedRandom : Random {
    std::deque<int> draws;
    int below(int n) override {
        EXPECT_FALSE(draws.empty()) << "unexpected draw below " << n;
        const int r = draws.empty() ? 0 : draws.front();
        draws.erase(draws.begin(), draws.begin() + (draws.empty() ? 0 : 1));
        return r;
    }
};

// Drives the player the way the desktop timer does and writes what it sees as text:
// "Name3" for a picture, "~5" for a sound, "@x,y" for a move, "+"/"-" for visibility,
// "H3" for the Hide event, "done1"/"fail1"/"cut1" for completions.
struct Harness {
    Script script;
    ScriptedRandom random;
    Options options{.idle = false};
    std::unique_ptr<Player> player;
    int now = 0;
    std::string log;
    std::string timed;  // pictures with their time: "0:A0 100:A1 "

    // The player is made on first use, once the script and options are set up.
    Player* operator->() {
        if (!player) {
            player = std::make_unique<Player>(script, random, options);
        }
        return player.get();
    }
    void collect() {
        static const char* const kStatus[] = {"done", "fail", "cut"};  // RequestStatus order
        for (const Event& e : player->takeEvents()) {
            using K = EventKind;
            const std::string item =
                e.kind == K::PictureChanged
                    ? script.animations[static_cast<std::size_t>(e.picture.animation)].name +
                          std::to_string(e.picture.frame)
                : e.kind == K::SoundStarted ? "~" + std::to_string(e.sound)
                : e.kind == K::PositionChanged
                    ? "@" + std::to_string(e.x) + "," + std::to_string(e.y)
                : e.kind == K::VisibilityChanged ? std::string(e.visible ? "+" : "-")
                : e.kind == K::Hidden            ? "H" + std::to_string(static_cast<int>(e.cause))
                : e.kind == K::RequestCompleted
                    ? kStatus[static_cast<int>(e.status)] + std::to_string(e.request)
                    : std::string();  // RequestStarted is not logged
            if (e.kind == K::PictureChanged) {
                timed += std::to_string(now) + ":" + item + " ";
            }
            if (!item.empty()) {
                log += log.empty() ? item : " " + item;
            }
        }
    }
    // Lets `ms` pass, waking up exactly when the player asks to.
    std::string run(int ms) {
        for (const int end = now + ms;;) {
            const auto wait = player->msUntilNextStep();
            const int step = wait && now + *wait <= end ? *wait : end - now;
            player->advance(step);
            now += step;
            collect();
            if (!wait || now >= end) {
                return std::exchange(log, {});
            }
        }
    }
};

TEST(Player, FramesFollowTheirDurationsAndZeroFramesOnlySound) {
    Harness h;
    add(h.script, "Wave", {frame(100, kExitEnd, {}, 1), frame(0, kExitEnd, {}, 2), frame(250)});
    h->play("nothing");
    EXPECT_EQ(h.run(0), "fail1");  // an unknown name fails at once
    EXPECT_FALSE(h->busy());
    EXPECT_FALSE(h->msUntilNextStep());
    h->play("\xEF\xBC\xB7\xEF\xBC\xA1ve");  // full-width "WA": case and width do not matter
    EXPECT_EQ(h->msUntilNextStep(), 0);
    EXPECT_EQ(h.log, "");                         // requests only queue
    EXPECT_EQ(h.run(1000), "Wave0 Wave2 done2");  // hidden: no sounds
    EXPECT_EQ(h.timed, "0:Wave0 100:Wave2 ");
    h->show();
    h->play("wave");
    EXPECT_EQ(h.run(1000), "+ done3 ~1 Wave0 ~2 Wave2 done4");
    EXPECT_FALSE(h->msUntilNextStep());  // at rest: no timer
}

TEST(Player, BranchesTakeTheirStatedShare) {
    // Frame 0 branches 30 % to frame 2 and 50 % to frame 3; otherwise it goes on to frame 1.
    const std::pair<int, std::string> cases[] = {{0, "B0 B2"},  {29, "B0 B2"}, {30, "B0 B3"},
                                                 {79, "B0 B3"}, {80, "B0 B1"}, {99, "B0 B1"}};
    for (const auto& [draw, expected] : cases) {
        Harness h;
        add(h.script, "B",
            {frame(10, kExitEnd, {{2, 30}, {3, 50}}), frame(10, kExitEnd, {{4, 100}}),
             frame(10, kExitEnd, {{4, 100}}), frame(10)});
        h.random.draws = {draw, 0};
        h->play("B");
        EXPECT_EQ(h.run(100), expected + " done1") << draw;
    }
}

// Rests on frame 1, whose exit leads to frame 2 (exit value -1), then a zero-time frame 3 (-1)
// and a shown frame 4 (-1).
const std::vector<Frame> kMinusOne = {
    frame(10, kExitNextFrame), frame(10, 2, {{5, 100}}), frame(10), frame(0), frame(10), blank()};

TEST(Player, RestFramesHoldUntilTheNextRequestThenExitWalk) {
    using M = MinusOneExit;
    const struct {
        std::string walk;  // what shows after the animation rests, before "Next0"
        MinusOneExit minusOne;
        std::vector<Frame> frames;
    } cases[] = {
        // clang-format off
        // 0 -> 1 -> 2, frame 2 branches to a blank end frame: rests on 2, leaves 2 -> 1 -> 0.
        {"W1 W0", M::End, {frame(100, 3), frame(100, 0), frame(100, 1, {{3, 100}}), blank(0, -2)}},
        // Explicit targets landing on -2 middle frames carry on to the rest pose.
        {"W3", M::End, {frame(10, -2), frame(10, 3), frame(10, 3, {{4, 100}}), frame(10, -2),
                        blank(0, -2)}},
        {"W2", M::End, kMinusOne}, {"W2 W4", M::NextFrame, kMinusOne},
        {"", M::End, {frame(10, -2), frame(10, 1)}},  // the last frame exits to itself
        {"W0", M::End, {frame(10, 1), frame(10, 0)}}, {"", M::End, {frame(10, 7)}},
        // clang-format on
    };
    for (const auto& c : cases) {
        Harness h;
        h.options.minusOneExit = c.minusOne;
        add(h.script, "W", c.frames, Transition::ExitBranches);
        add(h.script, "Next", {frame(10)});
        h.random.draws = {0, 0, 0};
        h->play("W");
        h.run(10'000);
        EXPECT_FALSE(h->msUntilNextStep()) << c.walk;  // resting: no timer
        h->play("Next");
        EXPECT_EQ(h.run(1000), (c.walk.empty() ? "" : c.walk + " ") + "Next0 done2") << c.walk;
    }
}

TEST(Player, ReturnAnimationsAndNeverEndingLoopsBeforeTheNextRequest) {
    Harness h;
    // A returns through R, whose own return points back at A: the chain stops there.
    add(h.script, "A", {frame(10)}, Transition::Return, 1);
    add(h.script, "R", {frame(10), frame(10)}, Transition::Return, 0);
    add(h.script, "B", {frame(10)});
    add(h.script, "Loop", {frame(100, 2), frame(100, 0, {{0, 100}}), frame(100)},
        Transition::ExitBranches);
    h->play("A");
    h->play("B");
    h->play("B");
    EXPECT_EQ(h.run(1000), "A0 done1 R0 R1 B0 done2 done3");

    h.random.draws.assign(200, 0);
    h->play("loop");  // holds the queue until Stop
    h->play("b");
    h.run(10'150);
    EXPECT_TRUE(h->busy());
    h.random.draws.clear();
    h->stop();  // the loop leaves through its exit (1 -> 0 -> 2); B is removed
    h->play("b");
    EXPECT_EQ(h.run(1000), "cut4 cut5 Loop0 Loop2 B0 done6");
}

TEST(Player, TheVisitHookSeesEveryFrameAtItsOwnTimeInOneLongAdvance) {
    Harness h;
    add(h.script, "A", {frame(100, 1), blank(0, -2), frame(50, 0)}, Transition::Return, 1);
    add(h.script, "R", {frame(30, 1), frame(20, 0)}, Transition::ExitBranches);
    add(h.script, "B", {frame(10)});
    h.options = {.idleFirstMs = 1000, .idleIntervalMinMs = 100'000, .idleIntervalMaxMs = 100'000};
    h.script.states["IdlingLevel1"] = {2};
    std::string visits;
    h->setFrameVisitHook([&](const FrameVisit& v) {
        static const char* const kKinds[] = {"", "return ", "exit ", "idle "};  // VisitKind order
        visits += std::to_string(v.atMs) + ":" + kKinds[static_cast<int>(v.kind)] +
                  h.script.animations[static_cast<std::size_t>(v.animation)].name +
                  std::to_string(v.frame) + " ";
    });
    h->show();
    h->play("A");
    h->play("B");
    h->advance(5000);  // one call: every visit still carries its own time
    EXPECT_EQ(visits,
              "0:A0 100:A1 100:A2 150:return R0 180:return R1 200:exit R0 230:B0 "
              "1240:idle B0 ");
    EXPECT_EQ(h->nowMs(), 5000);
}

// Show and Hide with real state animations.
struct StateHarness : Harness {
    StateHarness() {
        script.states["Showing"] = {add(script, "Show", {blank(), frame(100), frame(100)})};
        script.states["HIDING"] = {add(script, "Hide", {frame(100), blank(100)})};
        add(script, "Play", {frame(10)});
    }
};

TEST(Player, ShowAndHidePlayTheirStates) {
    StateHarness h;
    h->show();
    h->hide();
    EXPECT_EQ(h.run(1000), "+ Show1 Show2 done1 Hide0 Hide1 - done2 H3");

    Harness plain;  // without a Showing state the rest pose is drawn, also over an empty frame
    add(plain.script, "Wave", {frame(100)});
    add(plain.script, "RESTPOSE", {blank(), frame(0)});
    plain.script.states["Hiding"] = {0, add(plain.script, "Gone", {frame(10), blank(10)})};
    plain.random.draws = {1};  // a state picks one of its animations at random
    plain->show();
    plain->hide();
    plain->show();
    EXPECT_EQ(plain.run(100), "+ RESTPOSE1 done1 Gone0 Gone1 - done2 H3 + RESTPOSE1 done3");
}

TEST(Player, StopLetsShowingFinishButStopAllCutsIt) {
    const struct {
        bool hide, all;
        int ms;
        const char *before, *after;
    } cases[] = {
        {false, false, 50, "+ Show1", "Show2 done1 Play0 done2"},
        {false, true, 50, "+ Show1", "cut1 cut2"},
        {true, true, 250, "+ Show1 Show2 done1 Hide0", "- cut2 H3"},  // a cut Hide still hides
    };
    for (const auto& c : cases) {
        StateHarness h;
        h->show();
        c.hide ? h->hide() : h->play("play");
        EXPECT_EQ(h.run(c.ms), c.before);
        c.all ? h->stopAll() : h->stop();
        EXPECT_EQ(h.run(1000), c.after);
        EXPECT_EQ(h->visible(), !c.hide);
    }
}

TEST(Player, MoveToPicksTheDominantDirection) {
    const std::pair<std::pair<int, int>, std::string> cases[] = {
        {{-10, 5}, "L0"}, {{10, -10}, "R0"}, {{3, -4}, "U0"}, {{0, 9}, "D0"}};
    for (const auto& [target, expected] : cases) {
        Harness h;
        add(h.script, "RestPose", {frame(10)});
        const std::string_view states[] = {kStateMovingLeft, kStateMovingRight, kStateMovingUp,
                                           kStateMovingDown};
        for (int i = 0; i < 4; ++i) {
            h.script.states[std::string(states[i])] = {add(h.script, {"LRUD"[i]}, {frame(10)})};
        }
        h->show();  // from (0, 0)
        h.run(0);
        h->moveTo(target.first, target.second, 100);
        EXPECT_EQ(h.run(1000).substr(0, 3), expected + " ");
        EXPECT_EQ(std::pair(h->left(), h->top()), target);
    }
}

TEST(Player, MoveToGlidesThenPaysTheMovingTransition) {
    Harness h;
    h.script.states["MovingRight"] = {add(
        h.script, "Right", {frame(100, kExitNextFrame), frame(100, 0)}, Transition::ExitBranches)};
    add(h.script, "Stand", {frame(10)});
    h->show();
    h->moveTo(200, -50);
    EXPECT_EQ(h.run(200), "+ Right0 done1 Right1");  // the moving animation, then the glide
    h.run(250);
    EXPECT_EQ(std::pair(h->left(), h->top()), std::pair(50, -13));  // -12.5 rounds away from 0
    h.run(1000);
    EXPECT_EQ(std::pair(h->left(), h->top()), std::pair(200, -50));
    EXPECT_TRUE(h.timed.ends_with(" 1200:Right0 "));  // the exit walk on arrival
    EXPECT_FALSE(h->busy());

    Harness plain;  // no Moving state: just glides; hidden: placed at once
    add(plain.script, "Stand", {frame(10)});
    plain->moveTo(40, 40);
    EXPECT_EQ(plain.run(0), "@40,40 done1");
    plain->show();
    plain->moveTo(0, 40, 100);
    plain.run(50);
    EXPECT_EQ(plain->left(), 20);
    plain->setTop(0);  // placing during a glide is immediate, the glide carries on from there
    EXPECT_EQ(plain->top(), 0);
    plain.run(50);
    EXPECT_EQ(std::pair(plain->left(), plain->top()), std::pair(0, 40));
}

TEST(Player, ZeroTimeLoopsEndAtTheStepCap) {
    Harness h;
    add(h.script, "Spin", {frame(0, kExitEnd, {{0, 100}}, 7)});
    h.random.draws.assign(100, 0);
    h->show();
    h->play("spin");
    std::string sounds;
    for (int i = 0; i < 4 * 1 + 64; ++i) {
        sounds += " ~7";
    }
    EXPECT_EQ(h.run(0), "+ Spin0 done1" + sounds + " done2");
}

TEST(Player, IdlesThroughTheLevelsAndARequestCutsIn) {
    Harness h;
    h.options = {.idleFirstMs = 1000,
                 .idleIntervalMinMs = 1000,
                 .idleIntervalMaxMs = 1000,
                 .idleLevel2Ms = 2500,
                 .idleLevel3Ms = 4000};
    add(h.script, "RestPose", {frame(10)});
    h.script.states["IdlingLevel1"] = {add(h.script, "One", {frame(100), frame(100)})};
    h.script.states["IdlingLevel2"] = {add(h.script, "Two", {frame(100), frame(100)})};
    h.script.states["IdlingLevel3"] = {add(
        h.script, "Three", {frame(100, 1), frame(100, 0, {{0, 100}})}, Transition::ExitBranches)};
    add(h.script, "Play", {frame(10)});
    h.random.draws.assign(100, 0);
    h->show();
    h.run(0);
    EXPECT_EQ(h->msUntilNextStep(), 1000);
    h.run(5000);
    EXPECT_EQ(h.timed,
              "0:RestPose0 1000:One0 1100:One1 2200:One0 2300:One1 3400:Two0 3500:Two1 4600:Three0 "
              "4700:Three1 4800:Three0 4900:Three1 5000:Three0 ");
    h->play("play");  // cuts the sleeping loop through its exit walk
    h.log.clear();
    EXPECT_EQ(h.run(200), "Three1 Play0 done2");
    h->setIdleEnabled(false);
    h.run(0);
    EXPECT_FALSE(h->msUntilNextStep());
}

// Scripts with broken indexes and calls in any order: nothing crashes, every picture is a
// real frame, the timer never spins, and StopAll always lets the character come to rest.
TEST(Player, SurvivesArbitraryScriptsAndCalls) {
    std::mt19937 gen(7);
    auto pick = [&gen](int lo, int hi) {
        return lo + static_cast<int>(gen() % static_cast<unsigned>(hi - lo + 1));
    };
    for (int round = 0; round < 300; ++round) {
        Script script;
        const int count = pick(1, 4);
        for (int a = 0; a < count; ++a) {
            std::vector<Frame> frames(static_cast<std::size_t>(pick(0, 5)));
            for (Frame& f : frames) {
                f = frame(pick(0, 2) * 10, pick(-3, 6), {}, pick(-1, 1), pick(0, 1) == 1);
                for (int b = pick(0, 2); b > 0; --b) {
                    f.branches.push_back({pick(-2, 6), pick(-10, 110)});
                }
            }
            add(script, "A" + std::to_string(a), frames, static_cast<Transition>(pick(0, 2)),
                pick(-2, 5));
        }
        for (auto state : {kStateShowing, kStateHiding, kStateMovingLeft, kStateMovingUp,
                           kStateIdlingLevel1, kStateIdlingLevel3}) {
            script.states[std::string(state)] = {pick(-1, count), pick(-1, count)};
        }
        StdRandom random(static_cast<std::uint32_t>(round));
        Player p(script, random,
                 {.idleFirstMs = 50, .idleIntervalMinMs = 50, .idleIntervalMaxMs = 50});
        const std::function<void()> calls[] = {
            // clang-format off
            [&] { p.show(); }, [&] { p.hide(); }, [&] { p.stop(); }, [&] { p.stopAll(); },
            [&] { p.play("a" + std::to_string(pick(0, count))); },
            [&] { p.moveTo(pick(-100, 100), pick(-100, 100), pick(-5, 300)); },
            [&] { p.setPosition(pick(-9, 9), pick(-9, 9)); },
            [&] { p.setIdleEnabled(pick(0, 3) != 0); },
            [&] { p.advance(pick(0, 200)); }, [&] { p.advance(pick(0, 200)); },
            // clang-format on
        };
        for (int step = 0; step < 60; ++step) {
            calls[pick(0, 9)]();
            const auto [anim, shown] = p.picture();
            ASSERT_TRUE(anim < 0 ||
                        (anim < count && shown >= 0 &&
                         static_cast<std::size_t>(shown) <
                             script.animations[static_cast<std::size_t>(anim)].frames.size()));
            p.advance(0);  // as the desktop's zero timer does: after that, no busy spinning
            ASSERT_NE(p.msUntilNextStep(), 0);
        }
        p.setIdleEnabled(false);
        p.stopAll();
        p.advance(1'000'000);
        EXPECT_FALSE(p.msUntilNextStep()) << round;
    }
}

}  // namespace

// A copy made to look ahead draws through ForesightRandom::ahead(); the player, drawing
// later, must go exactly the way the copy went, including past where one look-ahead stopped
// and the next one began.
TEST(Player, ALookAheadCopyGoesTheWayThePlayerThenGoes) {
    Script script;
    // Every kind of draw: branches, a state of several animations, a ranged idle pause.
    add(script, "Spin",
        {frame(40, kExitEnd, {{1, 40}, {2, 40}}), frame(30, kExitEnd, {{0, 50}}), frame(20)});
    script.states["IdlingLevel1"] = {add(script, "One", {frame(50, kExitEnd, {{0, 30}})}),
                                     add(script, "Two", {frame(70), frame(0), frame(60)})};
    StdRandom source(7);
    ForesightRandom random(source);
    Player player(script, random,
                  {.idleFirstMs = 100, .idleIntervalMinMs = 10, .idleIntervalMaxMs = 400});
    const auto recorder = [&script](Player& p, std::string& out) {
        p.setFrameVisitHook([&script, &out](const FrameVisit& v) {
            out += std::to_string(v.atMs) + ":" +
                   script.animations[static_cast<std::size_t>(v.animation)].name +
                   std::to_string(v.frame) + " ";
        });
    };
    std::string seen;
    recorder(player, seen);
    player.show();
    player.play("Spin");
    player.advance(0);
    std::size_t visits = 0;
    for (int round = 0; round < 20; ++round) {
        std::string foreseen;
        Player copy(player, random.ahead());
        recorder(copy, foreseen);
        copy.advance(900);
        // The player lives part of it, step by step as its timer would wake it.
        const std::int64_t end = player.nowMs() + 300 + 50 * (round % 5);
        seen.clear();
        while (player.nowMs() < end) {
            const auto wait = player.msUntilNextStep();
            player.advance(wait ? std::min<int>(*wait, int(end - player.nowMs())) : 1000);
        }
        visits += seen.size();
        EXPECT_EQ(foreseen.substr(0, seen.size()), seen) << "round " << round;
    }
    EXPECT_GT(visits, 300u);  // some 60 frames
    // Once what was foreseen will not happen, the player draws afresh.
    Player(player, random.ahead()).advance(5000);
    random.forget();
    seen.clear();
    player.stopAll();
    player.play("Spin");
    player.advance(2000);
    EXPECT_NE(seen.find("Spin0"), std::string::npos);
}

TEST(ForesightRandom, KeptDrawsGoToThePlayerOnlyForTheSameChoice) {
    ScriptedRandom source;
    source.draws = {11, 22, 33, 1, 44};
    ForesightRandom random(source);
    EXPECT_EQ(random.ahead().below(100), 11);
    EXPECT_EQ(random.below(100), 11);
    Random& ahead = random.ahead();  // the kept 11 is used up: fresh draws from here
    EXPECT_EQ(ahead.below(100), 22);
    EXPECT_EQ(ahead.below(100), 33);
    EXPECT_EQ(random.below(100), 22);
    EXPECT_EQ(random.below(3), 1);  // not what 33 was drawn for: dropped
    EXPECT_EQ(random.ahead().below(100), 44);
    EXPECT_TRUE(source.draws.empty());
}
