#pragma once

// Bounded little-endian reader over one block of a file, with a sticky error: after the first
// failure every read returns zero and the error keeps its code and file offset, so parsers
// only need to look at ok() at record boundaries.

#include "agent/acs/Error.h"
#include "agent/acs/Model.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace acs {

class ByteReader {
public:
    // Reads file[begin, end). Offsets reported are absolute file offsets.
    ByteReader(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end);

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    Guid guid();
    Rgb bgrx();  // palette entry: B, G, R, 0
    Rgb rgbx();  // COLORREF: R, G, B, 0
    // STRING: ULONG count of UTF-16 units, the units, and a terminator when count > 0.
    // `strictTerminator` also requires the terminator to be 0. Returns UTF-8.
    std::string string(bool strictTerminator);
    // n raw bytes (empty span on failure).
    std::span<const std::uint8_t> bytes(std::uint64_t n);
    void skip(std::uint64_t n) { (void)bytes(n); }

    // Fails unless `count` records of at least `minSize` bytes can still follow and
    // count <= limit; checked before anything is allocated for them.
    bool checkCount(std::uint64_t count, std::uint64_t minSize, std::uint64_t limit,
                    const char* what);

    std::uint64_t pos() const { return m_pos; }
    std::uint64_t end() const { return m_end; }
    std::uint64_t remaining() const { return m_pos <= m_end ? m_end - m_pos : 0; }
    bool ok() const { return !m_error; }
    const Error& error() const { return m_error; }
    void fail(ErrorCode code, std::string detail) { failAt(code, m_pos, std::move(detail)); }
    void failAt(ErrorCode code, std::uint64_t offset, std::string detail);

private:
    bool need(std::uint64_t n, const char* what);

    std::span<const std::uint8_t> m_file;
    std::uint64_t m_pos;
    std::uint64_t m_end;
    Error m_error;
};

// Accepts a locator only if it lies inside a file of `fileSize` bytes; cannot overflow.
inline bool locatorFits(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::span<const char16_t> units);
// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string upperAscii(std::string_view text);

}  // namespace acs
