#pragma once

// One character's request queue and animation state machine. It never looks at a clock: the
// owner lets time pass with advance(ms) or advanceTo(now), reads what changed through
// takeEvents() and the getters, and arms one single-shot timer with msUntilNextStep(). When
// nothing animates, msUntilNextStep() is empty and no timer needs to run.
//
// A call is taken to happen at the time the player has reached, so an owner with a real clock
// brings the player up to date first: advanceTo(clock) before every request, stop or setter,
// then takeEvents(), then re-arm the timer. Destroying the player is Unload: nothing further
// is reported, not even events already due.

#include "agent/playback/Glide.h"
#include "agent/playback/HideCause.h"
#include "agent/playback/Random.h"
#include "agent/playback/Script.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playback {

using RequestId = std::uint64_t;  // 0 is never a valid id

inline constexpr int kDefaultMoveSpeedMs = 1000;

// How an exit walk reads a frame whose exit value is kExitEnd. Nobody knows for sure how
// Agent read it; ending the walk there finishes far more real walks, so that is the default.
enum class MinusOneExit : std::uint8_t { End, NextFrame };

struct Options {
    MinusOneExit minusOneExit = MinusOneExit::End;
    bool idle = true;
    // Idling: the first IdlingLevel1 animation comes idleFirstMs after the queue ran empty,
    // then one idle animation every idleIntervalMinMs..idleIntervalMaxMs (uniform, counted
    // from the end of the previous one). From idleLevel2Ms after the queue ran empty the
    // animations come from IdlingLevel2, from idleLevel3Ms on from IdlingLevel3. A level the
    // character lacks is replaced by the highest lower level it has; with no lower level,
    // idling waits for the first level it has. Intervals below 1 ms are raised to 1 ms.
    int idleFirstMs = 10'000;
    int idleIntervalMinMs = 10'000;
    int idleIntervalMaxMs = 20'000;
    int idleLevel2Ms = 60'000;
    int idleLevel3Ms = 120'000;
    // While gliding, msUntilNextStep() asks to be called back this often so the window moves
    // smoothly. The position itself is computed exactly for whatever time has passed.
    int glideStepMs = 15;
};

// The picture on screen: frame `frame` of animation `animation`, or nothing (-1) before
// anything was drawn. A frame without images is drawn as an empty picture.
struct Picture {
    int animation = -1;
    int frame = -1;
    friend bool operator==(const Picture&, const Picture&) = default;
};

enum class RequestStatus : std::uint8_t {
    Done,         // ran to its end
    Failed,       // could not run (unknown animation name)
    Interrupted,  // removed from the queue or cut short by Stop/StopAll
};

enum class EventKind : std::uint8_t {
    PictureChanged,     // `picture` is now on screen (repaint if visible)
    SoundStarted,       // start sound `sound` of the character (never while hidden)
    PositionChanged,    // the frame's top-left corner is now (x, y)
    VisibilityChanged,  // the frame is now shown (`visible`) or hidden
    Hidden,             // the Hide event, with `cause`; follows the Hide request's completion
    RequestStarted,     // `request` left the queue and runs now
    RequestCompleted,   // `request` ended with `status`
};

// One thing that happened. Only the fields named for its kind are meaningful.
struct Event {
    EventKind kind = EventKind::PictureChanged;
    RequestId request = 0;
    RequestStatus status = RequestStatus::Done;
    Picture picture;
    int sound = -1;
    int x = 0;
    int y = 0;
    bool visible = false;
    HideCause cause = HideCause::Program;
};

// What a visited frame was played as.
enum class VisitKind : std::uint8_t {
    Request,  // an animation a request plays (Play, or the state animation of Show/Hide/MoveTo)
    Return,   // a return animation paid as a transition
    Exit,     // a step of an exit walk
    Idle,     // an idle animation
};

// One frame entered, 0-duration frames included; `atMs` is the player's clock at that moment.
struct FrameVisit {
    std::int64_t atMs = 0;
    int animation = -1;
    int frame = -1;
    VisitKind kind = VisitKind::Request;
};

class Player {
public:
    // Takes the script by value. `random` is borrowed and must outlive the player. The
    // character starts hidden at (0, 0) with nothing drawn. Bad indexes in the script
    // (branch, exit or return targets, state entries) never crash: they end the animation or
    // are ignored.
    Player(Script script, Random& random, Options options = {});
    // A copy that draws from `random` instead: given the same draws it goes exactly the way
    // `other` would, which lets its owner see what is coming (the frame-visit hook stays
    // behind). The script is shared, so a copy is cheap.
    Player(const Player& other, Random& random);

    // Requests. Each returns at once with a fresh id and only queues the work; it starts on
    // a later advance() (msUntilNextStep() becomes 0) once every earlier request is done.
    //
    // show(): makes the frame visible, then plays a random Showing animation. Without one,
    // if nothing or an empty frame is on screen, the first frame with images of "RestPose"
    // (else of the first animation) is drawn. Completes at once if already visible.
    RequestId show();
    // hide(): plays a random Hiding animation, hides the frame, completes and then raises
    // the Hidden event with `cause`. Already hidden: completes without an event.
    RequestId hide(HideCause cause = HideCause::Program);
    // play(): `name` is compared after names::fold(). An unknown name queues nothing: the
    // returned request is reported Failed at once (RequestCompleted is already in the
    // event list when play() returns). Completes when the animation has run to its end; an
    // animation that loops for ever completes only through stop()/stopAll().
    RequestId play(std::string_view name);
    // moveTo(): (x, y) is the frame's new top-left corner in screen pixels; `speedMs` is the
    // total glide time (negative counts as 0). Hidden, zero-length or speed 0: placed at once.
    // Otherwise the Moving state of the dominant direction (horizontal when |dx| >= |dy|)
    // plays, then the frame glides in a straight line, then that animation's transition
    // plays. A character without that state only glides.
    RequestId moveTo(int x, int y, int speedMs = kDefaultMoveSpeedMs);

    // stop(): while a Show or Hide request runs, does nothing at all. Otherwise every queued
    // request is removed (reported Interrupted) and the running request or idle animation is
    // cut short: it leaves through the exit walk from the frame on screen; a glide stops
    // where it is. A transition already playing finishes.
    void stop();
    // stopAll(): like stop(), but Show and Hide are cut too. A cut Show leaves the frame
    // visible; a cut Hide hides it at once and still raises the Hidden event. A return
    // animation playing as a transition is cut into its exit walk, so the character always
    // comes to rest.
    void stopAll();

    // Place the frame at once (screen pixels). During a glide, the glide carries on from the
    // new place towards its target in the time it has left.
    void setLeft(int x);
    void setTop(int y);
    void setPosition(int x, int y);

    // Called for every frame the player enters, in order, while advance() runs (for tracing
    // and tests; nothing else depends on it). The hook may call takeEvents() and the getters,
    // but must not make requests or stop.
    void setFrameVisitHook(std::function<void(const FrameVisit&)> hook) {
        m_visitHook = std::move(hook);
    }

    // Idling on or off (on by default). Turning it off cuts a running idle animation.
    void setIdleEnabled(bool on);
    bool idleEnabled() const { return m_options.idle; }

    // Lets `ms` milliseconds pass (negative counts as 0): starts queued requests, steps
    // frames, glides, idles, and records every change as events. Catches up on all of it in
    // one call, however large `ms` is.
    void advance(int ms);
    // The same on an absolute clock: lets nowMs - nowMs() pass (nothing if it is not later).
    // The player's clock starts at 0 and advance() moves it too.
    void advanceTo(std::int64_t nowMs);
    std::int64_t nowMs() const { return m_nowMs; }
    // Milliseconds until advance() has something to do: 0 when work is waiting (a request
    // was queued, stop() was called), empty when nothing will happen until the next call
    // that changes the player.
    std::optional<int> msUntilNextStep() const;
    // The events since the last call, oldest first; the list is emptied. Picture and position
    // changes that follow each other directly are merged into the latest one, so catching up
    // on a long gap reports where things ended, not every step on the way.
    std::vector<Event> takeEvents();

    int left() const { return m_x; }
    int top() const { return m_y; }
    bool visible() const { return m_visible; }
    Picture picture() const { return m_picture; }
    // True while a request runs or waits in the queue.
    bool busy() const;
    const Script& script() const { return m_catalog->script; }
    // Index of the animation called `name` (compared after names::fold()), or -1.
    int findAnimation(std::string_view name) const;
    // The animation names in directory order.
    std::vector<std::string> animationNames() const;

private:
    enum class RequestKind : std::uint8_t { Show, Hide, Play, Move };
    struct Request {
        RequestId id = 0;
        RequestKind kind = RequestKind::Play;
        int animation = -1;
        int x = 0;
        int y = 0;
        int speedMs = 0;
        HideCause cause = HideCause::Program;
    };
    enum class Role : std::uint8_t { Main, Transition, Idle };
    enum class TaskKind : std::uint8_t {
        PayOwed,       // play the transition the last animation left owing
        Animate,       // play `animation`
        AnimateState,  // play a random animation of state `state`
        ShowFrame,
        DrawRestIfBlank,
        Glide,
        Place,
        FinishHide,
        Complete,
    };
    struct Task {
        TaskKind kind = TaskKind::Complete;
        int animation = -1;
        std::string_view state;
        Role role = Role::Main;
        std::vector<int> chain;  // return animations already played by this PayOwed
    };
    struct Run {
        bool active = false;
        bool exitWalk = false;
        Role role = Role::Main;
        int animation = -1;
        int frame = -1;
        int remainingMs = 0;
        int zeroSteps = 0;
        int displayed = -1;       // last frame visited with a positive duration
        int lastWithImages = -1;  // last frame visited that has images
        std::vector<bool> visited;
    };

    static Task makeTask(TaskKind kind, std::string_view state = {}, Role role = Role::Main);
    static Event makeEvent(EventKind kind, RequestId request = 0,
                           RequestStatus status = RequestStatus::Done);
    RequestId enqueue(Request request);
    void settle();
    bool settleOnce();
    int currentWait() const;
    void consume(int ms);
    void startRequest(const Request& request);
    void runTask(Task task);
    void finishRequest(RequestStatus status);
    void hideFrame(HideCause cause, RequestStatus status);
    bool startAnimation(int animation, Role role);
    void startExitWalk(int animation, int fromFrame);
    void enterFrame(int frame);
    void leaveFrame();
    void endRun();
    void cut(bool all);
    void clearQueue();
    // After a stop: no queued request, no idle animation in progress, a step due at once.
    void dropQueueAndIdle();
    void startIdleAnimation();
    void resetIdle();
    bool idleAllowed() const;
    int pickFromState(std::string_view state);
    const std::vector<int>* stateAnimations(std::string_view state) const;
    void setPicture(Picture picture);
    bool pictureHasImages() const;
    void setVisibleNow(bool visible);
    void placeNow(int x, int y);
    int draw(int n);
    void report(const Event& event);

    // The script and what is looked up in it: never changes, shared with copies.
    struct Catalog {
        Script script;
        std::map<std::string, int> nameIndex;            // folded name -> first animation with it
        std::map<std::string, std::vector<int>> states;  // folded state name -> valid indexes
        bool hasIdle = false;
    };
    static std::shared_ptr<const Catalog> makeCatalog(Script script);
    // The animation at `index`, which the caller has checked.
    const Animation& animationAt(int index) const {
        return m_catalog->script.animations[static_cast<std::size_t>(index)];
    }
    Player(const Player&) = default;

    std::shared_ptr<const Catalog> m_catalog;
    Random* m_random;
    Options m_options;

    RequestId m_nextId = 1;
    std::deque<Request> m_queue;
    std::optional<Request> m_request;  // the running request
    std::deque<Task> m_tasks;          // what is left of the running request or idle turn
    Run m_run;
    Glide m_glide;

    // What the last animation that came to rest still owes before the next one starts.
    int m_owedWalkAnimation = -1;
    int m_owedWalkFrame = -1;
    int m_owedReturn = -1;
    int m_owedReturnFrom = -1;  // the animation that owes it: a return chain never replays it

    bool m_idleActive = false;  // the queue is empty and the idle clock runs
    bool m_idleTurn = false;    // m_tasks/m_run belong to idling, not to a request
    std::int64_t m_idleElapsedMs = 0;
    std::int64_t m_nextIdleMs = 0;

    std::int64_t m_nowMs = 0;
    bool m_pending = false;  // a caller changed something: advance(0) has work to do
    bool m_visible = false;
    int m_x = 0;
    int m_y = 0;
    Picture m_picture;
    std::vector<Event> m_events;
    std::function<void(const FrameVisit&)> m_visitHook;
};

}  // namespace playback
