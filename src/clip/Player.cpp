#include "clip/Player.h"

#include "clip/Rle8.h"

#include <algorithm>
#include <cstring>

namespace clip {
namespace {

std::uint32_t argb(Rgb c) {
    return 0xFF000000U | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

}  // namespace

Player::Player(Clip clip) : m_clip(std::move(clip)) {
    const std::size_t channels = m_clip.bitsPerPixel == 24 ? 3 : 1;
    m_canvas.resize(std::size_t{m_clip.width} * m_clip.height * channels);
    restart();
    // The key is the top-left pixel as shown, fixed now: a later palette change that alters
    // that entry does not move the key.
    if (channels == 3) {
        m_key = Rgb{m_canvas[0], m_canvas[1], m_canvas[2]};
    } else {
        const std::uint8_t index = m_canvas[0];
        m_key = index < m_paletteSize ? m_palette[index] : Rgb{};
    }
    rebuildColours();
}

void Player::restart() {
    std::fill(m_canvas.begin(), m_canvas.end(), std::uint8_t{0});
    m_palette = {};
    m_paletteSize = m_clip.palette.size();
    std::copy(m_clip.palette.begin(), m_clip.palette.end(), m_palette.begin());
    m_nextChange = 0;
    m_frame = 0;
    applyFrame(0);
    rebuildColours();
    m_pixelsStale = true;
}

void Player::rebuildColours() {
    // Out-of-range indices show black; like every colour they vanish if black is the key.
    for (std::size_t i = 0; i < m_colours.size(); ++i) {
        const Rgb c = i < m_paletteSize ? m_palette[i] : Rgb{};
        m_colours[i] = c == m_key ? 0U : argb(c);
    }
}

void Player::applyFrame(std::size_t index) {
    bool paletteChanged = false;
    while (m_nextChange < m_clip.paletteChanges.size() &&
           m_clip.paletteChanges[m_nextChange].beforeFrame <= index) {
        const PaletteChange& change = m_clip.paletteChanges[m_nextChange++];
        std::copy(change.entries.begin(), change.entries.end(), m_palette.begin() + change.first);
        m_paletteSize = std::max(m_paletteSize, change.first + change.entries.size());
        paletteChanged = true;
    }
    if (paletteChanged) {
        rebuildColours();
        m_pixelsStale = true;
    }

    const Frame& f = m_clip.frames[index];
    if (f.size == 0)
        return;  // empty or broken: the previous picture stays
    const std::uint8_t* data = m_clip.data.data() + f.offset;
    const std::uint32_t w = m_clip.width;
    const std::uint32_t h = m_clip.height;
    if (m_clip.compression == Compression::Rle8) {
        decodeRle8({data, f.size}, m_canvas.data(), w, h);
    } else {
        const std::size_t rowBytes = std::size_t{w} * (m_clip.bitsPerPixel / 8U);
        const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
        for (std::uint32_t r = 0; r < h; ++r) {
            const std::size_t target = m_clip.bottomUp ? h - 1 - r : r;
            std::memcpy(m_canvas.data() + target * rowBytes, data + std::size_t{r} * stride,
                        rowBytes);
        }
        if (m_clip.bitsPerPixel == 24) {
            // Files hold B, G, R; the canvas keeps R, G, B.
            for (std::size_t i = 0; i + 2 < m_canvas.size(); i += 3)
                std::swap(m_canvas[i], m_canvas[i + 2]);
        }
    }
    m_pixelsStale = true;
}

void Player::seek(std::size_t frame) {
    frame = std::min(frame, m_clip.frames.size() - 1);
    if (frame < m_frame)
        restart();
    while (m_frame < frame)
        applyFrame(++m_frame);
}

void Player::play() {
    m_playing = true;
    m_lastTick = 0;
    if (m_frame != 0)
        restart();
}

void Player::stop() {
    m_playing = false;
}

bool Player::advanceTo(std::uint64_t elapsedMicroseconds) {
    if (!m_playing)
        return false;
    const std::uint64_t tick = elapsedMicroseconds / m_clip.frameMicroseconds;
    if (tick <= m_lastTick)
        return false;
    const std::uint64_t count = m_clip.frames.size();
    const std::uint64_t lastLoop = m_lastTick / count;
    m_lastTick = tick;
    // Crossing the end of the clip starts again from an empty canvas, even when the new
    // frame number happens to equal the old one.
    if (tick / count != lastLoop)
        restart();
    seek(static_cast<std::size_t>(tick % count));
    // Empty frames leave the pixels as they were: no repaint needed.
    return m_pixelsStale;
}

std::uint64_t Player::nextFrameAt(std::uint64_t elapsedMicroseconds) const {
    return (elapsedMicroseconds / m_clip.frameMicroseconds + 1) * m_clip.frameMicroseconds;
}

const std::vector<std::uint32_t>& Player::pixels() {
    if (!m_pixelsStale)
        return m_pixels;
    m_pixels.resize(std::size_t{m_clip.width} * m_clip.height);
    if (m_clip.bitsPerPixel == 24) {
        for (std::size_t i = 0; i < m_pixels.size(); ++i) {
            const Rgb c{m_canvas[3 * i], m_canvas[3 * i + 1], m_canvas[3 * i + 2]};
            m_pixels[i] = c == m_key ? 0U : argb(c);
        }
    } else {
        for (std::size_t i = 0; i < m_pixels.size(); ++i)
            m_pixels[i] = m_colours[m_canvas[i]];
    }
    m_pixelsStale = false;
    return m_pixels;
}

}  // namespace clip
