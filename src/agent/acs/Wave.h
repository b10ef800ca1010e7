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

// Decodes a complete RIFF WAVE file (1 or 2 channels) into what the audio output plays:
// format tag 1 with 8-bit unsigned samples (u - 128) * 256 or 16-bit signed samples as they
// are, or format tag 2 (Microsoft ADPCM, 4 bits per sample, coefficient pairs from the file's
// own format chunk), block by block. A short last block is decoded as far as its bytes go; one
// that ends inside its header is an error. ADPCM output is cut to the fact chunk's sample
// count when there is one and it is smaller. Never throws; anything else, or a damaged file,
// gives an Error and no samples.
WaveResult decodeWave(std::span<const std::uint8_t> riff);

// A RIFF WAVE file of 16-bit PCM holding `sound` as it is (no resampling).
std::vector<std::uint8_t> encodeWave(const PcmSound& sound);

}  // namespace acs
