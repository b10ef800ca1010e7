#pragma once

// Tiny characters written by our own writer, and a way to break one named field of a file.
// Shared by the tests, the fuzz seed generator and the tool tests.

#include "agent/acs/Model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace acs::test {

// An image from top-down rows of palette indexes (all rows the same length).
ImageData imageFromRows(const std::vector<std::vector<std::uint8_t>>& rows);
ImageData solidImage(std::uint16_t width, std::uint16_t height, std::uint8_t index);
// A complete PCM RIFF WAVE file of `samples` 8-bit mono samples.
std::vector<std::uint8_t> pcmWave(std::size_t samples, std::uint32_t rate = 8000);
// The format chunk of a Microsoft ADPCM sound, and an optional fact chunk.
struct AdpcmFormat {
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t blockAlign = 256;
    // The seven standard coefficient pairs.
    std::vector<std::pair<int, int>> coefficients = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                     {240, 0}, {460, -208}, {392, -232}};
    std::optional<std::uint32_t> fact;  // samples per channel
    // Stored in place of samplesPerBlock() when set.
    std::optional<std::uint16_t> storedSamplesPerBlock;

    // Samples per channel that one block holds.
    int samplesPerBlock() const {
        return channels == 0 ? 0 : (blockAlign - 7 * channels) * 2 / channels + 2;
    }
};

// A Microsoft ADPCM RIFF WAVE file whose data chunk holds `data` as given.
std::vector<std::uint8_t> adpcmWave(const AdpcmFormat& format,
                                    const std::vector<std::uint8_t>& data);
// The same at 22,050 Hz with the standard coefficient pairs.
std::vector<std::uint8_t> adpcmWave(std::uint16_t channels, std::uint16_t blockAlign,
                                    const std::vector<std::uint8_t>& data);
// Encodes interleaved `samples` into whole blocks of `format` (the last one padded with
// silence). Each block and channel takes the next coefficient pair in turn, so every pair is
// used.
std::vector<std::uint8_t> encodeAdpcm(const AdpcmFormat& format, std::vector<std::int16_t> samples);

// A small valid character: 8x6 frame, palette of 4 (index 0 transparent), 4 images,
// 1 sound, voice, balloon, tray icon, two localized entries, states, and three animations
// ("Show": 2 frames with branches, exits and a sound; "Idle (1)": a mouth-overlay frame;
// "Hide": a return animation and an empty frame).
CharacterData smallCharacter();

// clang-format off
enum class Field {
    Signature, InfoOffset, InfoSize, AnimDirOffset, AnimDirSize,  // the header's locators
    ImageDirOffset, ImageDirSize, AudioDirOffset, AudioDirSize,
    FrameWidth, PaletteCount, TrayIconFlag, StateCount, LocalizedCount,  // character info
    AnimDirCount, AnimRecordOffset, AnimRecordSize,  // animation list, first entry
    FrameCount, FrameImageIndex, BranchCount,        // first animation, frame 0
    ImageDirCount, ImageRecordOffset, ImageRecordSize,  // image list, first entry
    ImageWidth, ImagePixelSize, ImageRegionSize, PixelMarker,  // first image record
    AudioDirCount, SoundRiffSize,
};
// clang-format on

// File offset of `f` in a valid file written by our writer from smallCharacter().
std::size_t fieldOffset(const std::vector<std::uint8_t>& file, Field f);
std::uint32_t fieldValue(const std::vector<std::uint8_t>& file, Field f);
// A copy of `file` with field `f` set to `value` (little-endian, truncated to the width).
std::vector<std::uint8_t> corrupt(std::vector<std::uint8_t> file, Field f, std::uint32_t value);

}  // namespace acs::test
