#include "bytes/Writer.h"

#include <limits>

namespace bytes {

void Writer::u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v & 0xFF));
    u8(static_cast<std::uint8_t>(v >> 8));
}

void Writer::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        u8(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
}

void Writer::tag(const char* text) {
    for (int i = 0; i < 4; ++i) {
        u8(static_cast<std::uint8_t>(text[i]));
    }
}

std::uint32_t Writer::clamp32(std::size_t v) {
    constexpr std::size_t kMax = std::numeric_limits<std::uint32_t>::max();
    if (v > kMax) {
        if (!m_error) {
            m_error = {ErrorCode::LimitExceeded, pos(),
                       std::to_string(v) + " does not fit a 32-bit field"};
        }
        return static_cast<std::uint32_t>(kMax);
    }
    return static_cast<std::uint32_t>(v);
}

void Writer::size32(std::size_t v) {
    u32(clamp32(v));
}

void Writer::patch32(std::size_t at, std::size_t v) {
    const std::uint32_t x = clamp32(v);
    for (int i = 0; i < 4; ++i) {
        m_bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x >> (8 * i));
    }
}

std::size_t Writer::openChunk(const char* id, const char* listType) {
    tag(id);
    const std::size_t at = pos();
    u32(0);
    if (listType != nullptr) {
        tag(listType);
    }
    return at;
}

void Writer::closeChunk(std::size_t at) {
    const std::size_t size = pos() - at - 4;
    patch32(at, size);
    if ((size & 1U) != 0) {
        u8(0);
    }
}

}  // namespace bytes
