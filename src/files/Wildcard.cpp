#include <cstdint>
#include <string_view>

#include "files/DirectoryWalk.h"

namespace files {

namespace {

// A character that only matches the same invalid byte: above every Unicode code point.
constexpr std::uint32_t kRawByteBase = 0x110000;
constexpr std::size_t kNoStar = static_cast<std::size_t>(-1);

// The lower-case partner of the capital letters users meet in file names. A full table would
// need ICU; these ranges cover what Office media and hand-made character folders contain.
std::uint32_t foldCase(std::uint32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

// Reads one character at `i` and moves `i` past it; returns its folded code point, or
// kRawByteBase + byte for a byte that does not start a valid, shortest UTF-8 sequence.
std::uint32_t nextChar(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        ++i;
        return (lead >= 'A' && lead <= 'Z') ? lead + 0x20u : lead;
    }
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length == 0 || s.size() - i < length) {
        ++i;
        return kRawByteBase + lead;
    }
    std::uint32_t code = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kRawByteBase + lead;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return kRawByteBase + lead;
    }
    i += length;
    return foldCase(code);
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = kNoStar;  // pattern position just after the last "*"
    std::size_t starN = 0;        // name position that "*" has swallowed up to
    while (n < name.size()) {
        if (p < pattern.size()) {
            if (pattern[p] == '*') {
                starP = ++p;
                starN = n;
                continue;
            }
            std::size_t nextP = p;
            std::size_t nextN = n;
            const bool any = pattern[p] == '?';
            const std::uint32_t pc = any ? (++nextP, 0u) : nextChar(pattern, nextP);
            const std::uint32_t nc = nextChar(name, nextN);
            if (any || pc == nc) {
                p = nextP;
                n = nextN;
                continue;
            }
        }
        if (starP == kNoStar) {
            return false;
        }
        // Let the last "*" swallow one more character and retry from there. Only the last star
        // needs backtracking, so this stays linear in practice (pattern length x name length
        // at worst).
        nextChar(name, starN);
        n = starN;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace files
