// The idle schedule of the player: when the queue runs empty the idle clock starts, and idle
// animations come from the IdlingLevel states as the levels are reached.

#include "agent/playback/Player.h"

#include "names/NameFold.h"

#include <algorithm>

namespace playback {

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

bool Player::idleAllowed() const {
    return m_options.idle && m_visible && m_catalog->hasIdle;
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

const std::vector<int>* Player::stateAnimations(std::string_view state) const {
    const auto it = m_catalog->states.find(names::fold(state));
    return it == m_catalog->states.end() ? nullptr : &it->second;
}

int Player::pickFromState(std::string_view state) {
    const auto* list = stateAnimations(state);
    if (list == nullptr) {
        return -1;
    }
    return (*list)[static_cast<std::size_t>(draw(static_cast<int>(list->size())))];
}

}  // namespace playback
