#include "FrameRows.h"
#include "agent/desktop/CharacterWindow.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using desktop::CharacterWindow;

namespace {

using testsupport::frameFrom;

using Act = std::function<void(CharacterWindow&)>;

Act drag(QPoint at, QPoint by) {
    return [=](CharacterWindow& w) { testsupport::drag(w, at, by); };
}

}  // namespace

TEST(CharacterWindow, ShapeIsExactlyTheOpaquePixelsAtEveryScale) {
    const std::vector<std::vector<std::string>> frames = {
        {"#..", ".#.", "..#"},
        {"##..", "#..#", "....", ".##."},
        {"####", "####"},
        {"....", "...."},  // nothing opaque: the window must show no pixel at all
    };
    for (const auto& rows : frames) {
        const auto frame = frameFrom(rows);
        for (int scale : {1, 3}) {
            CharacterWindow window(frame->width, frame->height, scale);
            window.setFrame(frame);
            window.setFrame(frame);  // the same frame again keeps the shape
            ASSERT_EQ(window.size(), QSize(frame->width * scale, frame->height * scale));
            EXPECT_EQ(window.scaledFrameSize(), window.size());
            for (int y = 0; y < window.height(); ++y)
                for (int x = 0; x < window.width(); ++x)
                    EXPECT_EQ(window.shape().contains(QPoint(x, y)),
                              rows[y / scale][x / scale] == '#')
                        << rows.size() << " rows, scale " << scale << ", pixel " << x << "," << y;
            window.setFrame(nullptr);
            EXPECT_TRUE(window.shape().intersected(window.rect()).isEmpty());
        }
    }
}

TEST(CharacterWindow, AScaleDrawsSolidBlocksAndScalesClicks) {
    const std::vector<std::string> rows = {"#..", ".#.", "..#"};
    const auto frame = frameFrom(rows);
    for (int scale : {1, 2, 3, 4}) {
        CharacterWindow window(3, 3, scale);
        window.setFrame(frame);
        ASSERT_EQ(window.pixelScale(), scale);
        window.moveTo({100, 50});
        EXPECT_EQ(window.physicalPos(), QPoint(100, 50));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // Nearest neighbour: every block is one solid colour, no blend at the edges.
        const QImage shot = window.grab().toImage();
        for (int y = 0; y < 3 * scale; ++y) {
            for (int x = 0; x < 3 * scale; ++x) {
                if (rows[y / scale][x / scale] == '#') {
                    EXPECT_EQ(shot.pixelColor(x, y), QColor(200, 200, 200))
                        << "scale " << scale << " pixel " << x << "," << y;
                }
            }
        }
        QStringList lines;
        QObject::connect(&window, &CharacterWindow::clicked, [&lines](int, int, QPoint p) {
            lines << QString::asprintf("%d,%d", p.x(), p.y());
        });
        QTest::mouseClick(&window, Qt::RightButton, {}, QPoint(scale * 2 + scale / 2, scale * 2));
        EXPECT_EQ(lines, QStringList(QString::asprintf("%d,%d", 100 + scale * 2 + scale / 2,
                                                       50 + scale * 2)));
    }
    // Out-of-range scales fall back to the screen's own (ratio 1 here).
    EXPECT_EQ(CharacterWindow(3, 3, 5).pixelScale(), 1);
    EXPECT_EQ(CharacterWindow(3, 3, -1).pixelScale(), 1);
}

TEST(CharacterWindow, FramesArePreparedOnceAndUnchangedPicturesAreNotRepainted) {
    const auto a = frameFrom({"##..", "##..", "....", "...."});
    const auto aAgain = frameFrom({"##..", "##..", "....", "...."});  // same look, other key
    const auto b = frameFrom({"....", "....", "..##", "..##"});
    CharacterWindow window(4, 4);
    const auto show = [&window](std::uint64_t key, const std::shared_ptr<acs::ComposedFrame>& f) {
        window.showFrame(key, [f] { return f; });
    };
    show(1, a);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    const quint64 drawn = window.framesDrawn();
    EXPECT_GE(drawn, 1u);

    show(1, a);       // the key shown: nothing at all
    show(2, aAgain);  // prepared, but it looks the same: no repaint
    QTest::qWait(50);
    EXPECT_EQ(window.framesDrawn(), drawn);
    EXPECT_EQ(window.framesPrepared(), 2u);

    show(3, b);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.framesDrawn() > drawn; }, 1000));
    // Back and forth between cached frames composes nothing more.
    for (int i = 0; i < 10; ++i) {
        show(1, a);
        show(3, b);
    }
    EXPECT_EQ(window.framesPrepared(), 3u);
    EXPECT_TRUE(window.shape().contains(QPoint(3, 3)));
    EXPECT_FALSE(window.shape().contains(QPoint(0, 0)));
}

TEST(CharacterWindow, TheCacheIsBounded) {
    // 512x512 frames take 1 MB each prepared: far more of them than the cache may hold.
    const auto big = frameFrom(std::vector<std::string>(512, std::string(512, '#')));
    CharacterWindow window(512, 512);
    const auto show = [&](std::uint64_t key) { window.showFrame(key, [&big] { return big; }); };
    for (std::uint64_t key = 0; key < 64; ++key)
        show(key);
    show(63);  // the newest stay
    show(62);
    EXPECT_EQ(window.framesPrepared(), 64u);
    show(0);  // the oldest went
    EXPECT_EQ(window.framesPrepared(), 65u);
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
