#pragma once

// Bounded little-endian reader over one block of a file, with a sticky error: after the first
// failure every read returns zero and the error keeps its code and file offset, so parsers
// only need to look at ok() at record boundaries.

#include "bytes/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace bytes {

class Reader {
public:
    // Reads file[begin, end). Offsets reported are absolute file offsets. A window that does
    // not fit the file fails at once with BadLocator.
    Reader(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end);
    // Reads file[begin, end of file).
    explicit Reader(std::span<const std::uint8_t> file, std::uint64_t begin = 0)
        : Reader(file, begin, file.size()) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint32_t fourcc() { return u32(); }
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
    // Keeps the first failure only.
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

// Little-endian values at a known offset of a block the caller has already checked.
inline std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace bytes
