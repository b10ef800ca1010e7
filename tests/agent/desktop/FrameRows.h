#pragma once

#include "agent/acs/Character.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

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
            const auto level = [&](char strong, char weak) {
                return std::uint8_t(c == strong ? 220 : c == weak ? 30 : opaque ? 200 : 0);
            };
            f->mask.push_back(opaque ? 1 : 0);
            const auto green = std::uint8_t(c == 'r' || c == 'b' ? 30 : opaque ? 200 : 0);
            f->rgba.insert(f->rgba.end(), {level('r', 'b'), green, level('b', 'r'),
                                           std::uint8_t(opaque ? 255 : 0)});
        }
    }
    return f;
}

// A left-button drag on `w`: press at `at`, move by `by`, release there.
inline void drag(QWidget& w, QPoint at, QPoint by) {
    const auto send = [&w](QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons bs) {
        QMouseEvent e(type, QPointF(p), QPointF(w.mapToGlobal(p)), b, bs, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, at + by, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at + by, Qt::LeftButton, {});
}

}  // namespace testsupport
