#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace clip {

// Draws one BI_RLE8 frame onto `canvas`, a top-down image of palette indices of `width` x
// `height` bytes that holds the previous picture. Pixels the frame does not reach keep their
// values; runs past the right or top edge are clipped, never wrapped. Returns false when the
// data ends inside a command (an absolute run or a delta missing its bytes); what was drawn
// before that point stays drawn.
bool decodeRle8(std::span<const std::uint8_t> data, std::uint8_t* canvas, std::uint32_t width,
                std::uint32_t height);

// True when decodeRle8 would return true for this data; touches no canvas.
bool isWellFormedRle8(std::span<const std::uint8_t> data);

// Encodes `current` (top-down indices, width x height) as BI_RLE8. With an empty `previous`
// every pixel is written (a key frame); otherwise only pixels that differ from `previous` are
// written and the rest are skipped with deltas. Returns an empty vector when nothing changed,
// which a clip stores as an empty frame chunk. Both images must hold width x height bytes.
std::vector<std::uint8_t> encodeRle8(std::span<const std::uint8_t> previous,
                                     std::span<const std::uint8_t> current, std::uint32_t width,
                                     std::uint32_t height);

}  // namespace clip
