#include "agent/desktop/CharacterWindow.h"
#include "agent/desktop/Texts.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
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
            f->mask.push_back(c == '#' ? 1 : 0);
            f->rgba.insert(f->rgba.end(), 4, c == '#' ? 200 : 0);
        }
    }
    return f;
}

using Act = std::function<void(CharacterWindow&)>;

// Left press, move by `by`, release.
Act drag(QPoint at, QPoint by) {
    return [=](CharacterWindow& w) {
        const auto send = [&w](QEvent::Type type, QPoint p, Qt::MouseButton b,
                               Qt::MouseButtons bs) {
            QMouseEvent e(type, QPointF(p), QPointF(w.mapToGlobal(p)), b, bs, Qt::NoModifier);
            QApplication::sendEvent(&w, &e);
        };
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, at + by, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at + by, Qt::LeftButton, {});
    };
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
        window.setFrame(frame);  // the same frame again keeps the shape
        ASSERT_EQ(window.size(), QSize(frame->width, frame->height));
        EXPECT_EQ(window.frame(), frame.get());
        for (int y = 0; y < frame->height; ++y)
            for (int x = 0; x < frame->width; ++x)
                EXPECT_EQ(window.mask().contains(QPoint(x, y)), rows[y][x] == '#')
                    << rows.size() << " rows, pixel " << x << "," << y;
        EXPECT_TRUE(window.mask().intersected(window.rect()) == desktop::opaqueRegion(*frame));
        window.setFrame(nullptr);
        EXPECT_TRUE(window.mask().intersected(window.rect()).isEmpty());
    }
}

TEST(CharacterWindow, MouseInputMapsToClickDoubleClickAndDrag) {
    const QPoint at(2, 1);  // global (102, 51) with the window at (100, 50)
    const auto click = [at](Qt::MouseButton b, Qt::KeyboardModifiers m = {}) -> Act {
        return [=](CharacterWindow& w) { QTest::mouseClick(&w, b, m, at); };
    };
    // Through the window system, as a real double click arrives: press, release, press,
    // double click, release.
    const auto dblClick = [at](Qt::MouseButton b) -> Act {
        return [=](CharacterWindow& w) { QTest::mouseDClick(w.windowHandle(), b, {}, at); };
    };
    const struct {
        const char* what;
        Act act;
        QStringList expected;
    } cases[] = {
        {"right click", click(Qt::RightButton), {"click 2 0 102,51"}},
        {"left click", click(Qt::LeftButton), {"click 1 0 102,51"}},
        {"middle click", click(Qt::MiddleButton), {"click 4 0 102,51"}},
        {"shift+ctrl+alt click",
         click(Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier),
         {"click 1 7 102,51"}},
        {"left double click", dblClick(Qt::LeftButton), {"click 1 0 102,51", "dbl 1 0 102,51"}},
        {"right double click", dblClick(Qt::RightButton), {"click 2 0 102,51", "dbl 2 0 102,51"}},
        {"left drag moves and does not click", drag(at, {30, 10}), {"drag 130,60"}},
        {"a twitch below the drag distance is still a click",
         drag(at, {1, 0}),
         {"click 1 0 103,51"}},
    };
    for (const auto& c : cases) {
        CharacterWindow window(8, 6);
        window.setFrame(frameFrom(std::vector<std::string>(6, "########")));
        window.move(100, 50);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QStringList lines;
        const auto record = [&lines](const char* kind) {
            return [&lines, kind](int b, int s, QPoint p) {
                lines << QString::asprintf("%s %d %d %d,%d", kind, b, s, p.x(), p.y());
            };
        };
        QObject::connect(&window, &CharacterWindow::clicked, record("click"));
        QObject::connect(&window, &CharacterWindow::doubleClicked, record("dbl"));
        QObject::connect(&window, &CharacterWindow::dragged, [&lines](QPoint p) {
            lines << QString::asprintf("drag %d,%d", p.x(), p.y());
        });
        c.act(window);
        EXPECT_EQ(lines.join(" | ").toStdString(), c.expected.join(" | ").toStdString()) << c.what;
    }
}

TEST(CharacterWindow, FramelessOnTopToolWindowThatReportsCloseFromOutsideAndStays) {
    CharacterWindow window(4, 4);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    window.show();
    QSignalSpy spy(&window, &CharacterWindow::closeRequested);
    EXPECT_FALSE(window.close());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(window.isVisible());
}

TEST(Texts, HideMenuItem) {
    EXPECT_EQ(QString::fromUtf16(desktop::texts::kHideMenuItem), QStringLiteral("隠す"));
}
