// Where the player's frame is: placed by the owner at once, or moved by a MoveTo's glide.

#include "agent/playback/Player.h"

namespace playback {

void Player::setLeft(int x) {
    setPosition(x, m_y);
}

void Player::setTop(int y) {
    setPosition(m_x, y);
}

// A setter during a glide keeps the glide's deadline, so a MoveTo still completes on time.
void Player::setPosition(int x, int y) {
    placeNow(x, y);
    if (m_glide.active()) {
        m_glide.restartFrom({x, y});
        m_pending = true;
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

}  // namespace playback
