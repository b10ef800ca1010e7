// The frame run of the player: starting an animation, stepping through its frames with their
// branches and exit values, the exit walk back to rest, and the picture on screen.

#include "agent/playback/Player.h"

#include <algorithm>

namespace playback {

namespace {

// Agent's requests never start an animation from a frame other than 0, and a zero-duration
// loop must not spin: after this many visits without time passing the animation has ended.
int stepCap(std::size_t frameCount) {
    return static_cast<int>(std::min<std::size_t>(frameCount, 1'000'000)) * 4 + 64;
}

}  // namespace

int Player::draw(int n) {
    if (n <= 1) {
        return 0;
    }
    return std::clamp(m_random->below(n), 0, n - 1);
}

// Every animation starts at frame 0, whatever the previous one showed.
bool Player::startAnimation(int animation, Role role) {
    if (animation < 0 || animation >= static_cast<int>(script().animations.size())) {
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
    if (animation < 0 || animation >= static_cast<int>(script().animations.size())) {
        return;
    }
    const auto count = animationAt(animation).frames.size();
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
    const auto& frames = animationAt(m_run.animation).frames;
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
    const auto& frames = animationAt(m_run.animation).frames;
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
    const auto& animation = animationAt(m_run.animation);
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
    const auto& frames = animationAt(m_picture.animation).frames;
    return frames[static_cast<std::size_t>(m_picture.frame)].hasImages;
}

void Player::setPicture(Picture picture) {
    if (picture != m_picture) {
        m_picture = picture;
        Event event = makeEvent(EventKind::PictureChanged);
        event.picture = picture;
        report(event);
    }
}

// Ends the running request's or idle turn's work early. A walk (and, unless `all`, a return
// animation) already under way is a transition and finishes; an animation leaves through its
// exit walk from the frame on screen, dropping the rest of that frame's time.
void Player::cut(bool all) {
    m_tasks.clear();
    m_glide.stop();
    if (!m_run.active || m_run.exitWalk || (m_run.role == Role::Transition && !all)) {
        return;
    }
    const auto& animation = animationAt(m_run.animation);
    if (animation.transition == Transition::Return) {
        m_owedReturn = animation.returnAnimation;
        m_owedReturnFrom = m_run.animation;
    }
    m_run.active = false;
    if (m_run.displayed >= 0) {
        startExitWalk(m_run.animation, m_run.displayed);
    }
}

}  // namespace playback
