// The character window on a real X server (run by tests/e2e/desktop/window-e2e.sh): frames go
// to the server once and the server paints them, so what is on the screen must be checked
// there, pixel by pixel, as outlines grow and shrink, after a move and after hide and show.
#include "FrameRows.h"
#include "agent/desktop/CharacterWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using desktop::CharacterWindow;
using testsupport::frameFrom;

namespace {

// The root window's colour (Xvfb -wr).
const QRgb kDesktop = qRgb(255, 255, 255);

// Pixels of the screen area of `window`'s frame that differ from `frame` drawn at `scale`
// (transparent pixels must show the desktop), described; empty when it all matches.
std::string mismatches(const CharacterWindow& window, const acs::ComposedFrame* frame, int scale) {
    const QPoint at = window.physicalPos();
    const QSize size = window.scaledFrameSize();
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, at.x(), at.y(), size.width(), size.height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    if (shot.size() != size)
        return "the screen shot is " + std::to_string(shot.width()) + "x" +
               std::to_string(shot.height());
    std::string out;
    int count = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            QRgb want = kDesktop;
            if (frame) {
                const std::size_t i =
                    std::size_t(y / scale) * frame->width + std::size_t(x / scale);
                if (frame->mask[i])
                    want = qRgb(frame->rgba[i * 4], frame->rgba[i * 4 + 1], frame->rgba[i * 4 + 2]);
            }
            const QRgb got = shot.pixel(x, y) | 0xff000000u;
            if (got != want && ++count <= 5)
                out += "(" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                       QColor(got).name().toStdString() + " not " +
                       QColor(want).name().toStdString() + "; ";
        }
    }
    return count ? std::to_string(count) + " pixels differ: " + out : std::string();
}

// Waits (the window manager places and maps windows in its own time) until the screen shows
// `frame`; the last difference when it never does.
std::string waitForScreen(const CharacterWindow& window, const acs::ComposedFrame* frame,
                          int scale) {
    std::string last;
    for (int i = 0; i < 100; ++i) {
        last = mismatches(window, frame, scale);
        if (last.empty())
            return last;
        QTest::qWait(50);
    }
    return last;
}

}  // namespace

TEST(CharacterWindowOnX11, TheScreenShowsEachFrameAsItsOutlineGrowsAndShrinks) {
    const auto small = frameFrom({"......", "..rr..", ".rrrr.", "..rr..", "......"});
    const auto large = frameFrom({"bbbbbb", "bb..bb", "b.##.b", "bb..bb", "bbbbbb"});
    const auto other = frameFrom({"r....b", "......", "..##..", "......", "b....r"});
    for (int scale : {1, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        CharacterWindow window(6, 5, scale);
        window.moveTo({40, 30});
        window.showFrame(1, [&] { return small; });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(waitForScreen(window, small.get(), scale), "");
        // Each change: new pixels inside the old outline and outside it, holes opening.
        const std::vector<std::pair<std::uint64_t, std::shared_ptr<acs::ComposedFrame>>> steps = {
            {2, large}, {1, small}, {3, other}, {2, large}, {4, nullptr}, {3, other}};
        for (const auto& [key, frame] : steps) {
            window.showFrame(key, [f = frame] { return f; });
            EXPECT_EQ(waitForScreen(window, frame.get(), scale), "") << "frame key " << key;
        }
        // Moving and hiding the window leaves the painting to the server: nothing is drawn.
        const quint64 drawn = window.framesDrawn();
        window.moveTo({200, 120});
        EXPECT_EQ(waitForScreen(window, other.get(), scale), "") << "after a move";
        window.hide();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(waitForScreen(window, other.get(), scale), "") << "after hide and show";
        EXPECT_EQ(window.framesDrawn(), drawn);
    }
}
