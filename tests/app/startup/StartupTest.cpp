#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/startup/Startup.h"
#include "app/startup/TitleScreen.h"

namespace {

using testsupport::writeFile;
using testsupport::writeFiles;

TEST(Catalogue, TakesEveryOrdinaryBinFileAndNothingElse) {
    QTemporaryDir dir;
    for (int i = 1; i <= 150; ++i)
        writeFile(dir.filePath(QStringLiteral("%1.bin").arg(i)), "");
    writeFiles(dir.path(),
               {{"UPPER.BIN", {}}, {".hidden.bin", {}}, {"notes.txt", {}}, {"folder.bin/", {}}});
    const QStringList names = app::catalogueCharacterFiles(dir.path());
    EXPECT_EQ(names.size(), 151);  // more than 99 is fine
    EXPECT_TRUE(names.contains(QStringLiteral("UPPER.BIN")));
    EXPECT_FALSE(names.contains(QStringLiteral(".hidden.bin")));
    EXPECT_FALSE(names.contains(QStringLiteral("folder.bin")));
}

struct StartupRun {
    QTemporaryDir dir;
    fakes::FakePlatform fake{dir.path()};
    app::SharedState state;
    app::Waiter waiter{fake.services, state};
    std::unique_ptr<platform::IntervalTimer> animationTimer = fake.timers.createTimer();
    int wizardRuns = 0;
    int loads = 0;

    bool run() {
        app::StartupHooks hooks;
        hooks.createTitleScreen = [] { return std::make_unique<QWidget>(); };
        hooks.runSetupWizard = [this] {
            ++wizardRuns;
            EXPECT_GE(fake.timers.now, 2000);  // only after the two-second title
        };
        hooks.loadRandomCharacter = [this] { ++loads; };
        return app::MainForm_Load(fake.services, state, waiter, *animationTimer, hooks);
    }
};

TEST(Startup, EmptyFolderShowsNotInstalledAndEnds) {
    StartupRun run;
    EXPECT_FALSE(run.run());
    EXPECT_EQ(run.wizardRuns, 1);
    ASSERT_EQ(run.fake.messages.boxes.size(), 1u);
    const auto& box = run.fake.messages.boxes[0];
    EXPECT_EQ(box.text, QStringLiteral("キャラクターがインストールされていません"));
    EXPECT_EQ(box.icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(run.fake.exit.ended);
    EXPECT_EQ(run.loads, 0);
    EXPECT_TRUE(run.fake.settings.writes.isEmpty());  // nothing saved
}

TEST(Startup, FirstRunPlacesTheCharacterAtTheScreenCentre) {
    StartupRun run;
    run.fake.screen.width = 1365;
    writeFile(run.dir.filePath(QStringLiteral("1.bin")), "");
    EXPECT_TRUE(run.run());
    EXPECT_EQ(run.state.charFiles, QStringList{"1.bin"});
    EXPECT_DOUBLE_EQ(run.state.charX, 682.5);
    EXPECT_DOUBLE_EQ(run.state.charY, 384);
    EXPECT_EQ(run.loads, 1);
    EXPECT_EQ(run.fake.random.seeds, 1);
    EXPECT_EQ(run.animationTimer->interval(), 0);
}

TEST(Startup, SkipsTheWizardOnceSetupIsDoneAndReadsTheRememberedPosition) {
    StartupRun run;
    run.fake.settings.values = {
        {"Agent/ver99/1_0", "True"}, {"Agent/pos/x", " 683.5"}, {"Agent/pos/y", "junk"}};
    writeFile(run.dir.filePath(QStringLiteral("7.bin")), "");
    EXPECT_TRUE(run.run());
    EXPECT_EQ(run.wizardRuns, 0);
    EXPECT_DOUBLE_EQ(run.state.charX, 683.5);
    EXPECT_DOUBLE_EQ(run.state.charY, 0);
}

TEST(TitleScreen, ClosesOnAKeyOrAFrameClickButNotOnALabel) {
    app::TitleScreen title;
    title.show();
    QTest::mouseClick(title.lblProductName, Qt::LeftButton);
    QTest::mouseClick(title.imgLogo, Qt::LeftButton);
    EXPECT_TRUE(title.isVisible());
    QTest::keyClick(&title, Qt::Key_Shift);  // produces no character
    EXPECT_TRUE(title.isVisible());
    QTest::mouseClick(title.Frame1, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(title.isVisible());

    title.show();
    QTest::keyClick(&title, Qt::Key_A);
    EXPECT_FALSE(title.isVisible());
}

}  // namespace
