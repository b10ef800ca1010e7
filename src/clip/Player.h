#pragma once

#include "clip/Clip.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace clip {

// Plays a checked clip: keeps the canvas (palette indices, or RGB for 24-bit clips), applies
// frames and palette changes in order, and turns the canvas into ARGB pixels with the key
// colour transparent. It has no clock of its own: the caller reports the time elapsed since
// play() and the player works out which frame that is, so a slow display never makes the clip
// drift. Frames skipped by a late update are still decoded, because later frames draw on them.
class Player {
public:
    // Takes the clip, decodes frame 0 and fixes the key colour (the top-left pixel of frame
    // 0). The player starts stopped, showing frame 0.
    explicit Player(Clip clip);

    const Clip& clip() const { return m_clip; }
    std::uint32_t width() const { return m_clip.width; }
    std::uint32_t height() const { return m_clip.height; }
    std::size_t frameCount() const { return m_clip.frames.size(); }
    std::size_t frame() const { return m_frame; }
    // The colour drawn transparent, fixed at construction.
    Rgb key() const { return m_key; }

    // Shows `frame` (clamped to the last frame) as it looks after every earlier frame has been
    // applied. Going backwards starts again from an empty canvas and the original palette.
    void seek(std::size_t frame);

    // Starts looping from frame 0 (elapsed time 0). Playing again restarts.
    void play();
    // Stops advancing and keeps the current picture.
    void stop();
    bool isPlaying() const { return m_playing; }

    // Moves playback to `elapsedMicroseconds` after play(); frame = elapsed / period, wrapping
    // after the last frame. Does nothing while stopped or if time goes backwards. Returns true
    // when the picture changed since pixels() was last called and should be repainted.
    bool advanceTo(std::uint64_t elapsedMicroseconds);

    // Time after play() at which the frame after the one for `elapsedMicroseconds` begins.
    std::uint64_t nextFrameAt(std::uint64_t elapsedMicroseconds) const;

    // The current picture, width x height pixels, top row first, each 0xAARRGGBB: alpha 0 and
    // colour 0 for key pixels, alpha 255 otherwise (so it is also valid premultiplied ARGB).
    const std::vector<std::uint32_t>& pixels();

private:
    void restart();
    void applyFrame(std::size_t index);
    void rebuildColours();

    Clip m_clip;
    std::vector<std::uint8_t> m_canvas;  // indices, or R,G,B triples for 24-bit clips
    std::array<Rgb, 256> m_palette{};
    std::size_t m_paletteSize = 0;
    std::array<std::uint32_t, 256> m_colours{};  // ARGB per index, key already transparent
    std::size_t m_nextChange = 0;
    std::size_t m_frame = 0;
    Rgb m_key;
    bool m_playing = false;
    std::uint64_t m_lastTick = 0;  // elapsed / period at the last update
    std::vector<std::uint32_t> m_pixels;
    bool m_pixelsStale = true;
};

}  // namespace clip
