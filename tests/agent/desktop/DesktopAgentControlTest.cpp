#include "FrameRows.h"
#include "TestCharacter.h"

#include "agent/desktop/DesktopAgentControl.h"
#include "agent/desktop/DesktopCharacter.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using desktop::DesktopAgentControl;
using desktop::DesktopCharacter;

namespace {

DesktopAgentControl::Config quietConfig(int scale = 0) {
    return {.playback = {.idle = false}, .sound = false, .scale = scale};
}

class DesktopAgentControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = desktoptest::writeCharacter(desktoptest::makeCharacterData(), m_dir.path(),
                                             QStringLiteral("1.bin"));
        m_control = std::make_unique<DesktopAgentControl>(quietConfig());
        m_control->setClickHandler([this](const QString& id, std::int16_t b, std::int16_t s,
                                          std::int16_t x, std::int16_t y) {
            events << id + QString::asprintf(" click %d %d %d,%d", b, s, x, y);
        });
        m_control->setDblClickHandler([this](const QString& id, std::int16_t b, auto, auto, auto) {
            events << id + " dbl " + QString::number(b);
        });
        m_control->setHideHandler([this](const QString& id, std::int16_t cause) {
            events << id + " hide " + QString::number(cause);
        });
    }

    DesktopCharacter* loadShown() { return loadShown(*m_control); }
    DesktopCharacter* loadShown(DesktopAgentControl& control) {
        QString error;
        EXPECT_TRUE(control.load(QStringLiteral("d"), m_path, &error)) << error.toStdString();
        DesktopCharacter* c = control.desktopCharacter(QStringLiteral("d"));
        if (c == nullptr)
            return nullptr;
        c->setLeft(100);
        c->setTop(50);
        show(c);
        EXPECT_TRUE(QTest::qWaitFor([c] { return !c->player().busy(); }, 2000));
        return c;
    }
    void show(DesktopCharacter* c) {
        events.clear();
        c->show();
        EXPECT_TRUE(QTest::qWaitFor([c] { return c->window()->isVisible(); }, 2000));
    }
    // The events raised within `ms`, once at least one arrived.
    QStringList eventsAfter(int ms = 2000) {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !events.isEmpty(); }, ms));
        return events;
    }

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<DesktopAgentControl> m_control;
    QStringList events;
};

}  // namespace

TEST_F(DesktopAgentControlTest, LoadGivesTheNamesInDirectoryOrderOrAOneLineReason) {
    const auto file = [this](const char* name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    };
    const QString bad[] = {m_dir.filePath(QStringLiteral("missing.bin")), file("empty.bin", {}),
                           file("garbage.bin", "\xC3\xAB\xCD\xAB only the signature, no character"),
                           m_dir.path()};
    for (const QString& path : bad) {
        QString error;
        EXPECT_FALSE(m_control->load(QStringLiteral("d"), path, &error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty()) << path.toStdString();
        EXPECT_FALSE(error.contains(QLatin1Char('\n'))) << error.toStdString();
        EXPECT_EQ(m_control->character(QStringLiteral("d")), nullptr);
    }
    ASSERT_TRUE(m_control->load(QStringLiteral("d"), m_path, nullptr));
    app::AgentCharacter* c = m_control->character(QStringLiteral("d"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->animationNames(),
              QStringList({"Show", "Hide", "RestPose", "Wave", "Empty", "Loop"}));
    EXPECT_EQ(m_control->character(QStringLiteral("x")), nullptr);
    // An ID already in use is refused; the first character stays.
    QString error;
    EXPECT_FALSE(m_control->load(QStringLiteral("d"), m_path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(m_control->character(QStringLiteral("d")), c);
}

TEST_F(DesktopAgentControlTest, ShownCharacterIsShapedPlacedAtOnceAndGlides) {
    DesktopCharacter* c = loadShown();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->window()->pos(), QPoint(100, 50));
    const auto shown = c->model().composeFrame(0, 0);  // Show's only frame
    EXPECT_TRUE(c->window()->shape().intersected(c->window()->rect()) ==
                desktop::opaqueRegion(*shown));
    // Nothing plays and idling is off: no timer may run.
    EXPECT_FALSE(c->timerActive());
    c->setLeft(-20);
    EXPECT_EQ(c->window()->pos(), QPoint(-20, 50));
    EXPECT_EQ(c->left(), -20);
    c->moveTo(160, 90);
    EXPECT_TRUE(QTest::qWaitFor([c] { return c->left() == 160 && c->top() == 90; }, 3000));
    EXPECT_EQ(c->window()->pos(), QPoint(160, 90));
}

TEST_F(DesktopAgentControlTest, FrameSizeIsTheCharactersTimesTheScaleAndPositionsStayInPixels) {
    DesktopAgentControl scaled(quietConfig(3));  // the test character is 8x6
    DesktopCharacter* big = loadShown(scaled);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->frameSize(), QSize(24, 18));
    EXPECT_EQ(big->window()->size(), QSize(24, 18));
    EXPECT_EQ(big->window()->pos(), QPoint(100, 50));
    EXPECT_EQ(big->window()->pixelScale(), 3);  // the window draws the blocks (tested there)
    // A drag reports where the frame now stands; the character stays there.
    testsupport::drag(*big->window(), {4, 4}, {30, 20});
    EXPECT_EQ(big->left(), 130);
    EXPECT_EQ(big->top(), 70);
}

TEST_F(DesktopAgentControlTest, MouseEventsReachTheHandlersFromTheEventLoop) {
    DesktopCharacter* c = loadShown();
    ASSERT_NE(c, nullptr);
    QTest::mouseClick(c->window(), Qt::RightButton, Qt::ShiftModifier, QPoint(2, 2));
    EXPECT_TRUE(events.isEmpty());  // posted, not raised inside the input handler
    QTest::mouseDClick(c->window()->windowHandle(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([this] { return events.size() >= 3; }, 1000));
    EXPECT_EQ(events, QStringList({"d click 2 1 102,52", "d click 1 0 102,52", "d dbl 1"}));
}

TEST_F(DesktopAgentControlTest, HideCauseIsUserFromOutsideProgramOnlyWhileLoadedAndUnloadCancels) {
    DesktopCharacter* c = loadShown();
    ASSERT_NE(c, nullptr);
    c->play(QStringLiteral("Loop"));
    c->window()->close();
    EXPECT_FALSE(c->window()->isVisible());
    EXPECT_EQ(eventsAfter(1000), QStringList({"d hide 1"}));

    show(c);
    c->hideByUser();  // the tray icon's menu
    EXPECT_EQ(eventsAfter(), QStringList({"d hide 1"}));

    show(c);
    c->hide();
    EXPECT_EQ(eventsAfter(), QStringList({"d hide 3"}));
    EXPECT_FALSE(c->window()->isVisible());

    // The program's usual change of character: hide, then unload straight away. Unloading
    // cancels everything pending: the hide under way, the requests queued behind it (a loop
    // that never ends, a glide) and a click already posted.
    show(c);
    c->hide();
    c->play(QStringLiteral("loop"));
    c->moveTo(400, 300);
    QPointer<desktop::CharacterWindow> window = c->window();
    QTest::mouseClick(window, Qt::RightButton, {}, QPoint(2, 2));
    m_control->unload(QStringLiteral("d"));
    EXPECT_EQ(m_control->character(QStringLiteral("d")), nullptr);
    EXPECT_TRUE(window.isNull() || !window->isVisible());

    // A new character under the same ID must not receive the old one's event either.
    ASSERT_TRUE(m_control->load(QStringLiteral("d"), m_path, nullptr));
    QTest::qWait(300);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(window.isNull());
}
