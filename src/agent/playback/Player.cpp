#include "agent/playback/Player.h"

#include "names/NameFold.h"

#include <algorithm>
#include <climits>
#include <utility>

// How it works: a running request is a short list of tasks (pay what the last animation
// owes, play an animation, glide, hide, complete) worked off front to back. Only three things
// take time: the frame on screen (m_run), a glide (m_glide) and the idle countdown. advance()
// alternates between doing all zero-time work (settle) and letting time run up to the next
// of those deadlines (consume), so a long advance and many short ones reach the same state.

namespace playback {

namespace {

// Zero-time work is bounded by construction (step cap, visited sets, finite queue), so this
// only stops a bug from freezing the user-interface thread.
constexpr int kSettleLimit = 1'000'000;

// Agent's requests never start an animation from a frame other than 0, and a zero-duration
// loop must not spin: after this many visits without time passing the animation has ended.
int stepCap(std::size_t frameCount) {
    return static_cast<int>(std::min<std::size_t>(frameCount, 1'000'000)) * 4 + 64;
}

// a + (b - a) * elapsed / total, rounded half away from zero, exact at both ends.
int lerpRound(int a, int b, int elapsed, int total) {
    const std::int64_t num = (static_cast<std::int64_t>(b) - a) * elapsed;
    const std::int64_t den = 2 * static_cast<std::int64_t>(total);
    const std::int64_t q = (2 * num + (num >= 0 ? total : -static_cast<std::int64_t>(total))) / den;
    return static_cast<int>(a + q);
}

}  // namespace

Player::Player(Script script, Random& random, Options options)
    : m_script(std::move(script)), m_random(random), m_options(options) {
    m_options.idleFirstMs = std::max(0, m_options.idleFirstMs);
    m_options.idleIntervalMinMs = std::max(1, m_options.idleIntervalMinMs);
    m_options.idleIntervalMaxMs =
        std::max(m_options.idleIntervalMinMs, m_options.idleIntervalMaxMs);
    m_options.glideStepMs = std::max(1, m_options.glideStepMs);

    const auto count = static_cast<int>(m_script.animations.size());
    for (int i = 0; i < count; ++i) {
        // Two names that fold alike: the first one wins, as the character lists them.
        m_nameIndex.emplace(names::fold(m_script.animations[static_cast<std::size_t>(i)].name), i);
    }
    for (const auto& [name, list] : m_script.states) {
        auto& valid = m_states[names::fold(name)];
        for (int index : list) {
            if (index >= 0 && index < count) {
                valid.push_back(index);
            }
        }
    }
    std::erase_if(m_states, [](const auto& entry) { return entry.second.empty(); });
    for (auto level : {kStateIdlingLevel1, kStateIdlingLevel2, kStateIdlingLevel3}) {
        m_hasIdle = m_hasIdle || stateAnimations(level) != nullptr;
    }
}

Player::Task Player::makeTask(TaskKind kind, std::string_view state, Role role) {
    Task task;
    task.kind = kind;
    task.state = state;
    task.role = role;
    return task;
}

Event Player::makeEvent(EventKind kind, RequestId request, RequestStatus status) {
    Event event;
    event.kind = kind;
    event.request = request;
    event.status = status;
    return event;
}

// ---- requests ---------------------------------------------------------------------------

// Requests never run inside the call that makes them: the caller may still be in the middle
// of its own handler, and Agent's requests ran only when events were pumped.
RequestId Player::enqueue(Request request) {
    request.id = m_nextId++;
    m_queue.push_back(request);
    m_pending = true;
    return request.id;
}

RequestId Player::show() {
    return enqueue({.kind = RequestKind::Show});
}

RequestId Player::hide(HideCause cause) {
    return enqueue({.kind = RequestKind::Hide, .cause = cause});
}

RequestId Player::play(std::string_view name) {
    const int index = findAnimation(name);
    if (index < 0) {
        const RequestId id = m_nextId++;
        report(makeEvent(EventKind::RequestCompleted, id, RequestStatus::Failed));
        return id;
    }
    return enqueue({.kind = RequestKind::Play, .animation = index});
}

RequestId Player::moveTo(int x, int y, int speedMs) {
    return enqueue({.kind = RequestKind::Move, .x = x, .y = y, .speedMs = std::max(0, speedMs)});
}

void Player::clearQueue() {
    while (!m_queue.empty()) {
        report(
            makeEvent(EventKind::RequestCompleted, m_queue.front().id, RequestStatus::Interrupted));
        m_queue.pop_front();
    }
}

void Player::dropQueueAndIdle() {
    clearQueue();
    m_idleTurn = false;
    m_idleActive = false;
    m_pending = true;
}

void Player::stop() {
    if (m_request &&
        (m_request->kind == RequestKind::Show || m_request->kind == RequestKind::Hide)) {
        return;
    }
    cut(false);
    finishRequest(RequestStatus::Interrupted);
    dropQueueAndIdle();
}

void Player::stopAll() {
    if (m_request && m_request->kind == RequestKind::Hide) {
        // The frame goes away at once; whatever it was on its way out through is moot.
        m_tasks.clear();
        m_run.active = false;
        m_glide.active = false;
        hideFrame(m_request->cause, RequestStatus::Interrupted);
    } else {
        cut(true);
        finishRequest(RequestStatus::Interrupted);
    }
    dropQueueAndIdle();
}

void Player::hideNow(HideCause cause) {
    if (!m_visible) {
        return;
    }
    stopAll();
    if (!m_visible) {
        return;  // a Hide under way has just hidden the frame and reported it
    }
    m_run.active = false;
    m_tasks.clear();
    hideFrame(cause, RequestStatus::Done);
}

void Player::setLeft(int x) {
    setPosition(x, m_y);
}

void Player::setTop(int y) {
    setPosition(m_x, y);
}

// A setter during a glide keeps the glide's deadline, so a MoveTo still completes on time.
void Player::setPosition(int x, int y) {
    placeNow(x, y);
    if (m_glide.active) {
        m_glide.x0 = x;
        m_glide.y0 = y;
        m_glide.totalMs -= m_glide.elapsedMs;
        m_glide.elapsedMs = 0;
        m_pending = true;
    }
}

void Player::setIdleEnabled(bool on) {
    m_options.idle = on;
    if (!on) {
        if (m_idleTurn) {
            cut(false);
            m_idleTurn = false;
        }
        m_idleActive = false;
    }
    m_pending = true;
}

// ---- queries ----------------------------------------------------------------------------

bool Player::busy() const {
    return m_request.has_value() || !m_queue.empty();
}

int Player::findAnimation(std::string_view name) const {
    const auto it = m_nameIndex.find(names::fold(name));
    return it == m_nameIndex.end() ? -1 : it->second;
}

std::vector<std::string> Player::animationNames() const {
    std::vector<std::string> names;
    names.reserve(m_script.animations.size());
    for (const auto& animation : m_script.animations) {
        names.push_back(animation.name);
    }
    return names;
}

std::vector<Event> Player::takeEvents() {
    return std::exchange(m_events, {});
}

std::optional<int> Player::msUntilNextStep() const {
    if (m_pending) {
        return 0;
    }
    const int wait = currentWait();
    if (wait < 0) {
        return std::nullopt;
    }
    return wait;
}

// ---- time -------------------------------------------------------------------------------

void Player::advanceTo(std::int64_t nowMs) {
    while (nowMs > m_nowMs) {
        advance(static_cast<int>(std::min<std::int64_t>(nowMs - m_nowMs, INT_MAX)));
    }
}

void Player::advance(int ms) {
    int budget = std::max(0, ms);
    const std::int64_t end = m_nowMs + budget;
    m_pending = false;
    settle();
    for (int zeroRounds = 0; zeroRounds < kSettleLimit;) {
        const int wait = currentWait();
        if (wait < 0) {
            break;
        }
        if (wait > budget) {
            consume(budget);
            break;
        }
        consume(wait);
        budget -= wait;
        settle();
        zeroRounds = wait == 0 ? zeroRounds + 1 : 0;
    }
    m_nowMs = end;
}

// How long until the next deadline: -1 when nothing is waiting for time at all.
int Player::currentWait() const {
    if (m_run.active) {
        return m_run.remainingMs;
    }
    if (m_glide.active) {
        return std::clamp(m_glide.totalMs - m_glide.elapsedMs, 0, m_options.glideStepMs);
    }
    if (!m_tasks.empty() || !m_queue.empty()) {
        return 0;
    }
    if (m_idleActive && idleAllowed()) {
        return static_cast<int>(
            std::clamp<std::int64_t>(m_nextIdleMs - m_idleElapsedMs, 0, INT_MAX));
    }
    return -1;
}

// Never called with more than currentWait(), so no deadline is overshot. The idle clock runs
// on during idle animations: the levels count from the moment the queue ran empty.
void Player::consume(int ms) {
    m_nowMs += ms;
    if (m_run.active) {
        m_run.remainingMs -= ms;
    } else if (m_glide.active) {
        m_glide.elapsedMs += ms;
        updateGlidePosition();
    }
    if (m_idleActive) {
        m_idleElapsedMs += ms;
    }
}

void Player::settle() {
    for (int i = 0; i < kSettleLimit && settleOnce(); ++i) {
    }
}

// Does one piece of zero-time work; false when everything waits for time to pass.
bool Player::settleOnce() {
    if (m_idleTurn && !m_queue.empty()) {
        // A request cuts idling short at once and starts idling over afterwards.
        cut(false);
        m_idleTurn = false;
        m_idleActive = false;
        return true;
    }
    if (m_run.active) {
        if (m_run.remainingMs > 0) {
            return false;
        }
        leaveFrame();
        return true;
    }
    if (m_glide.active) {
        if (m_glide.elapsedMs < m_glide.totalMs) {
            return false;
        }
        m_glide.active = false;
        placeNow(m_glide.x1, m_glide.y1);
        return true;
    }
    if (!m_tasks.empty()) {
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        runTask(std::move(task));
        return true;
    }
    if (m_idleTurn) {
        m_idleTurn = false;
        const int spread = m_options.idleIntervalMaxMs - m_options.idleIntervalMinMs;
        m_nextIdleMs = m_idleElapsedMs + m_options.idleIntervalMinMs + draw(spread + 1);
        return true;
    }
    if (m_request) {
        finishRequest(RequestStatus::Done);
        return true;
    }
    if (!m_queue.empty()) {
        const Request request = m_queue.front();
        m_queue.pop_front();
        startRequest(request);
        return true;
    }
    if (!idleAllowed()) {
        m_idleActive = false;
        return false;
    }
    if (!m_idleActive) {
        m_idleActive = true;
        m_idleElapsedMs = 0;
        m_nextIdleMs = m_options.idleFirstMs;
    }
    if (m_idleElapsedMs >= m_nextIdleMs) {
        startIdleAnimation();
        return true;
    }
    return false;
}

// ---- requests and their steps -----------------------------------------------------------

void Player::startRequest(const Request& request) {
    m_idleActive = false;
    m_request = request;
    report(makeEvent(EventKind::RequestStarted, request.id));
    switch (request.kind) {
        case RequestKind::Show:
            if (m_visible) {
                m_tasks.push_back(makeTask(TaskKind::Complete));
                break;
            }
            m_tasks.push_back(makeTask(TaskKind::ShowFrame));
            if (stateAnimations(kStateShowing) != nullptr) {
                m_tasks.push_back(makeTask(TaskKind::PayOwed));
                m_tasks.push_back(makeTask(TaskKind::AnimateState, kStateShowing));
            } else {
                m_tasks.push_back(makeTask(TaskKind::DrawRestIfBlank));
            }
            m_tasks.push_back(makeTask(TaskKind::Complete));
            break;
        case RequestKind::Hide:
            if (!m_visible) {
                m_tasks.push_back(makeTask(TaskKind::Complete));
                break;
            }
            if (stateAnimations(kStateHiding) != nullptr) {
                m_tasks.push_back(makeTask(TaskKind::PayOwed));
                m_tasks.push_back(makeTask(TaskKind::AnimateState, kStateHiding));
            }
            m_tasks.push_back(makeTask(TaskKind::FinishHide));
            break;
        case RequestKind::Play: {
            m_tasks.push_back(makeTask(TaskKind::PayOwed));
            Task task = makeTask(TaskKind::Animate);
            task.animation = request.animation;
            m_tasks.push_back(std::move(task));
            m_tasks.push_back(makeTask(TaskKind::Complete));
            break;
        }
        case RequestKind::Move: {
            const int dx = request.x - m_x;
            const int dy = request.y - m_y;
            if (!m_visible || request.speedMs == 0 || (dx == 0 && dy == 0)) {
                m_tasks.push_back(makeTask(TaskKind::Place));
                m_tasks.push_back(makeTask(TaskKind::Complete));
                break;
            }
            // Which way a diagonal move faces is our choice: the axis it travels further on.
            const auto adx = std::abs(static_cast<std::int64_t>(dx));
            const auto ady = std::abs(static_cast<std::int64_t>(dy));
            const std::string_view state = adx >= ady
                                               ? (dx < 0 ? kStateMovingLeft : kStateMovingRight)
                                               : (dy < 0 ? kStateMovingUp : kStateMovingDown);
            m_tasks.push_back(makeTask(TaskKind::PayOwed));
            if (stateAnimations(state) != nullptr) {
                m_tasks.push_back(makeTask(TaskKind::AnimateState, state));
                m_tasks.push_back(makeTask(TaskKind::Glide));
                m_tasks.push_back(makeTask(TaskKind::PayOwed));
            } else {
                m_tasks.push_back(makeTask(TaskKind::Glide));
            }
            m_tasks.push_back(makeTask(TaskKind::Complete));
            break;
        }
    }
}

void Player::runTask(Task task) {
    switch (task.kind) {
        case TaskKind::PayOwed:
            // Re-queues itself in front of what follows until nothing is owed, so a return
            // animation's own transition is paid in turn.
            if (m_owedWalkAnimation >= 0) {
                const int animation = std::exchange(m_owedWalkAnimation, -1);
                m_tasks.push_front(std::move(task));
                startExitWalk(animation, m_owedWalkFrame);
            } else if (m_owedReturn >= 0) {
                const int animation = std::exchange(m_owedReturn, -1);
                // A chain of return animations stops before it would repeat itself.
                if (task.chain.empty()) {
                    task.chain.push_back(m_owedReturnFrom);
                }
                if (std::find(task.chain.begin(), task.chain.end(), animation) !=
                    task.chain.end()) {
                    return;
                }
                task.chain.push_back(animation);
                m_tasks.push_front(std::move(task));
                startAnimation(animation, Role::Transition);
            }
            return;
        case TaskKind::Animate:
            startAnimation(task.animation, task.role);
            return;
        case TaskKind::AnimateState:
            startAnimation(pickFromState(task.state), task.role);
            return;
        case TaskKind::ShowFrame:
            setVisibleNow(true);
            return;
        case TaskKind::DrawRestIfBlank:
            // A Hiding animation often ends on an empty frame; showing that again would
            // leave the character invisible until something plays.
            if (!pictureHasImages() && !m_script.animations.empty()) {
                int animation = findAnimation("RestPose");
                animation = animation < 0 ? 0 : animation;
                const auto& frames =
                    m_script.animations[static_cast<std::size_t>(animation)].frames;
                const auto it = std::find_if(frames.begin(), frames.end(),
                                             [](const Frame& frame) { return frame.hasImages; });
                if (it != frames.end()) {
                    setPicture({animation, static_cast<int>(it - frames.begin())});
                }
            }
            return;
        case TaskKind::Glide:
            if (m_request) {
                m_glide = {.active = true,
                           .x0 = m_x,
                           .y0 = m_y,
                           .x1 = m_request->x,
                           .y1 = m_request->y,
                           .totalMs = m_request->speedMs,
                           .elapsedMs = 0};
            }
            return;
        case TaskKind::Place:
            if (m_request) {
                placeNow(m_request->x, m_request->y);
            }
            return;
        case TaskKind::FinishHide:
            hideFrame(m_request ? m_request->cause : HideCause::Program, RequestStatus::Done);
            return;
        case TaskKind::Complete:
            finishRequest(RequestStatus::Done);
            return;
    }
}

// Hidden, the running request (a Hide) ends, then the Hide event. A character shown again
// starts fresh: nothing is owed across a hide.
void Player::hideFrame(HideCause cause, RequestStatus status) {
    setVisibleNow(false);
    m_owedWalkAnimation = m_owedReturn = -1;
    finishRequest(status);
    Event event = makeEvent(EventKind::Hidden);
    event.cause = cause;
    report(event);
}

void Player::finishRequest(RequestStatus status) {
    if (m_request) {
        report(makeEvent(EventKind::RequestCompleted, m_request->id, status));
        m_request.reset();
    }
}

// Ends the running request's or idle turn's work early. A walk (and, unless `all`, a return
// animation) already under way is a transition and finishes; an animation leaves through its
// exit walk from the frame on screen, dropping the rest of that frame's time.
void Player::cut(bool all) {
    m_tasks.clear();
    m_glide.active = false;
    if (!m_run.active || m_run.exitWalk || (m_run.role == Role::Transition && !all)) {
        return;
    }
    const auto& animation = m_script.animations[static_cast<std::size_t>(m_run.animation)];
    if (animation.transition == Transition::Return) {
        m_owedReturn = animation.returnAnimation;
        m_owedReturnFrom = m_run.animation;
    }
    m_run.active = false;
    if (m_run.displayed >= 0) {
        startExitWalk(m_run.animation, m_run.displayed);
    }
}

// ---- idling -----------------------------------------------------------------------------

bool Player::idleAllowed() const {
    return m_options.idle && m_visible && m_hasIdle;
}

// Picks the level by how long the queue has been empty and starts one idle turn: pay what
// is owed, then one animation of that level.
void Player::startIdleAnimation() {
    static constexpr std::string_view kLevels[] = {kStateIdlingLevel1, kStateIdlingLevel2,
                                                   kStateIdlingLevel3};
    const std::int64_t starts[] = {m_options.idleFirstMs, m_options.idleLevel2Ms,
                                   m_options.idleLevel3Ms};
    int level = 0;
    while (level < 2 && m_idleElapsedMs >= starts[level + 1]) {
        ++level;
    }
    for (int l = level; l >= 0; --l) {
        if (stateAnimations(kLevels[l]) != nullptr) {
            m_idleTurn = true;
            m_tasks.push_back(makeTask(TaskKind::PayOwed));
            m_tasks.push_back(makeTask(TaskKind::AnimateState, kLevels[l], Role::Idle));
            return;
        }
    }
    // Only higher levels exist: nothing to do until the first of them is due.
    for (int l = level + 1; l < 3; ++l) {
        if (stateAnimations(kLevels[l]) != nullptr) {
            m_nextIdleMs = std::max(starts[l], m_idleElapsedMs + 1);
            return;
        }
    }
    m_nextIdleMs = m_idleElapsedMs + m_options.idleIntervalMinMs;
}

// ---- animations -------------------------------------------------------------------------

const std::vector<int>* Player::stateAnimations(std::string_view state) const {
    const auto it = m_states.find(names::fold(state));
    return it == m_states.end() ? nullptr : &it->second;
}

int Player::pickFromState(std::string_view state) {
    const auto* list = stateAnimations(state);
    if (list == nullptr) {
        return -1;
    }
    return (*list)[static_cast<std::size_t>(draw(static_cast<int>(list->size())))];
}

int Player::draw(int n) {
    if (n <= 1) {
        return 0;
    }
    return std::clamp(m_random.below(n), 0, n - 1);
}

// Every animation starts at frame 0, whatever the previous one showed.
bool Player::startAnimation(int animation, Role role) {
    if (animation < 0 || animation >= static_cast<int>(m_script.animations.size())) {
        return false;
    }
    m_run = Run{};
    m_run.active = true;
    m_run.role = role;
    m_run.animation = animation;
    enterFrame(0);
    return true;
}

void Player::startExitWalk(int animation, int fromFrame) {
    if (animation < 0 || animation >= static_cast<int>(m_script.animations.size())) {
        return;
    }
    const auto count = m_script.animations[static_cast<std::size_t>(animation)].frames.size();
    if (fromFrame < 0 || static_cast<std::size_t>(fromFrame) >= count) {
        return;
    }
    // The walk leaves the frame on screen at once; that frame is not shown again.
    m_run = Run{};
    m_run.active = true;
    m_run.exitWalk = true;
    m_run.role = Role::Transition;
    m_run.animation = animation;
    m_run.frame = fromFrame;
    m_run.visited.assign(count, false);
    m_run.visited[static_cast<std::size_t>(fromFrame)] = true;
}

// Sounds start on every frame visited, shown or not, but only while the frame is visible:
// a hidden character plays silently.
void Player::enterFrame(int index) {
    const auto& frames = m_script.animations[static_cast<std::size_t>(m_run.animation)].frames;
    if (index < 0 || static_cast<std::size_t>(index) >= frames.size()) {
        endRun();
        return;
    }
    const Frame& frame = frames[static_cast<std::size_t>(index)];
    m_run.frame = index;
    if (m_visitHook) {
        const VisitKind kind = m_run.exitWalk                   ? VisitKind::Exit
                               : m_run.role == Role::Transition ? VisitKind::Return
                               : m_run.role == Role::Idle       ? VisitKind::Idle
                                                                : VisitKind::Request;
        m_visitHook({.atMs = m_nowMs, .animation = m_run.animation, .frame = index, .kind = kind});
    }
    if (frame.sound >= 0 && m_visible) {
        Event event = makeEvent(EventKind::SoundStarted);
        event.sound = frame.sound;
        report(event);
    }
    if (frame.hasImages) {
        m_run.lastWithImages = index;
    }
    if (frame.durationMs > 0) {
        m_run.remainingMs = frame.durationMs;
        m_run.displayed = index;
        m_run.zeroSteps = 0;
        setPicture({m_run.animation, index});
        return;
    }
    m_run.remainingMs = 0;
    if (!m_run.exitWalk && ++m_run.zeroSteps >= stepCap(frames.size())) {
        endRun();
    }
}

// Branches are drawn when a frame is left, exit values only during an exit walk.
void Player::leaveFrame() {
    const auto& frames = m_script.animations[static_cast<std::size_t>(m_run.animation)].frames;
    const int k = m_run.frame;
    const Frame& frame = frames[static_cast<std::size_t>(k)];
    if (!m_run.exitWalk) {
        int next = k + 1;
        if (!frame.branches.empty()) {
            // One draw in 0..99 walked through the running sum of the percentages.
            const int r = draw(100);
            int sum = 0;
            for (const Branch& branch : frame.branches) {
                sum += std::max(0, branch.percent);
                if (r < sum) {
                    next = branch.frame;
                    break;
                }
            }
        }
        enterFrame(next);
        return;
    }
    int next = k + 1;
    if (frame.exitBranch >= 0) {
        next = frame.exitBranch;
    } else if (frame.exitBranch != kExitNextFrame && m_options.minusOneExit == MinusOneExit::End) {
        endRun();
        return;
    }
    // Walks that lead back onto themselves are common in real characters: stop, don't loop.
    if (static_cast<std::size_t>(next) >= frames.size() ||
        m_run.visited[static_cast<std::size_t>(next)]) {
        endRun();
        return;
    }
    m_run.visited[static_cast<std::size_t>(next)] = true;
    enterFrame(next);
}

// The animation has come to rest: keep its picture and note what it owes the next one.
void Player::endRun() {
    m_run.active = false;
    if (m_run.exitWalk) {
        return;
    }
    int rest = m_run.displayed;
    if (rest < 0 && m_run.lastWithImages >= 0) {
        rest = m_run.lastWithImages;
        setPicture({m_run.animation, rest});
    }
    const auto& animation = m_script.animations[static_cast<std::size_t>(m_run.animation)];
    if (animation.transition == Transition::Return) {
        m_owedReturn = animation.returnAnimation;
        m_owedReturnFrom = m_run.animation;
    } else if (animation.transition == Transition::ExitBranches && rest >= 0) {
        m_owedWalkAnimation = m_run.animation;
        m_owedWalkFrame = rest;
    }
}

bool Player::pictureHasImages() const {
    if (m_picture.animation < 0) {
        return false;
    }
    const auto& frames = m_script.animations[static_cast<std::size_t>(m_picture.animation)].frames;
    return frames[static_cast<std::size_t>(m_picture.frame)].hasImages;
}

// ---- outputs ----------------------------------------------------------------------------

void Player::report(const Event& event) {
    const bool merges =
        event.kind == EventKind::PictureChanged || event.kind == EventKind::PositionChanged;
    if (merges && !m_events.empty() && m_events.back().kind == event.kind) {
        m_events.back() = event;
    } else {
        m_events.push_back(event);
    }
}

void Player::setPicture(Picture picture) {
    if (picture != m_picture) {
        m_picture = picture;
        Event event = makeEvent(EventKind::PictureChanged);
        event.picture = picture;
        report(event);
    }
}

void Player::setVisibleNow(bool visible) {
    if (visible != m_visible) {
        m_visible = visible;
        Event event = makeEvent(EventKind::VisibilityChanged);
        event.visible = visible;
        report(event);
    }
}

void Player::placeNow(int x, int y) {
    if (x != m_x || y != m_y) {
        m_x = x;
        m_y = y;
        Event event = makeEvent(EventKind::PositionChanged);
        event.x = x;
        event.y = y;
        report(event);
    }
}

void Player::updateGlidePosition() {
    if (m_glide.totalMs <= 0) {
        placeNow(m_glide.x1, m_glide.y1);
        return;
    }
    const int elapsed = std::min(m_glide.elapsedMs, m_glide.totalMs);
    placeNow(lerpRound(m_glide.x0, m_glide.x1, elapsed, m_glide.totalMs),
             lerpRound(m_glide.y0, m_glide.y1, elapsed, m_glide.totalMs));
}

}  // namespace playback
