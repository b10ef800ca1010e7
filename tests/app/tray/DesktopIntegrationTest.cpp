// The desktop side of the companion: command line, program folder, start at login, importing
// one character file, and the tray menu's actions over fakes.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FakeComponents.h"
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/core/CommandLine.h"
#include "app/media/CommandLineImport.h"
#include "app/tray/CompanionTray.h"
#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"

namespace {

using Action = app::CommandLine::Action;

using testsupport::fileNames;
using testsupport::readFile;
using testsupport::writeFile;
using testsupport::writeFiles;

const QByteArray kCharacter = QByteArray::fromHex("c3abcdab") + "rest of a character";

TEST(CommandLine, OptionsAndErrors) {
    const struct {
        QStringList arguments;
        Action action;
        bool setup;
        QString importPath;
    } cases[] = {
        {{}, Action::Run, false, {}},
        {{"--help"}, Action::Help, false, {}},
        {{"-h"}, Action::Help, false, {}},
        {{"--version"}, Action::Version, false, {}},
        {{"-v"}, Action::Version, false, {}},
        {{"--where"}, Action::Where, false, {}},
        {{"--setup"}, Action::Run, true, {}},
        {{"--import", "/media/cd"}, Action::Run, false, "/media/cd"},
        {{"--import=a b.acs", "--setup"}, Action::Run, true, "a b.acs"},
        {{"-import", "x"}, Action::Run, false, "x"},  // one dash works for long options
        {{"--help", "--bogus"}, Action::Error, false, {}},
        {{"--bogus"}, Action::Error, false, {}},
        {{"-x"}, Action::Error, false, {}},
        {{"--import"}, Action::Error, false, {}},
        {{"--import="}, Action::Error, false, {}},
        {{"stray"}, Action::Error, false, {}},
    };
    for (const auto& c : cases) {
        const app::CommandLine parsed =
            app::parseCommandLine(QStringList{"porukane"} + c.arguments);
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(parsed.action, c.action);
        if (c.action == Action::Error) {
            EXPECT_FALSE(parsed.error.isEmpty());
            EXPECT_FALSE(parsed.error.contains(QLatin1Char('\n')));
            continue;
        }
        EXPECT_EQ(parsed.setup, c.setup);
        EXPECT_EQ(parsed.importPath, c.importPath);
    }
    EXPECT_TRUE(app::parseCommandLine({"porukane", "--bogus"}).error.contains("--bogus"));
    EXPECT_TRUE(app::helpText(QStringLiteral("/x/y")).contains(QStringLiteral("/x/y")));
}

TEST(ProgramFolder, PortableOnlyWhenWritableWithTheClip) {
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("bin"));
    const QString data = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(bin);

    EXPECT_EQ(platform::resolveProgramFolder(bin, data).path, data + "/porukane");
    EXPECT_FALSE(platform::resolveProgramFolder(bin, data).portable);

    writeFile(bin + "/Findcomp.avi", "clip");
    EXPECT_EQ(platform::resolveProgramFolder(bin, data).path, bin);
    EXPECT_TRUE(platform::resolveProgramFolder(bin, data).portable);

    // A read-only folder is an installation even with the clip (root may still write).
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(bin).isWritable()) {
        EXPECT_FALSE(platform::resolveProgramFolder(bin, data).portable);
    }
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(platform::sharedDataFolder(QStringLiteral("/opt/p/bin")),
              QStringLiteral("/opt/p/share/porukane"));
}

TEST(ProgramFolder, SeedingCopiesOnlyWhatIsMissing) {
    QTemporaryDir dir;
    const QString share = dir.filePath(QStringLiteral("share"));
    const QString home = dir.filePath(QStringLiteral("home/porukane"));
    writeFiles(share, {{"1.bin", "ours"}, {"Findcomp.avi", "find"}, {"Filecopy.avi", "copy"}});

    QString error;
    EXPECT_EQ(platform::seedProgramFolder(home, share, &error),
              QStringList({"1.bin", "Findcomp.avi", "Filecopy.avi"}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(fileNames(home), QStringList({"1.bin", "Filecopy.avi", "Findcomp.avi"}));

    // Imported characters and a changed clip stay; only the deleted clip comes back.
    QFile::remove(home + "/1.bin");
    QFile::remove(home + "/Filecopy.avi");
    writeFiles(home, {{"3.bin", "imported"}, {"Findcomp.avi", "mine"}});
    EXPECT_EQ(platform::seedProgramFolder(home, share), QStringList({"Filecopy.avi"}));
    EXPECT_EQ(fileNames(home), QStringList({"3.bin", "Filecopy.avi", "Findcomp.avi"}));
    EXPECT_EQ(readFile(home + "/Findcomp.avi"), "mine");

    // Nothing to copy from: nothing copied, no error, the folder still exists.
    const QString other = dir.filePath(QStringLiteral("other"));
    EXPECT_TRUE(platform::seedProgramFolder(other, dir.filePath("nowhere"), &error).isEmpty());
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(other).isDir());
}

TEST(Autostart, WritesAndRemovesTheEntry) {
    QTemporaryDir dir;
    platform::Autostart autostart(dir.path(), QStringLiteral("/opt/my apps/porukane"));
    EXPECT_FALSE(autostart.enabled());
    EXPECT_TRUE(autostart.setEnabled(false));

    ASSERT_TRUE(autostart.setEnabled(true));
    EXPECT_TRUE(autostart.enabled());
    const QByteArray entry = readFile(autostart.entryPath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/my apps/porukane\"\n")) << entry.constData();

    // A desktop that disables an entry instead of deleting it.
    writeFile(autostart.entryPath(), entry + "Hidden=true\n");
    EXPECT_FALSE(autostart.enabled());

    ASSERT_TRUE(autostart.setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(autostart.entryPath()));

    for (const auto& [path, exec] : {std::pair{"/usr/bin/porukane", "\nExec=/usr/bin/porukane\n"},
                                     {"/a/100%$x", "\nExec=\"/a/100%%\\\\$x\"\n"}})
        EXPECT_TRUE(platform::Autostart::entryText(path).contains(exec)) << path;
}

TEST(CommandLineImport, NextNumberAndNoOverwrite) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    EXPECT_EQ(app::nextCharacterNumber(program), 1);
    for (const char* name : {"1.bin", "7.bin", "x.bin", "07a.bin", "Findcomp.avi"})
        writeFile(program + "/" + name, "old");
    EXPECT_EQ(app::nextCharacterNumber(program), 8);

    const QString source = dir.filePath(QStringLiteral("Genie.acs"));
    writeFile(source, kCharacter);
    QString error;
    EXPECT_EQ(app::importCharacterFile(program, source, &error), QStringLiteral("8.bin"));
    EXPECT_EQ(readFile(program + "/8.bin"), kCharacter);
    EXPECT_EQ(readFile(program + "/7.bin"), "old");

    const QString text = dir.filePath(QStringLiteral("notes.acs"));
    writeFile(text, "not a character");
    EXPECT_TRUE(app::importCharacterFile(program, text, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(app::importCharacterFile(program, dir.filePath("gone.acs"), &error).isEmpty());
    EXPECT_EQ(fileNames(program).size(), 6);  // nothing added, no partial file left

    fakes::FakeDrives real;
    app::FolderFirstDriveList drives(real, dir.path() + "/./program");
    ASSERT_FALSE(drives.drives().isEmpty());
    EXPECT_EQ(drives.drives().first().root, program);
}

// A running companion over fakes with the tray on top.
struct TrayCompanion {
    QTemporaryDir dir;
    fakes::FakePlatform fake{dir.filePath(QStringLiteral("program"))};
    fakes::FakeAgentControl agent;
    app::SharedState state;
    app::Waiter waiter{fake.services, state};
    app::MainForm form{fake.services, state, waiter, agent, [] {}};
    QList<bool> mutes;
    QStringList wizard;
    std::unique_ptr<app::CompanionTray> tray;

    TrayCompanion() {
        writeFile(fake.services.programFolder + "/1.bin", kCharacter);
        state.charFiles = {QStringLiteral("1.bin")};
        // Every pick and interval of these tests comes first in its range.
        fake.random.draws.assign(16, 0.0f);
        form.LoadRandomCharacter();
        app::TrayHooks hooks;
        hooks.setMuted = [this](bool on) { mutes.append(on); };
        hooks.runDriveWizard = [this] {
            wizard.append(QStringLiteral("drive"));
            writeFile(fake.services.programFolder + "/2.bin", kCharacter);
        };
        hooks.runSetupWizard = [this] { wizard.append(QStringLiteral("setup")); };
        tray = std::make_unique<app::CompanionTray>(
            fake.services, state, form,
            platform::Autostart(dir.filePath("config"), QStringLiteral("/usr/bin/porukane")), hooks,
            QIcon());
        agent.log.clear();
    }
    int timer() { return form.アニメーションタイマー().interval(); }
};

TEST(Tray, HideShowPausesTheSchedulerWithoutEndingTheProgram) {
    TrayCompanion c;
    EXPECT_GT(c.timer(), 0);
    c.tray->toggleShown();
    EXPECT_TRUE(c.tray->characterHidden());
    EXPECT_EQ(c.agent.log, QStringList({"stop", "stopAll", "hide"}));
    EXPECT_FALSE(c.fake.exit.ended);  // the engine's Hide report is the program's own
    EXPECT_EQ(c.timer(), 0);
    EXPECT_TRUE(c.form.paused());

    // A tick that was already due while hidden plays nothing and re-arms nothing.
    c.agent.log.clear();
    c.form.アニメーションタイマー_Timer();
    EXPECT_TRUE(c.agent.log.isEmpty());
    EXPECT_EQ(c.timer(), 0);

    c.tray->toggleShown();
    EXPECT_FALSE(c.tray->characterHidden());
    EXPECT_EQ(c.agent.log, QStringList({"show"}));
    EXPECT_GT(c.timer(), 0);

    // A hide the engine reports from elsewhere still ends the program.
    c.agent.raiseHide(static_cast<std::int16_t>(app::HideCause::User));
    EXPECT_TRUE(c.fake.exit.ended);
}

TEST(Tray, MuteIsRememberedAndAppliedAtStart) {
    TrayCompanion c;
    EXPECT_EQ(c.mutes, QList<bool>({false}));
    c.tray->setMuted(true);
    EXPECT_EQ(c.fake.settings.values.value("Agent/sound/mute"), "True");
    EXPECT_EQ(c.mutes, QList<bool>({false, true}));
    EXPECT_TRUE(app::CompanionTray::mutedSetting(c.fake.settings));
    c.tray->setMuted(false);
    EXPECT_EQ(c.fake.settings.values.value("Agent/sound/mute"), "False");
}

TEST(Tray, WizardsRebuildTheCatalogueAndReloadEvenWhenHidden) {
    TrayCompanion c;
    c.tray->toggleShown();
    c.tray->addCharacters();
    EXPECT_EQ(c.wizard, QStringList({"drive"}));
    QStringList catalogue = c.state.charFiles;
    catalogue.sort();
    EXPECT_EQ(catalogue, QStringList({"1.bin", "2.bin"}));
    const QString log = c.agent.log.join(QLatin1Char(' '));
    EXPECT_TRUE(log.contains(QRegularExpression("unload:d load:[12].bin .*show$")))
        << log.toStdString();
    EXPECT_FALSE(c.tray->characterHidden());
    EXPECT_FALSE(c.form.paused());
    EXPECT_GT(c.timer(), 0);
    EXPECT_FALSE(c.fake.exit.ended);

    c.tray->redoSetup();
    EXPECT_EQ(c.wizard, QStringList({"drive", "setup"}));

    c.tray->setAutostart(true);
    EXPECT_TRUE(QFileInfo::exists(c.dir.filePath("config/autostart/porukane.desktop")));
    c.tray->setAutostart(false);
    EXPECT_FALSE(QFileInfo::exists(c.dir.filePath("config/autostart/porukane.desktop")));

    c.tray->quit();
    EXPECT_TRUE(c.fake.exit.ended);
    EXPECT_FALSE(c.fake.settings.values.value("Agent/pos/x").isEmpty());
}

}  // namespace
