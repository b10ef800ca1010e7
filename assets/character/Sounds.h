#pragma once

// Our own short sound effects, synthesised, and the two WAVE encodings Agent characters use:
// 16-bit PCM and Microsoft ADPCM (format tag 2), both mono.

#include <cstdint>
#include <vector>

namespace mascot {

inline constexpr int kSampleRate = 22050;

using Samples = std::vector<std::int16_t>;

Samples popSound();    // a rising bubble pop (Show)
Samples hideSound();   // a falling swish (Hide)
Samples blipSound();   // two quick notes (greetings, nods)
Samples chimeSound();  // a small bell (Congratulate)
Samples boingSound();  // a wobbly spring (Alert, GetAttention)

// A complete RIFF WAVE file holding `samples` as 16-bit PCM.
std::vector<std::uint8_t> pcmWave(const Samples& samples);

// A complete RIFF WAVE file holding `samples` as Microsoft ADPCM: 256-byte blocks (500
// samples each), the seven standard coefficient pairs, a fact chunk with the true sample
// count. Each block tries every predictor and a range of starting step sizes and keeps the
// one with the smallest error.
std::vector<std::uint8_t> adpcmWave(const Samples& samples);

}  // namespace mascot
