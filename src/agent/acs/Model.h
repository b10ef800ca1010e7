#pragma once

// The character model: plain values that mirror what a 2.x character file stores. Strings are
// UTF-8 (converted from the file's UTF-16; an unpaired surrogate becomes U+FFFD). Names keep
// the case they are stored in. The reader fills these; the writer stores them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace acs {

inline constexpr std::uint16_t kNoSound = 0xFFFF;
inline constexpr std::int16_t kExitEnd = -1;        // exit walk ends here
inline constexpr std::int16_t kExitNextFrame = -2;  // exit walk carries on with frame + 1
inline constexpr int kNoMouth = -1;

// Character flags that decide which optional records are present.
inline constexpr std::uint32_t kFlagVoice = 0x20;
inline constexpr std::uint32_t kFlagBalloon = 0x200;

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    bool operator==(const Guid&) const = default;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

struct VoiceInfo {
    Guid engine;
    Guid mode;
    std::uint32_t speed = 0;
    std::uint16_t pitch = 0;
    bool hasExtra = false;  // the fields below are stored only when true
    std::uint16_t langId = 0;
    std::string dialect;
    std::uint16_t gender = 0;
    std::uint16_t age = 0;
    std::string style;
    bool operator==(const VoiceInfo&) const = default;
};

struct BalloonInfo {
    std::uint8_t lines = 2;
    std::uint8_t charsPerLine = 28;
    Rgb text;
    Rgb background{255, 255, 225};
    Rgb border;
    std::string fontFace = "MS Sans Serif";
    std::int32_t fontHeight = -13;  // LOGFONT style: negative = character height
    std::int32_t fontWeight = 400;
    std::uint8_t italic = 0;
    std::uint8_t unknown = 0;
    bool operator==(const BalloonInfo&) const = default;
};

// The tray icon as stored: two DIBs without file header (1-bpp AND mask, 4-bpp colour image).
struct TrayIcon {
    std::vector<std::uint8_t> mask;
    std::vector<std::uint8_t> color;
    bool operator==(const TrayIcon&) const = default;
};

struct LocalizedInfo {
    std::uint16_t langId = 0;
    std::string name;
    std::string description;
    std::string extra;
    bool operator==(const LocalizedInfo&) const = default;
};

struct State {
    std::string name;                     // as stored (upper case in real files)
    std::vector<std::string> animations;  // as stored
    // Filled by the reader: directory index of each entry of `animations` that resolves
    // (by names::same); names that resolve to nothing are left out. Ignored by the writer.
    std::vector<std::size_t> animationIndices;
    bool operator==(const State&) const = default;
};

struct CharacterInfo {
    std::uint16_t minorVersion = 1;
    std::uint16_t majorVersion = 2;
    Guid guid;
    std::uint16_t width = 0;  // frame size in pixels
    std::uint16_t height = 0;
    std::uint8_t transparentIndex = 0;
    std::uint32_t flags = 0;  // the writer keeps kFlagVoice/kFlagBalloon in step with the optionals
    std::uint16_t animationSetMajor = 0;
    std::uint16_t animationSetMinor = 0;
    std::optional<VoiceInfo> voice;
    std::optional<BalloonInfo> balloon;
    std::vector<Rgb> palette;  // 1..256 entries
    std::optional<TrayIcon> trayIcon;
    std::vector<State> states;
    std::vector<LocalizedInfo> localized;
    bool operator==(const CharacterInfo&) const = default;
};

struct FrameImage {
    std::uint32_t image = 0;  // index into the image list
    std::int16_t x = 0;       // top-left corner inside the frame; may lie outside it
    std::int16_t y = 0;
    bool operator==(const FrameImage&) const = default;
};

struct Branch {
    std::uint16_t frame = 0;    // target frame index
    std::uint16_t percent = 0;  // probability in percent
    bool operator==(const Branch&) const = default;
};

struct MouthOverlay {
    std::uint8_t mouth = 0;  // 0 closed, 1-4 wide open, 5 medium, 6 narrow
    bool replace = false;    // true: leave out frame image 0, then draw the overlay
    std::uint16_t image = 0;
    std::uint8_t unknown = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t centerX = 0;  // mouth centre in overlay-image coordinates
    std::uint16_t centerY = 0;
    std::optional<std::vector<std::uint8_t>> region;  // stored only when present
    bool operator==(const MouthOverlay&) const = default;
};

struct Frame {
    std::vector<FrameImage> images;     // top layer first
    std::uint16_t sound = kNoSound;     // index into the sound list or kNoSound
    std::uint16_t duration = 0;         // hundredths of a second
    std::int16_t exitValue = kExitEnd;  // frame index, kExitEnd or kExitNextFrame
    std::vector<Branch> branches;
    std::vector<MouthOverlay> overlays;
    bool operator==(const Frame&) const = default;
};

struct Animation {
    std::string name;             // directory name (mixed case): the display name
    std::string recordName;       // name inside the record (upper case in real files)
    std::uint8_t transition = 2;  // 0 return animation, 1 exit branches, 2 none
    std::string returnAnimation;  // as stored; "" if none
    std::vector<Frame> frames;
    // Filled by the reader: directory index of returnAnimation when it resolves.
    std::optional<std::size_t> returnIndex;
    bool operator==(const Animation&) const = default;
};

// An image as stored once decompressed: 8-bit palette indices, rows bottom-up, each row padded
// to stride(width) bytes. `region` is the decompressed RGNDATA (may be empty).
struct ImageData {
    std::uint8_t leading = 1;  // first byte of the record; 1 in real files, kept as is
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> region;
    bool operator==(const ImageData&) const = default;

    static constexpr std::size_t stride(std::uint16_t w) {
        return (std::size_t{w} + 3u) & ~std::size_t{3};
    }
    // Palette index at (col, row) in top-down coordinates; no bounds check.
    std::uint8_t at(std::size_t col, std::size_t row) const {
        return pixels[(std::size_t{height} - 1u - row) * stride(width) + col];
    }
};

// A whole character with every image and sound in memory: what the writer stores and what
// Character::toData() returns.
struct CharacterData {
    CharacterInfo info;
    std::vector<Animation> animations;
    std::vector<ImageData> images;
    std::vector<std::vector<std::uint8_t>> sounds;  // complete RIFF WAVE files
    bool operator==(const CharacterData&) const = default;
};

}  // namespace acs
