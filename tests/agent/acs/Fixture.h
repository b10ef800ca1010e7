#pragma once

// Tiny characters written by our own writer, and a way to break one named field of a file.
// Shared by the tests, the fuzz seed generator and the tool tests.

#include "agent/acs/Model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace acs::test {

// An image from top-down rows of palette indexes (all rows the same length).
ImageData imageFromRows(const std::vector<std::vector<std::uint8_t>>& rows);
ImageData solidImage(std::uint16_t width, std::uint16_t height, std::uint8_t index);
// A complete PCM RIFF WAVE file of `samples` 8-bit mono samples.
std::vector<std::uint8_t> pcmWave(std::size_t samples, std::uint32_t rate = 8000);
// A Microsoft ADPCM RIFF WAVE file (22,050 Hz, the standard coefficient pairs) whose data
// chunk holds `data` as given.
std::vector<std::uint8_t> adpcmWave(std::uint16_t channels, std::uint16_t blockAlign,
                                    const std::vector<std::uint8_t>& data);

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
