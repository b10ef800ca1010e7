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

}  // namespace

std::shared_ptr<const Player::Catalog> Player::makeCatalog(Script script) {
    auto catalog = std::make_shared<Catalog>();
    catalog->script = std::move(script);
    const auto count = static_cast<int>(catalog->script.animations.size());
    for (int i = 0; i < count; ++i) {
        // Two names that fold alike: the first one wins, as the character lists them.
        catalog->nameIndex.emplace(
            names::fold(catalog->script.animations[static_cast<std::size_t>(i)].name), i);
    }
    for (const auto& [name, list] : catalog->script.states) {
        auto& valid = catalog->states[names::fold(name)];
        for (int index : list) {
            if (index >= 0 && index < count) {
                valid.push_back(index);
            }
        }
    }
    std::erase_if(catalog->states, [](const auto& entry) { return entry.second.empty(); });
    for (auto level : {kStateIdlingLevel1, kStateIdlingLevel2, kStateIdlingLevel3}) {
        catalog->hasIdle = catalog->hasIdle || catalog->states.contains(names::fold(level));
    }
    return catalog;
}

Player::Player(Script script, Random& random, Options options)
    : m_catalog(makeCatalog(std::move(script))), m_random(&random), m_options(options) {
    m_options.idleFirstMs = std::max(0, m_options.idleFirstMs);
    m_options.idleIntervalMinMs = std::max(1, m_options.idleIntervalMinMs);
    m_options.idleIntervalMaxMs =
        std::max(m_options.idleIntervalMinMs, m_options.idleIntervalMaxMs);
    m_options.glideStepMs = std::max(1, m_options.glideStepMs);
}

Player::Player(const Player& other, Random& random) : Player(other) {
    m_random = &random;
    m_visitHook = nullptr;
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
        m_glide.stop();
        hideFrame(m_request->cause, RequestStatus::Interrupted);
    } else {
        cut(true);
        finishRequest(RequestStatus::Interrupted);
    }
    dropQueueAndIdle();
}

// ---- queries ----------------------------------------------------------------------------

bool Player::busy() const {
    return m_request.has_value() || !m_queue.empty();
}

int Player::findAnimation(std::string_view name) const {
    const auto it = m_catalog->nameIndex.find(names::fold(name));
    return it == m_catalog->nameIndex.end() ? -1 : it->second;
}

std::vector<std::string> Player::animationNames() const {
    std::vector<std::string> names;
    names.reserve(script().animations.size());
    for (const auto& animation : script().animations) {
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
    if (m_glide.active()) {
        return std::clamp(m_glide.remainingMs(), 0, m_options.glideStepMs);
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
    } else if (m_glide.active()) {
        m_glide.pass(ms);
        const Point p = m_glide.position();
        placeNow(p.x, p.y);
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
    if (m_glide.active()) {
        if (!m_glide.arrived()) {
            return false;
        }
        m_glide.stop();
        placeNow(m_glide.target().x, m_glide.target().y);
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
            if (!pictureHasImages() && !script().animations.empty()) {
                int animation = findAnimation("RestPose");
                animation = animation < 0 ? 0 : animation;
                const auto& frames = animationAt(animation).frames;
                const auto it = std::find_if(frames.begin(), frames.end(),
                                             [](const Frame& frame) { return frame.hasImages; });
                if (it != frames.end()) {
                    setPicture({animation, static_cast<int>(it - frames.begin())});
                }
            }
            return;
        case TaskKind::Glide:
            if (m_request) {
                m_glide.start({m_x, m_y}, {m_request->x, m_request->y}, m_request->speedMs);
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

// ---- idling -----------------------------------------------------------------------------

// ---- animations -------------------------------------------------------------------------

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

void Player::setVisibleNow(bool visible) {
    if (visible != m_visible) {
        m_visible = visible;
        Event event = makeEvent(EventKind::VisibilityChanged);
        event.visible = visible;
        report(event);
    }
}

}  // namespace playback
