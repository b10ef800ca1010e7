#pragma once

// Four-character codes as they lie in a file, read as one little-endian 32-bit value, and
// the RIFF codes every RIFF reader and writer shares.

#include <cstdint>
#include <string>

namespace bytes {

// Builds a FOURCC from its four characters in file order.
constexpr std::uint32_t fourcc(const char (&s)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24);
}

// The FOURCC as text when printable ("'H264'"), otherwise as a hex number ("0x0000ff00").
std::string fourccText(std::uint32_t value);

namespace riff {
constexpr std::uint32_t kRiff = fourcc("RIFF");
constexpr std::uint32_t kList = fourcc("LIST");
constexpr std::uint32_t kWave = fourcc("WAVE");
constexpr std::uint32_t kFmt = fourcc("fmt ");
constexpr std::uint32_t kData = fourcc("data");
constexpr std::uint32_t kAvi = fourcc("AVI ");
constexpr std::size_t kChunkHeaderSize = 8;  // id and size
}  // namespace riff

}  // namespace bytes
