// The companion over the real desktop engine: what the user does to the character window
// reaches the remembered position.

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "TestCharacter.h"
#include "agent/desktop/DesktopAgentControl.h"
#include "agent/desktop/DesktopCharacter.h"
#include "app/character/MainForm.h"

namespace {

// A mouse event at the global position `global`, wherever the window is by then.
void sendMouse(QWidget& window, QEvent::Type type, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(window.mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

}  // namespace

TEST(DraggedPosition, IsWhereTheCharacterComesBackAfterQuitting) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    desktoptest::writeCharacter(desktoptest::makeCharacterData(), dir.path(),
                                QStringLiteral("1.bin"));
    fakes::FakePlatform fake{dir.path()};
    desktop::DesktopAgentControl::Config config;
    config.playback.idle = false;
    config.sound = false;
    config.trayIcon = false;
    desktop::DesktopAgentControl agent(config);
    app::Module1 state;
    state.charFiles = {QStringLiteral("1.bin")};
    state.charX = 100;
    state.charY = 50;
    app::Waiter waiter{fake.services, state};
    app::MainForm form{fake.services, state, waiter, agent, [] {}};

    fake.random.draws = {0.0f};  // the only file
    form.LoadRandomCharacter();
    desktop::DesktopCharacter* character = agent.desktopCharacter(QStringLiteral("d"));
    ASSERT_NE(character, nullptr);
    desktop::CharacterWindow& window = *character->window();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.isVisible() && !character->player().busy(); }, 5000));
    ASSERT_EQ(window.pos(), QPoint(100, 50));

    // Press on the red block, drag by (150, 90) in two moves, release.
    const QPoint at = window.mapToGlobal(QPoint(1, 1));
    sendMouse(window, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, at + QPoint(40, 10), Qt::NoButton, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, at + QPoint(150, 90), Qt::NoButton, Qt::LeftButton);
    sendMouse(window, QEvent::MouseButtonRelease, at + QPoint(150, 90), Qt::LeftButton, {});
    ASSERT_EQ(window.pos(), QPoint(250, 140));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.charX == 250 && state.charY == 140; }, 2000))
        << state.charX << "," << state.charY;

    form.おわり_Click();
    EXPECT_TRUE(fake.exit.ended);
    EXPECT_EQ(fake.settings.writes, QStringList({QStringLiteral("Agent/pos/x= 250"),
                                                 QStringLiteral("Agent/pos/y= 140")}));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
