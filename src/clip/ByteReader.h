#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace clip {

// Little-endian reads over a byte span with a sticky failure: once a read runs past the end,
// that read and every later one return zero and failed() stays true, so a parser can read a
// whole fixed record and check once at the record's end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t pos = 0)
        : m_bytes(bytes), m_pos(pos), m_failed(pos > bytes.size()) {}

    bool failed() const { return m_failed; }
    std::size_t pos() const { return m_pos; }
    std::size_t remaining() const { return m_failed ? 0 : m_bytes.size() - m_pos; }

    std::uint8_t u8() {
        if (!take(1))
            return 0;
        return m_bytes[m_pos - 1];
    }
    std::uint16_t u16() {
        if (!take(2))
            return 0;
        const std::uint8_t* p = &m_bytes[m_pos - 2];
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t u32() {
        if (!take(4))
            return 0;
        const std::uint8_t* p = &m_bytes[m_pos - 4];
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    void skip(std::size_t n) { take(n); }

private:
    bool take(std::size_t n) {
        if (m_failed || n > m_bytes.size() - m_pos) {
            m_failed = true;
            return false;
        }
        m_pos += n;
        return true;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos;
    bool m_failed;
};

// Builds a FOURCC from its four characters in file order.
constexpr std::uint32_t fourcc(const char (&s)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24);
}

}  // namespace clip
