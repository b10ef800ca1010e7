#pragma once

// A straight-line move of the character frame over a fixed time. The position is computed
// exactly for whatever time has passed, so many short steps and one long one end alike.

namespace playback {

struct Point {
    int x = 0;
    int y = 0;
};

class Glide {
public:
    void start(Point from, Point to, int totalMs);
    void stop() { m_active = false; }
    bool active() const { return m_active; }

    void pass(int ms) { m_elapsedMs += ms; }
    int remainingMs() const { return m_totalMs - m_elapsedMs; }
    bool arrived() const { return m_elapsedMs >= m_totalMs; }
    // Carries on from `from` towards the same target in the time left (the deadline stays).
    void restartFrom(Point from);

    Point target() const { return m_to; }
    // Where the frame is after the time passed so far; the target once the time is up.
    Point position() const;

private:
    bool m_active = false;
    Point m_from;
    Point m_to;
    int m_totalMs = 0;
    int m_elapsedMs = 0;
};

}  // namespace playback
