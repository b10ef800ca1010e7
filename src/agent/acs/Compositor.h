#pragma once

// Paints palette images onto an RGBA canvas: the drawing rules of a character frame.

#include "agent/acs/Character.h"
#include "agent/acs/Model.h"

#include <cstdint>
#include <span>
#include <vector>

namespace acs {

struct Layer {
    const ImageData* image = nullptr;  // null: nothing drawn
    int x = 0;                         // top-left corner in the frame
    int y = 0;
};

// Composes `layers` on a fully transparent width × height canvas, painting the LAST layer
// first so that layers[0] ends up on top. Pixels outside the canvas are clipped (an image is
// never shifted back inside). A pixel equal to `transparentIndex`, or an index beyond the
// palette, leaves what is below it. Output as described for ComposedFrame.
ComposedFrame composeLayers(std::uint16_t width, std::uint16_t height, std::span<const Rgb> palette,
                            std::uint8_t transparentIndex, std::span<const Layer> layers);

// Paints `layers` (the last one first) onto an existing canvas made by composeLayers, with
// the same rules.
void paintLayers(ComposedFrame& canvas, std::span<const Rgb> palette, std::uint8_t transparentIndex,
                 std::span<const Layer> layers);

}  // namespace acs
