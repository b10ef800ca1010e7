#include "agent/acs/Fields.h"

#include <vector>

namespace acs {

Guid readGuid(bytes::Reader& r) {
    Guid g;
    g.data1 = r.u32();
    g.data2 = r.u16();
    g.data3 = r.u16();
    for (auto& b : g.data4) {
        b = r.u8();
    }
    return g;
}

Rgb readBgrx(bytes::Reader& r) {
    Rgb c;
    c.b = r.u8();
    c.g = r.u8();
    c.r = r.u8();
    (void)r.u8();
    return c;
}

Rgb readRgbx(bytes::Reader& r) {
    Rgb c;
    c.r = r.u8();
    c.g = r.u8();
    c.b = r.u8();
    (void)r.u8();
    return c;
}

std::string readString(bytes::Reader& r, bool strictTerminator) {
    const std::uint64_t start = r.pos();
    const std::uint64_t n = r.u32();
    if (!r.ok() || n == 0) {
        return {};
    }
    // n units plus the terminator; checked before anything is allocated.
    if (n + 1 > r.remaining() / 2) {
        r.failAt(bytes::ErrorCode::BadString, start,
                 "string of " + std::to_string(n) + " units does not fit its block");
        return {};
    }
    std::vector<char16_t> units(static_cast<std::size_t>(n));
    for (auto& u : units) {
        u = static_cast<char16_t>(r.u16());
    }
    const std::uint16_t terminator = r.u16();
    if (strictTerminator && terminator != 0) {
        r.failAt(bytes::ErrorCode::BadString, r.pos() - 2, "string terminator is not 0");
        return {};
    }
    return utf16ToUtf8(units);
}
void writeGuid(bytes::Writer& w, const Guid& g) {
    w.u32(g.data1);
    w.u16(g.data2);
    w.u16(g.data3);
    w.raw(g.data4);
}

void writeBgrx(bytes::Writer& w, const Rgb& c) {
    w.u8(c.b);
    w.u8(c.g);
    w.u8(c.r);
    w.u8(0);
}

void writeRgbx(bytes::Writer& w, const Rgb& c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.u8(0);
}

void writeString(bytes::Writer& w, std::string_view text) {
    const std::u16string units = utf8ToUtf16(text);
    w.size32(units.size());
    for (const char16_t u : units) {
        w.u16(u);
    }
    if (!units.empty()) {
        w.u16(0);
    }
}

void writeDatablock(bytes::Writer& w, std::span<const std::uint8_t> data) {
    w.size32(data.size());
    w.raw(data);
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
