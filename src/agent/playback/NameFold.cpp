#include "agent/playback/NameFold.h"

namespace playback {

namespace {

char lowerAscii(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    return static_cast<char>(c);
}

}  // namespace

std::string foldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // U+FF01..U+FF3F is EF BC 81..BF and U+FF40..U+FF5E is EF BD 80..9E in UTF-8; both
        // map onto U+0021..U+007E, 0xFEE0 lower.
        if (c == 0xEF && i + 2 < name.size()) {
            const auto b1 = static_cast<unsigned char>(name[i + 1]);
            const auto b2 = static_cast<unsigned char>(name[i + 2]);
            if (b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) {
                out.push_back(lowerAscii(static_cast<unsigned char>(b2 - 0x60)));
                i += 2;
                continue;
            }
            if (b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) {
                out.push_back(lowerAscii(static_cast<unsigned char>(b2 - 0x20)));
                i += 2;
                continue;
            }
        }
        out.push_back(lowerAscii(c));
    }
    return out;
}

}  // namespace playback
