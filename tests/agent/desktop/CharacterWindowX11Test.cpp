// The character window on a real X server (run by tests/e2e/desktop/window-e2e.sh): frames go
// to the server once and the server paints them, so what is on the screen must be checked
// there, pixel by pixel, as outlines grow and shrink, after a move and after hide and show.
#include "FrameRows.h"
#include "TestCharacter.h"
#include "agent/desktop/CharacterWindow.h"
#include "agent/desktop/DesktopAgentControl.h"
#include "agent/desktop/DesktopCharacter.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
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

// Places `window` at `at`, shows it with `frame` under key 0 and waits until the screen does.
void showAt(CharacterWindow& window, QPoint at, std::shared_ptr<acs::ComposedFrame> frame,
            int scale) {
    window.moveTo(at);
    window.showFrame(0, [frame] { return frame; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(waitForScreen(window, frame.get(), scale), "");
}

}  // namespace

TEST(CharacterWindowOnX11, TheScreenShowsEachFrameAsItsOutlineGrowsAndShrinks) {
    const auto small = frameFrom({"......", "..rr..", ".rrrr.", "..rr..", "......"});
    const auto large = frameFrom({"bbbbbb", "bb..bb", "b.##.b", "bb..bb", "bbbbbb"});
    const auto other = frameFrom({"r....b", "......", "..##..", "......", "b....r"});
    for (int scale : {1, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        CharacterWindow window(6, 5, scale);
        showAt(window, {40, 30}, small, scale);
        // Each change: new pixels inside the old outline and outside it, holes opening.
        const std::vector<std::pair<std::uint64_t, std::shared_ptr<acs::ComposedFrame>>> steps = {
            {2, large}, {0, small}, {3, other}, {2, large}, {4, nullptr}, {3, other}};
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

namespace {

using FramePtr = std::shared_ptr<acs::ComposedFrame>;

// Which of `frames` the screen shows at `window`'s place: its index, or -1.
int shownIndex(const CharacterWindow& window, const std::vector<FramePtr>& frames) {
    for (std::size_t f = 0; f < frames.size(); ++f) {
        if (mismatches(window, frames[f].get(), 1).empty())
            return static_cast<int>(f);
    }
    return -1;
}

// Watches the screen until it shows `frames[until]` (or 5 s pass) and returns the indexes of
// the frames it showed on the way, in order, each once. A sample that matches none is skipped:
// the server may be between the requests of one change (new picture, old outline). Ends with
// -1 when `until` never showed.
std::vector<int> watchUntil(const CharacterWindow& window, const std::vector<FramePtr>& frames,
                            int until) {
    std::vector<int> seen;
    for (int i = 0; i < 500 && (seen.empty() || seen.back() != until); ++i) {
        const int now = shownIndex(window, frames);
        if (now >= 0 && (seen.empty() || seen.back() != now))
            seen.push_back(now);
        QTest::qWait(10);
    }
    if (seen.empty() || seen.back() != until)
        seen.push_back(-1);  // never came
    return seen;
}

CharacterWindow::AheadFrame ahead(int atMs, const std::vector<FramePtr>& frames, int index) {
    return {atMs, static_cast<std::uint64_t>(index),
            [f = frames[std::size_t(index)]] { return f; }};
}

}  // namespace

TEST(CharacterWindowOnX11, FramesHandedAheadShowInTurnAndACancelledRestNever) {
    const std::vector<FramePtr> frames = {
        frameFrom({"rrrrrr", "r....r", "r....r", "r....r", "rrrrrr"}),
        frameFrom({"......", ".bbbb.", ".b..b.", ".bbbb.", "......"}),
        frameFrom({"##....", "##....", "##....", "##....", "##...."}),
        frameFrom({"....bb", "....bb", "....bb", "....bb", "....bb"}),
        frameFrom({"r.r.r.", ".r.r.r", "r.r.r.", ".r.r.r", "r.r.r."})};
    CharacterWindow window(6, 5, 1);
    showAt(window, {60, 40}, frames[0], 1);

    // The server shows them by itself, in turn; sampling may miss one, never reorder them.
    const quint64 drawn = window.framesDrawn();
    ASSERT_EQ(
        window.showAhead({ahead(150, frames, 1), ahead(300, frames, 2), ahead(450, frames, 3)}),
        3u);
    EXPECT_EQ(window.framesDrawn(), drawn + 3);
    const std::vector<int> seen = watchUntil(window, frames, 3);
    ASSERT_EQ(seen.back(), 3) << mismatches(window, frames[3].get(), 1);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << ::testing::PrintToString(seen);

    // Cancelled before they were due, frames 0 and 1 must never show, not even at their time:
    // frame 4 comes after that time.
    ASSERT_EQ(window.showAhead({ahead(300, frames, 0), ahead(600, frames, 1)}), 2u);
    window.cancelAhead();
    window.showFrame(2, [&] { return frames[2]; });
    const std::vector<int> cancelled = watchUntil(window, frames, 2);
    ASSERT_EQ(cancelled.back(), 2) << mismatches(window, frames[2].get(), 1);
    EXPECT_EQ(std::count(cancelled.begin(), cancelled.end(), 0) +
                  std::count(cancelled.begin(), cancelled.end(), 1),
              0)
        << ::testing::PrintToString(cancelled);
    ASSERT_EQ(window.showAhead({ahead(900, frames, 4)}), 1u);
    const std::vector<int> after = watchUntil(window, frames, 4);
    EXPECT_EQ(after, (std::vector<int>{2, 4}));
}

// A request while the server works through frames handed ahead cuts them: from then on the
// screen shows what the player shows, never a frame of the animation that was cut.
TEST(CharacterOnX11, ARequestCutsTheFramesHandedAhead) {
    acs::CharacterData data = desktoptest::makeCharacterData();
    acs::Animation spin;
    spin.name = spin.recordName = "Spin";
    for (std::int16_t x : {0, 2, 4, 6}) {  // the green dot walks along the bottom row
        spin.frames.emplace_back().images = {{1, x, 5}};
        spin.frames.back().duration = 10;
    }
    spin.frames.back().branches.push_back({0, 100});  // and round again, for ever
    data.animations.push_back(spin);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    desktop::DesktopAgentControl control({.playback = {.idle = false}, .sound = false, .scale = 1});
    QString error;
    ASSERT_TRUE(control.load("c", desktoptest::writeCharacter(data, dir.path(), "c.acs"), &error))
        << error.toStdString();
    desktop::DesktopCharacter* c = control.desktopCharacter("c");
    c->setLeft(80);
    c->setTop(60);
    c->show();
    ASSERT_TRUE(QTest::qWaitFor([c] { return !c->player().busy(); }, 5000));
    CharacterWindow& window = *c->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    std::vector<FramePtr> frames;  // Spin's four, then RestPose's
    const std::size_t spinIndex = *c->model().findAnimation("Spin");
    for (std::size_t f = 0; f < 4; ++f)
        frames.push_back(
            std::const_pointer_cast<acs::ComposedFrame>(c->model().composeFrame(spinIndex, f)));
    frames.push_back(std::const_pointer_cast<acs::ComposedFrame>(
        c->model().composeFrame(*c->model().findAnimation("RestPose"), 0)));
    const quint64 before = window.framesDrawn();
    c->play("Spin");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.framesDrawn() >= before + 8; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const int shown = shownIndex(window, frames);
            return shown >= 0 && shown < 4;  // Spin is on the screen
        },
        5000));

    c->stopAll();
    c->play("RestPose");
    const std::vector<int> seen = watchUntil(window, frames, 4);
    ASSERT_EQ(seen.back(), 4) << mismatches(window, frames[4].get(), 1);
    EXPECT_LE(seen.size(), 2u) << "Spin went on: " << ::testing::PrintToString(seen);
}
