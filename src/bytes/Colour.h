#pragma once

// 24-bit colours as the binary formats store them, and the one nearest-colour search that
// every quantiser (our character builder, the asset generators) uses.

#include <cstddef>
#include <cstdint>
#include <span>

namespace bytes {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Weights of the squared channel differences.
struct ColourWeights {
    long r = 1;
    long g = 1;
    long b = 1;
};
// Weighted towards green, as the eye is.
constexpr ColourWeights kPerceptualWeights{3, 4, 2};

// Index of the palette entry at or after `first` closest to `colour` (ties: lowest index);
// `first` when there is none.
std::size_t nearestColour(std::span<const Rgb> palette, Rgb colour, std::size_t first = 0,
                          ColourWeights weights = {});

}  // namespace bytes
