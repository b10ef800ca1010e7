#pragma once

#include "agent/acs/Character.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// A frame drawn as text, one string per row: '.' is transparent, '#' grey, 'r' red, 'b' blue.
inline std::shared_ptr<acs::ComposedFrame> frameFrom(const std::vector<std::string>& rows) {
    auto f = std::make_shared<acs::ComposedFrame>();
    f->width = static_cast<std::uint16_t>(rows.front().size());
    f->height = static_cast<std::uint16_t>(rows.size());
    for (const std::string& row : rows) {
        for (char c : row) {
            const bool opaque = c != '.';
            f->mask.push_back(opaque ? 1 : 0);
            const std::uint8_t rgb[3] = {std::uint8_t(c == 'r'   ? 220
                                                      : c == 'b' ? 30
                                                      : opaque   ? 200
                                                                 : 0),
                                         std::uint8_t(c == 'r' || c == 'b' ? 30
                                                      : opaque             ? 200
                                                                           : 0),
                                         std::uint8_t(c == 'b'   ? 220
                                                      : c == 'r' ? 30
                                                      : opaque   ? 200
                                                                 : 0)};
            f->rgba.insert(f->rgba.end(), rgb, rgb + 3);
            f->rgba.push_back(opaque ? 255 : 0);
        }
    }
    return f;
}

}  // namespace testsupport
