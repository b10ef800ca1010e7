#include "bytes/Reader.h"

namespace bytes {

Reader::Reader(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end)
    : m_file(file), m_pos(begin), m_end(end) {
    // A window that does not fit the file is a caller bug, but must not read out of bounds.
    if (m_end > m_file.size() || m_pos > m_end) {
        failAt(ErrorCode::BadLocator, begin, "block outside the file");
        m_end = m_pos = 0;
    }
}

void Reader::failAt(ErrorCode code, std::uint64_t offset, std::string detail) {
    if (m_error) {
        return;
    }
    m_error.code = code;
    m_error.offset = offset;
    m_error.detail = std::move(detail);
}

bool Reader::need(std::uint64_t n, const char* what) {
    if (m_error) {
        return false;
    }
    if (n > remaining()) {
        fail(ErrorCode::Truncated, std::string(what) + " runs past the end of its block");
        return false;
    }
    return true;
}

std::uint8_t Reader::u8() {
    if (!need(1, "byte")) {
        return 0;
    }
    return m_file[m_pos++];
}

std::uint16_t Reader::u16() {
    if (!need(2, "16-bit value")) {
        return 0;
    }
    const std::uint16_t v = le16(m_file, static_cast<std::size_t>(m_pos));
    m_pos += 2;
    return v;
}

std::uint32_t Reader::u32() {
    if (!need(4, "32-bit value")) {
        return 0;
    }
    const std::uint32_t v = le32(m_file, static_cast<std::size_t>(m_pos));
    m_pos += 4;
    return v;
}

std::span<const std::uint8_t> Reader::bytes(std::uint64_t n) {
    if (!need(n, "data block")) {
        return {};
    }
    auto s = m_file.subspan(static_cast<std::size_t>(m_pos), static_cast<std::size_t>(n));
    m_pos += n;
    return s;
}

bool Reader::checkCount(std::uint64_t count, std::uint64_t minSize, std::uint64_t limit,
                        const char* what) {
    if (m_error) {
        return false;
    }
    // count <= remaining / minSize is the overflow-free form of count * minSize <= remaining.
    if (count > limit || (minSize > 0 && count > remaining() / minSize)) {
        fail(ErrorCode::LimitExceeded, std::to_string(count) + " " + what + " cannot fit in the " +
                                           std::to_string(remaining()) + " bytes left");
        return false;
    }
    return true;
}

}  // namespace bytes
