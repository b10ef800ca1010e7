#include "bytes/Colour.h"

namespace bytes {

std::size_t nearestColour(std::span<const Rgb> palette, Rgb colour, std::size_t first,
                          ColourWeights weights) {
    std::size_t best = first;
    long bestDistance = -1;
    for (std::size_t i = first; i < palette.size(); ++i) {
        const long dr = long{colour.r} - palette[i].r;
        const long dg = long{colour.g} - palette[i].g;
        const long db = long{colour.b} - palette[i].b;
        const long d = weights.r * dr * dr + weights.g * dg * dg + weights.b * db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

}  // namespace bytes
