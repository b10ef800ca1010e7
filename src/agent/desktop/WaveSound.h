#pragma once

// Frame sounds as the character file stores them (complete RIFF WAVE files: PCM or Microsoft
// ADPCM) decoded to 16-bit PCM for the audio back end. Plain C++: no Qt, so the decoder can be
// tested and fuzzed on its own.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace desktop {

// Decoded sound: interleaved signed 16-bit samples, `channels` per frame.
struct PcmSound {
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 0;
    std::vector<std::int16_t> samples;

    std::size_t frameCount() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// The parameters of a Microsoft ADPCM stream, as its `fmt ` chunk gives them.
struct AdpcmFormat {
    std::uint16_t channels = 1;
    std::uint16_t blockAlign = 0;       // bytes per block (the last block may be shorter)
    std::uint16_t samplesPerBlock = 0;  // per channel; 0 = as many as a full block holds
    std::vector<std::pair<std::int16_t, std::int16_t>> coefficients;
};

// Decodes Microsoft ADPCM blocks to interleaved 16-bit PCM and appends them to `out`. Each
// block yields its two header samples (sample2 first) and then one sample per 4-bit code,
// high nibble first; in stereo the high nibble is the left channel. A trailing block too short
// for its header is ignored. Returns false with `error` set for a predictor index outside the
// coefficient table or an impossible format (no channels, block smaller than its header); what
// was decoded before stays in `out`.
bool decodeMsAdpcm(std::span<const std::uint8_t> data, const AdpcmFormat& format,
                   std::vector<std::int16_t>& out, std::string* error);

// Decodes a RIFF WAVE file: 8-bit unsigned or 16-bit signed PCM, or Microsoft ADPCM (format
// tag 2), one or two channels. Never throws; returns nullopt with a one-line `error` for
// anything else or for broken chunks. A `data` chunk that claims more bytes than the file holds
// is cut to what is there (the sound plays as far as it goes).
std::optional<PcmSound> decodeWave(std::span<const std::uint8_t> bytes, std::string* error);

}  // namespace desktop
