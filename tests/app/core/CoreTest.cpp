#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/core/AppSettings.h"
#include "app/core/Module1.h"
#include "app/core/Startup.h"
#include "app/core/TitleScreen.h"

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(NumberFormat, WritesLeadingBlankForNonNegativeAndFractionOnlyWhenPresent) {
    EXPECT_EQ(app::formatNumber(512), QStringLiteral(" 512"));
    EXPECT_EQ(app::formatNumber(683.5), QStringLiteral(" 683.5"));
    EXPECT_EQ(app::formatNumber(-20), QStringLiteral("-20"));
    EXPECT_EQ(app::formatNumber(0), QStringLiteral(" 0"));
    EXPECT_EQ(app::formatNumber(-0.25), QStringLiteral("-0.25"));
}

TEST(NumberFormat, ReadsTheNumberAtTheStartAndIgnoresTheRest) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {" 683.5", 683.5}, {"512", 512},    {"  -20", -20},  {"12abc", 12},
        {"abc", 0},        {"", 0},         {"1e3x", 1000},  {"-", 0},
        {".5", 0.5},       {"7.", 7},       {"3e", 3},       {" +4 5", 4},
        {"\t9", 9},        {"1e-3", 0.001}, {"2.5E+2", 250}, {"-1e-3x", -0.001},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(app::leadingNumber(QString::fromLatin1(c.text)), c.value) << c.text;
    }
}

TEST(NumberFormat, RoundsPositionsHalfToEvenAndClampsTo16Bits) {
    EXPECT_EQ(app::toPosition(683.5), 684);
    EXPECT_EQ(app::toPosition(682.5), 682);
    EXPECT_EQ(app::toPosition(-20.5), -20);
    EXPECT_EQ(app::toPosition(40000), 32767);
    EXPECT_EQ(app::toPosition(-40000), -32768);
}

TEST(Settings, SetupFlagAcceptsBooleanWordsAndNumbersOnly) {
    EXPECT_TRUE(app::settingToBool(QStringLiteral("True")));
    EXPECT_TRUE(app::settingToBool(QStringLiteral("true")));
    EXPECT_TRUE(app::settingToBool(QStringLiteral("-1")));
    EXPECT_FALSE(app::settingToBool(QStringLiteral("False")));
    EXPECT_FALSE(app::settingToBool(QStringLiteral("0")));
    EXPECT_FALSE(app::settingToBool(QStringLiteral("")));
    EXPECT_FALSE(app::settingToBool(QStringLiteral("yes please")));
}

TEST(Settings, StoresPositionsInTheExactTextFormat) {
    fakes::FakeSettings store;
    app::AppSettings settings(store);
    settings.writePosition(683.5, -20);
    EXPECT_EQ(store.writes, QStringList({QStringLiteral("Agent/pos/x= 683.5"),
                                         QStringLiteral("Agent/pos/y=-20")}));
    EXPECT_DOUBLE_EQ(settings.readPosition("x", 1.0f), 683.5);
    settings.markSetupDone();
    EXPECT_EQ(store.values.value(QStringLiteral("Agent/ver99/1_0")), QStringLiteral("True"));
    EXPECT_TRUE(settings.setupDone());
}

TEST(Settings, DisplayScaleIsAutoOrOneToFourAndAnythingElseCountsAsAuto) {
    fakes::FakeSettings store;
    app::AppSettings settings(store);
    EXPECT_EQ(settings.displayScale(), 0);  // absent
    const struct {
        const char* text;
        int scale;
    } cases[] = {{"auto", 0}, {"1", 1},  {"2", 2},   {" 3 ", 3}, {"4", 4}, {"0", 0},
                 {"5", 0},    {"-2", 0}, {"2.5", 0}, {"x2", 0},  {"", 0}};
    for (const auto& k : cases) {
        store.values[QStringLiteral("Agent/display/scale")] = QString::fromLatin1(k.text);
        EXPECT_EQ(settings.displayScale(), k.scale) << k.text;
    }
}

TEST(Wait, NestedWaitEndsWithTheOuterOneAtTheFirstTick) {
    fakes::FakePlatform fake;
    app::Module1 state;
    app::Waiter waiter(fake.services, state);
    bool nested = false;
    long long innerEnd = -1;
    fake.events.onPump = [&](int) {
        if (!nested && fake.timers.now >= 500) {
            nested = true;
            waiter.WaitSeconds(1);  // restarts wt: ends 1 s from now
            innerEnd = fake.timers.now;
        }
    };
    waiter.WaitSeconds(3);
    EXPECT_TRUE(nested);
    // The inner wait started at 500 ms and restarted the timer for one second; the outer wait
    // ended at the same tick instead of at 3 s.
    EXPECT_EQ(innerEnd, 1500);
    EXPECT_LT(fake.timers.now, 3000);
    EXPECT_EQ(state.waitFlag, 0);
    EXPECT_EQ(waiter.wt().interval(), 0);
}

TEST(Wait, ZeroOrNegativeSecondsReturnAtOnce) {
    fakes::FakePlatform fake;
    app::Module1 state;
    app::Waiter waiter(fake.services, state);
    waiter.WaitSeconds(0);
    waiter.WaitSeconds(-3);
    EXPECT_EQ(fake.events.pumps, 0);
}

TEST(Installers, DeletesOnlyWhatIsThereAndReportsNothing) {
    QTemporaryDir dir;
    fakes::FakePlatform fake(dir.path());
    app::DeleteInstallers(fake.services);  // none present: nothing happens
    touch(dir.filePath(QStringLiteral("3.exe")));
    touch(dir.filePath(QStringLiteral("6.exe")));
    app::DeleteInstallers(fake.services);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("3.exe"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("6.exe"))));
    EXPECT_TRUE(fake.messages.boxes.empty());
}

TEST(ProgramFolder, FixedNamesFindFilesThatDifferOnlyInCase) {
    QTemporaryDir dir;
    fakes::FakePlatform fake(dir.path());
    const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    touch(path("Filecopy.avi"));
    touch(path("2.BIN"));
    touch(path("1.exe"));
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("filecopy.avi")),
              path("Filecopy.avi"));
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("2.bin")), path("2.BIN"));
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("1.exe")), path("1.exe"));
    // Nothing of the name yet: the name as the program spells it, to be created.
    EXPECT_EQ(app::programFile(fake.services, QStringLiteral("4.exe")), path("4.exe"));

    touch(path("3.EXE"));
    touch(path("5.Exe"));
    touch(path("1.EXE"));
    app::DeleteInstallers(fake.services);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              QStringList({QStringLiteral("2.BIN"), QStringLiteral("Filecopy.avi")}));
}

TEST(Catalogue, TakesEveryOrdinaryBinFileAndNothingElse) {
    QTemporaryDir dir;
    EXPECT_TRUE(app::catalogueCharacterFiles(dir.path()).isEmpty());
    touch(dir.filePath(QStringLiteral("1.bin")));
    EXPECT_EQ(app::catalogueCharacterFiles(dir.path()), QStringList{QStringLiteral("1.bin")});
    for (int i = 2; i <= 150; ++i) {
        touch(dir.filePath(QStringLiteral("%1.bin").arg(i)));
    }
    touch(dir.filePath(QStringLiteral("UPPER.BIN")));
    touch(dir.filePath(QStringLiteral(".hidden.bin")));
    touch(dir.filePath(QStringLiteral("notes.txt")));
    QDir(dir.path()).mkdir(QStringLiteral("folder.bin"));
    const QStringList names = app::catalogueCharacterFiles(dir.path());
    EXPECT_EQ(names.size(), 151);  // more than 99 is fine
    EXPECT_TRUE(names.contains(QStringLiteral("UPPER.BIN")));
    EXPECT_FALSE(names.contains(QStringLiteral(".hidden.bin")));
    EXPECT_FALSE(names.contains(QStringLiteral("folder.bin")));
}

struct StartupRun {
    QTemporaryDir dir;
    fakes::FakePlatform fake{dir.path()};
    app::Module1 state;
    app::Waiter waiter{fake.services, state};
    std::unique_ptr<platform::IntervalTimer> animationTimer = fake.timers.createTimer();
    int wizardRuns = 0;
    int loads = 0;
    long long titleClosedAt = -1;

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
    EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
    EXPECT_TRUE(box.caption.isEmpty());  // the application title
    EXPECT_TRUE(run.fake.exit.ended);
    EXPECT_EQ(run.loads, 0);
    EXPECT_TRUE(run.fake.settings.writes.isEmpty());  // nothing saved
}

TEST(Startup, FirstRunPlacesTheCharacterAtTheScreenCentre) {
    StartupRun run;
    run.fake.screen.width = 1365;
    touch(run.dir.filePath(QStringLiteral("1.bin")));
    EXPECT_TRUE(run.run());
    EXPECT_EQ(run.state.charFiles, QStringList{QStringLiteral("1.bin")});
    EXPECT_DOUBLE_EQ(run.state.charX, 682.5);
    EXPECT_DOUBLE_EQ(run.state.charY, 384);
    EXPECT_EQ(run.loads, 1);
    EXPECT_EQ(run.fake.random.seeds, 1);
    EXPECT_EQ(run.animationTimer->interval(), 0);
}

TEST(Startup, SkipsTheWizardOnceSetupIsDoneAndReadsTheRememberedPosition) {
    StartupRun run;
    run.fake.settings.values[QStringLiteral("Agent/ver99/1_0")] = QStringLiteral("True");
    run.fake.settings.values[QStringLiteral("Agent/pos/x")] = QStringLiteral(" 683.5");
    run.fake.settings.values[QStringLiteral("Agent/pos/y")] = QStringLiteral("junk");
    touch(run.dir.filePath(QStringLiteral("7.bin")));
    EXPECT_TRUE(run.run());
    EXPECT_EQ(run.wizardRuns, 0);
    EXPECT_DOUBLE_EQ(run.state.charX, 683.5);
    EXPECT_DOUBLE_EQ(run.state.charY, 0);
}

TEST(TitleScreen, ShowsTitleVersionPlatformsAndMaker) {
    app::TitleScreen title;
    EXPECT_EQ(title.objectName(), QStringLiteral("タイトル画面"));
    EXPECT_EQ(title.lblProductName->text(), QStringLiteral("ﾎﾟﾙｶﾈ ９９"));
    EXPECT_EQ(title.lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.0"));
    EXPECT_EQ(title.lblPlatform->text(), QStringLiteral("Windows95/98/NT4"));
    EXPECT_EQ(title.lblCompanyProduct->text(), QStringLiteral("Lorvane"));
    EXPECT_DOUBLE_EQ(title.lblProductName->font().pointSizeF(), 20.25);
    EXPECT_TRUE(title.lblCompanyProduct->font().italic());
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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
