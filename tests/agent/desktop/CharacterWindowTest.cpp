#include "agent/desktop/CharacterWindow.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using desktop::CharacterWindow;

namespace {

// A frame from rows of '#' (opaque) and '.' (transparent).
std::shared_ptr<acs::ComposedFrame> frameFrom(const std::vector<std::string>& rows) {
    auto f = std::make_shared<acs::ComposedFrame>();
    f->width = static_cast<std::uint16_t>(rows.front().size());
    f->height = static_cast<std::uint16_t>(rows.size());
    for (const std::string& row : rows) {
        for (char c : row) {
            const bool opaque = c == '#';
            f->mask.push_back(opaque ? 1 : 0);
            for (int i = 0; i < 4; ++i)
                f->rgba.push_back(opaque ? 200 : 0);
        }
    }
    return f;
}

// Records the window's input signals as short lines.
struct Recorder {
    explicit Recorder(CharacterWindow& w) {
        QObject::connect(&w, &CharacterWindow::clicked, [this](int b, int s, QPoint at) {
            lines.push_back(
                QStringLiteral("click %1 %2 %3,%4").arg(b).arg(s).arg(at.x()).arg(at.y()));
        });
        QObject::connect(&w, &CharacterWindow::doubleClicked, [this](int b, int s, QPoint at) {
            lines.push_back(
                QStringLiteral("dbl %1 %2 %3,%4").arg(b).arg(s).arg(at.x()).arg(at.y()));
        });
        QObject::connect(&w, &CharacterWindow::dragged, [this](QPoint p) {
            lines.push_back(QStringLiteral("drag %1,%2").arg(p.x()).arg(p.y()));
        });
    }
    QStringList lines;
};

void send(QWidget& w, QEvent::Type type, QPoint local, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(w.mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

}  // namespace

TEST(CharacterWindow, ShapeIsExactlyTheOpaquePixels) {
    const std::vector<std::vector<std::string>> frames = {
        {"##..", "#..#", "....", ".##."},
        {"####", "####"},
        {"....", "...."},  // nothing opaque: the window must show no pixel at all
    };
    for (const auto& rows : frames) {
        const auto frame = frameFrom(rows);
        CharacterWindow window(frame->width, frame->height);
        window.setFrame(frame);
        ASSERT_EQ(window.size(), QSize(frame->width, frame->height));
        const QRegion shape = window.mask();
        for (int y = 0; y < frame->height; ++y) {
            for (int x = 0; x < frame->width; ++x) {
                EXPECT_EQ(shape.contains(QPoint(x, y)), rows[y][x] == '#')
                    << rows.size() << " rows, pixel " << x << "," << y;
            }
        }
        EXPECT_TRUE(window.mask().intersected(window.rect()) == desktop::opaqueRegion(*frame));
    }
}

TEST(CharacterWindow, SameFrameTwiceDoesNotReshape) {
    const auto frame = frameFrom({"#.", ".#"});
    CharacterWindow window(2, 2);
    window.setFrame(frame);
    window.setFrame(frame);
    EXPECT_EQ(window.frame(), frame.get());
    window.setFrame(nullptr);
    EXPECT_TRUE(window.mask().intersected(window.rect()).isEmpty());
}

TEST(CharacterWindow, MouseInputMapsToClickDoubleClickAndDrag) {
    struct Case {
        const char* what;
        std::function<void(CharacterWindow&)> act;
        QStringList expected;
    };
    const QPoint at(2, 1);  // global (102, 51) with the window at (100, 50)
    const std::vector<Case> cases = {
        {"right click",
         [&](CharacterWindow& w) { QTest::mouseClick(&w, Qt::RightButton, {}, at); },
         {"click 2 0 102,51"}},
        {"left click",
         [&](CharacterWindow& w) { QTest::mouseClick(&w, Qt::LeftButton, {}, at); },
         {"click 1 0 102,51"}},
        {"middle click",
         [&](CharacterWindow& w) { QTest::mouseClick(&w, Qt::MiddleButton, {}, at); },
         {"click 4 0 102,51"}},
        {"shift+ctrl+alt click",
         [&](CharacterWindow& w) {
             QTest::mouseClick(&w, Qt::LeftButton,
                               Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, at);
         },
         {"click 1 7 102,51"}},
        // Through the window system, as a real double click arrives: press, release, press,
        // double click, release.
        {"left double click",
         [&](CharacterWindow& w) { QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, at); },
         {"click 1 0 102,51", "dbl 1 0 102,51"}},
        {"right double click",
         [&](CharacterWindow& w) { QTest::mouseDClick(w.windowHandle(), Qt::RightButton, {}, at); },
         {"click 2 0 102,51", "dbl 2 0 102,51"}},
        {"left drag moves and does not click",
         [&](CharacterWindow& w) {
             send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
             send(w, QEvent::MouseMove, at + QPoint(30, 10), Qt::NoButton, Qt::LeftButton);
             send(w, QEvent::MouseButtonRelease, at + QPoint(30, 10), Qt::LeftButton, {});
         },
         {"drag 130,60"}},
        {"a twitch below the drag distance is still a click",
         [&](CharacterWindow& w) {
             send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
             send(w, QEvent::MouseMove, at + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
             send(w, QEvent::MouseButtonRelease, at + QPoint(1, 0), Qt::LeftButton, {});
         },
         {"click 1 0 103,51"}},
    };
    for (const Case& c : cases) {
        CharacterWindow window(8, 6);
        window.setFrame(frameFrom(std::vector<std::string>(6, "########")));
        window.move(100, 50);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        Recorder recorder(window);
        c.act(window);
        EXPECT_EQ(recorder.lines.join(" | ").toStdString(), c.expected.join(" | ").toStdString())
            << c.what;
    }
}

TEST(CharacterWindow, CloseFromOutsideIsReportedAndTheWindowStays) {
    CharacterWindow window(4, 4);
    window.show();
    QSignalSpy spy(&window, &CharacterWindow::closeRequested);
    EXPECT_FALSE(window.close());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(window.isVisible());
}

TEST(CharacterWindow, IsAFramelessAlwaysOnTopToolWindow) {
    CharacterWindow window(4, 4);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
}
