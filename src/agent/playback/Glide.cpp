#include "agent/playback/Glide.h"

#include <algorithm>
#include <cstdint>

namespace playback {

namespace {

// a + (b - a) * elapsed / total, rounded half away from zero, exact at both ends.
int lerpRound(int a, int b, int elapsed, int total) {
    const std::int64_t num = (static_cast<std::int64_t>(b) - a) * elapsed;
    const std::int64_t den = 2 * static_cast<std::int64_t>(total);
    const std::int64_t q = (2 * num + (num >= 0 ? total : -static_cast<std::int64_t>(total))) / den;
    return static_cast<int>(a + q);
}

}  // namespace

void Glide::start(Point from, Point to, int totalMs) {
    m_active = true;
    m_from = from;
    m_to = to;
    m_totalMs = totalMs;
    m_elapsedMs = 0;
}

void Glide::restartFrom(Point from) {
    m_from = from;
    m_totalMs -= m_elapsedMs;
    m_elapsedMs = 0;
}

Point Glide::position() const {
    if (m_totalMs <= 0) {
        return m_to;
    }
    const int elapsed = std::min(m_elapsedMs, m_totalMs);
    return {lerpRound(m_from.x, m_to.x, elapsed, m_totalMs),
            lerpRound(m_from.y, m_to.y, elapsed, m_totalMs)};
}

}  // namespace playback
