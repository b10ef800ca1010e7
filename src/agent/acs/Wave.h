#pragma once

// Sounds of a character: RIFF WAVE files holding PCM (8- or 16-bit) or Microsoft ADPCM,
// turned into 16-bit PCM for an audio back end that plays only PCM.

#include "agent/acs/Error.h"

#include <cstdint>
#include <span>
#include <vector>

namespace acs {

struct PcmSound {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;       // Hz, as stored (22,254 occurs)
    std::vector<std::int16_t> samples;  // interleaved by channel
};

// The sound, or an error with its offset inside the RIFF file.
using WaveResult = bytes::Result<PcmSound>;

// Decodes a complete RIFF WAVE file (1 or 2 channels): format tag 1 with 8-bit unsigned or
// 16-bit signed samples, or format tag 2 (Microsoft ADPCM, 4 bits per sample, coefficient
// pairs from the file). Never throws; anything else, or a damaged file, gives an Error. A
// short last block is decoded as far as it goes.
WaveResult decodeWave(std::span<const std::uint8_t> riff);

}  // namespace acs
