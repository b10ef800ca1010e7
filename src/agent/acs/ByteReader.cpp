#include "agent/acs/ByteReader.h"

#include <vector>

namespace acs {

ByteReader::ByteReader(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end)
    : m_file(file), m_pos(begin), m_end(end) {
    // A window that does not fit the file is a caller bug, but must not read out of bounds.
    if (m_end > m_file.size() || m_pos > m_end) {
        failAt(ErrorCode::BadLocator, begin, "block outside the file");
        m_end = m_pos = 0;
    }
}

void ByteReader::failAt(ErrorCode code, std::uint64_t offset, std::string detail) {
    if (m_error) {
        return;
    }
    m_error.code = code;
    m_error.offset = offset;
    m_error.detail = std::move(detail);
}

bool ByteReader::need(std::uint64_t n, const char* what) {
    if (m_error) {
        return false;
    }
    if (n > remaining()) {
        fail(ErrorCode::Truncated, std::string(what) + " runs past the end of its block");
        return false;
    }
    return true;
}

std::uint8_t ByteReader::u8() {
    if (!need(1, "byte")) {
        return 0;
    }
    return m_file[m_pos++];
}

std::uint16_t ByteReader::u16() {
    if (!need(2, "16-bit value")) {
        return 0;
    }
    const auto v = static_cast<std::uint16_t>(m_file[m_pos] | (m_file[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

std::uint32_t ByteReader::u32() {
    if (!need(4, "32-bit value")) {
        return 0;
    }
    const std::uint32_t v = std::uint32_t{m_file[m_pos]} | (std::uint32_t{m_file[m_pos + 1]} << 8) |
                            (std::uint32_t{m_file[m_pos + 2]} << 16) |
                            (std::uint32_t{m_file[m_pos + 3]} << 24);
    m_pos += 4;
    return v;
}

Guid ByteReader::guid() {
    Guid g;
    g.data1 = u32();
    g.data2 = u16();
    g.data3 = u16();
    for (auto& b : g.data4) {
        b = u8();
    }
    return g;
}

Rgb ByteReader::bgrx() {
    Rgb c;
    c.b = u8();
    c.g = u8();
    c.r = u8();
    (void)u8();
    return c;
}

Rgb ByteReader::rgbx() {
    Rgb c;
    c.r = u8();
    c.g = u8();
    c.b = u8();
    (void)u8();
    return c;
}

std::string ByteReader::string(bool strictTerminator) {
    const std::uint64_t start = m_pos;
    const std::uint64_t n = u32();
    if (!ok() || n == 0) {
        return {};
    }
    // n units plus the terminator; checked before anything is allocated.
    if (n + 1 > remaining() / 2) {
        failAt(ErrorCode::BadString, start,
               "string of " + std::to_string(n) + " units does not fit its block");
        return {};
    }
    std::vector<char16_t> units(static_cast<std::size_t>(n));
    for (auto& u : units) {
        u = static_cast<char16_t>(u16());
    }
    const std::uint16_t terminator = u16();
    if (strictTerminator && terminator != 0) {
        failAt(ErrorCode::BadString, m_pos - 2, "string terminator is not 0");
        return {};
    }
    return utf16ToUtf8(units);
}

std::span<const std::uint8_t> ByteReader::bytes(std::uint64_t n) {
    if (!need(n, "data block")) {
        return {};
    }
    auto s = m_file.subspan(static_cast<std::size_t>(m_pos), static_cast<std::size_t>(n));
    m_pos += n;
    return s;
}

bool ByteReader::checkCount(std::uint64_t count, std::uint64_t minSize, std::uint64_t limit,
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

std::string utf16ToUtf8(std::span<const char16_t> units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (std::uint32_t{units[i + 1]} - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    const auto byteAt = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    while (i < text.size()) {
        const std::uint8_t b = byteAt(i);
        std::uint32_t c = 0xFFFD;
        std::size_t len = 1;
        std::size_t extra = 0;
        std::uint32_t min = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1Fu, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0Fu, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07u, min = 0x10000;
        }
        if (extra > 0) {
            bool good = i + extra < text.size();
            for (std::size_t k = 1; good && k <= extra; ++k) {
                if ((byteAt(i + k) & 0xC0) != 0x80) {
                    good = false;
                } else {
                    c = (c << 6) | (byteAt(i + k) & 0x3Fu);
                }
            }
            if (good && c >= min && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF)) {
                len = extra + 1;
            } else {
                c = 0xFFFD;
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += len;
    }
    return out;
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return out;
}

}  // namespace acs
