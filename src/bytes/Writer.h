#pragma once

// Little-endian writer into a growing buffer. Sizes and counts that do not fit their field
// are clamped to the field's maximum and leave a sticky error, so a writer can check ok() once
// at the end instead of after every field.

#include "bytes/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bytes {

class Writer {
public:
    std::size_t pos() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& data() const { return m_bytes; }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }
    bool ok() const { return !m_error; }
    const Error& error() const { return m_error; }

    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v);
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void fourcc(std::uint32_t v) { u32(v); }
    // The four characters of `text` (at least four long) in order.
    void tag(const char* text);
    void raw(std::span<const std::uint8_t> data) {
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }
    void zeros(std::size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    // A size or count stored in 32 bits; larger values are clamped and fail the writer.
    void size32(std::size_t v);
    // Overwrites the 32-bit field at `at` with a size, clamped as size32 does.
    void patch32(std::size_t at, std::size_t v);

    // Starts a RIFF chunk (or, with a list type, a list); returns the position of its size.
    std::size_t openChunk(const char* id, const char* listType = nullptr);
    // Patches the size of the chunk opened at `at` and adds the pad byte for odd sizes.
    void closeChunk(std::size_t at);

private:
    std::uint32_t clamp32(std::size_t v);

    std::vector<std::uint8_t> m_bytes;
    Error m_error;
};

}  // namespace bytes
