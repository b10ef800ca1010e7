#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "FakeComponents.h"
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/download/CharacterDownloadForm.h"
#include "app/download/DriverDownloadForm.h"

namespace {

using platform::MessageAnswer;

QString u(const char* text) {
    return QString::fromUtf8(text);
}
QStringList words(const char* text) {
    return u(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
template <class T>
T* child(const QWidget& form, const char* name) {
    return form.findChild<T*>(u(name));
}
QString charUrl(const QString& name, const char* host = "chars.test") {
    return u("http://") + u(host) + u("/agent2/chars/") + name + ".exe";
}

const QString kConfirm =
    u("インターネットからファイルをダウンロードします\r"
      "インターネットの設定を行っていない場合、接続はできませんので、あらかじめ設定しておいてくださ"
      "い");
const QString kFailed = u("ダウンロードできませんでした");

struct Fixture {
    Fixture() { fake.messages.answers = {MessageAnswer::Yes}; }

    void touch(const QString& name) {
        testsupport::writeFile(dir.filePath(name), "left from an earlier run");
    }
    QStringList installers() const {
        return QDir(dir.path()).entryList({QStringLiteral("*.exe")}, QDir::Files, QDir::Name);
    }

    QTemporaryDir dir;
    fakes::FakePlatform fake{dir.path()};
    app::SharedState state;
    fakes::FakeAnimationFactory clips;
    app::DownloadServers servers{{u("http://chars.test")}, {u("http://driver.test")}};
};

// The whole sequence for different ticks: what is fetched, stored, started and reported.
TEST(CharacterDownloadFormTest, DownloadsTickedCharactersThenStartsInstallers) {
    struct Case {
        const char* name;
        const char* leftover;  // installers of an earlier run
        const char* ticked;
        const char* failing;
        const char* stored;
    };
    const Case cases[] = {
        {"nothing ticked", "", "", "", ""},
        {"all four", "", "Genie Merlin Robby Peedy", "", "1.exe 2.exe 3.exe 4.exe"},
        {"only Robby", "", "Robby", "", "3.exe"},
        {"second of two fails", "", "Genie Merlin", "Merlin", "1.exe"},
        {"all fail", "", "Genie Peedy", "Genie Peedy", ""},
        {"old installer of an unticked character", "2.exe 5.exe", "Genie", "", "1.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        for (const QString& name : words(c.leftover))
            f.touch(name);
        app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
        QStringList expectedRequests;
        for (const QString& name : words(c.ticked)) {
            form.findChild<QCheckBox*>(name)->setChecked(true);
            expectedRequests << charUrl(name);
            if (!words(c.failing).contains(name))
                f.fake.http.bodies[charUrl(name)] = "MZ" + name.toLatin1();
        }
        std::vector<qsizetype> installersAtBox;
        f.fake.messages.whileOpen = [&](int) { installersAtBox.push_back(f.installers().size()); };
        form.show();
        form.dl_Click();

        ASSERT_FALSE(f.fake.messages.boxes.empty());
        EXPECT_EQ(f.fake.messages.boxes.front().text, kConfirm);
        EXPECT_EQ(installersAtBox.front(), 0);  // old installers are gone before the question
        EXPECT_EQ(f.fake.http.requests, expectedRequests);
        EXPECT_EQ(f.installers(), words(c.stored));
        ASSERT_EQ(f.fake.processes.starts.size(), 4u);
        for (int n = 1; n <= 4; ++n) {
            const auto& start = f.fake.processes.starts[static_cast<std::size_t>(n - 1)];
            const QString name = QStringLiteral("%1.exe").arg(n);
            EXPECT_EQ(start.path, f.dir.filePath(name));
            EXPECT_EQ(start.style, platform::WindowStyle::MinimizedNoFocus);
            EXPECT_EQ(start.ok, words(c.stored).contains(name)) << name.toStdString();
        }
        // One message for each character that could not be fetched.
        EXPECT_EQ(f.fake.messages.texts().count(kFailed), words(c.failing).size());
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
        EXPECT_FALSE(f.fake.exit.ended);
    }
}

TEST(CharacterDownloadFormTest, NoEndsTheProgramWithoutDownloading) {
    Fixture f;
    f.fake.messages.answers = {MessageAnswer::No};
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    child<QCheckBox>(form, "Genie")->setChecked(true);
    f.fake.http.bodies[charUrl(u("Genie"))] = "MZ";
    form.dl_Click();
    EXPECT_TRUE(f.fake.exit.ended);
    EXPECT_TRUE(f.fake.http.requests.isEmpty());
    EXPECT_TRUE(f.fake.processes.starts.empty());
    EXPECT_EQ(f.fake.messages.boxes.size(), 1u);
    EXPECT_TRUE(f.clips.log.filter(u("play")).isEmpty());
}

TEST(CharacterDownloadFormTest, CancelClosesAndKeepsEveryFile) {
    Fixture f;
    f.touch(u("3.exe"));
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    form.show();
    child<QPushButton>(form, "キャンセル")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(f.installers(), QStringList{u("3.exe")});
    EXPECT_TRUE(f.fake.messages.boxes.empty());
    EXPECT_TRUE(f.fake.http.requests.isEmpty());
}

// While a file is fetched the form is busy and cannot be closed; the status line names it.
TEST(CharacterDownloadFormTest, BusyWhileDownloading) {
    Fixture f;
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    form.show();
    child<QCheckBox>(form, "Robby")->setChecked(true);
    f.fake.http.bodies[charUrl(u("Robby"))] = "MZ";
    bool checked = false;
    f.fake.events.onPump = [&](int) {
        checked = true;
        EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
        EXPECT_TRUE(child<QPushButton>(form, "dl")->isHidden());
        EXPECT_TRUE(child<QPushButton>(form, "キャンセル")->isHidden());
        EXPECT_FALSE(child<QLabel>(form, "sl")->isHidden());
        EXPECT_EQ(child<QLabel>(form, "sl")->text(), u("Robby (2.2MB)をダウンロード中です"));
        EXPECT_TRUE(f.clips.last->isVisible());
        EXPECT_TRUE(f.clips.last->playing);
        form.reject();
        form.close();
        EXPECT_TRUE(form.isVisible());
    };
    form.dl_Click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(f.clips.last->opened, f.dir.filePath(u("filecopy.avi")));
    EXPECT_FALSE(f.clips.last->playing);
    EXPECT_FALSE(form.isVisible());
}

TEST(DownloadServersTest, BasesComeFromTheSettingsInOrder) {
    fakes::FakeSettings settings;
    const auto genie = [&] {
        const app::DownloadServers servers = app::DownloadServers::fromSettings(settings);
        EXPECT_EQ(
            servers.driver,
            QStringList({u("http://activex.microsoft.com"),
                         u("http://web.archive.org/web/2002id_/http://activex.microsoft.com")}));
        return app::serverUrls(servers.characters, u("/agent2/chars/Genie.exe"));
    };
    EXPECT_EQ(genie(),
              QStringList({u("http://agent.microsoft.com/agent2/chars/Genie.exe"),
                           u("http://web.archive.org/web/2002id_/http://agent.microsoft.com/"
                             "agent2/chars/Genie.exe")}));
    settings.values[u("Agent/download/characters")] = u("http://h/mirror//");
    EXPECT_EQ(genie(), QStringList{u("http://h/mirror/agent2/chars/Genie.exe")});
    settings.values[u("Agent/download/characters")] = u(" http://a/\thttps://b/x  http://c ");
    EXPECT_EQ(genie(), QStringList({u("http://a/agent2/chars/Genie.exe"),
                                    u("https://b/x/agent2/chars/Genie.exe"),
                                    u("http://c/agent2/chars/Genie.exe")}));
    settings.values[u("Agent/download/characters")] = u("   ");
    EXPECT_EQ(genie().size(), 2);
    EXPECT_TRUE(settings.writes.isEmpty());
}

// Each file is tried on every server in order until one gives a usable file; a file nobody
// gives gets the one failure box.
TEST(CharacterDownloadFormTest, TriesEachServerInTurnForEachFile) {
    Fixture f;
    f.servers.characters = {u("http://dead.test"), u("http://portal.test"), u("http://chars.test")};
    const auto at = [](const char* host, const char* name) { return charUrl(u(name), host); };
    // The portal answers everything with a page of its own; only the last server has Genie.
    f.fake.http.bodies[at("portal.test", "Genie")] = "<html>welcome</html>";
    f.fake.http.bodies[at("portal.test", "Robby")] = "<html>welcome</html>";
    f.fake.http.bodies[at("chars.test", "Genie")] = "MZ Genie";
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    form.findChild<QCheckBox*>(u("Genie"))->setChecked(true);
    form.findChild<QCheckBox*>(u("Robby"))->setChecked(true);
    form.show();
    form.dl_Click();
    EXPECT_EQ(f.fake.http.requests,
              QStringList({at("dead.test", "Genie"), at("portal.test", "Genie"),
                           at("chars.test", "Genie"), at("dead.test", "Robby"),
                           at("portal.test", "Robby"), at("chars.test", "Robby")}));
    EXPECT_EQ(f.installers(), QStringList{u("1.exe")});
    EXPECT_EQ(f.fake.messages.texts(), QStringList({kConfirm, kFailed}));  // Robby only
}

// Success and failure run the same messages; only the failure box and the start differ.
TEST(DriverDownloadFormTest, InformsStartsAndWaitsForTheInstaller) {
    const QString driverUrl = u("http://driver.test/activex/controls/agent2/MSagent.exe");
    for (bool reachable : {true, false}) {
        SCOPED_TRACE(reachable ? "download works" : "no network");
        Fixture f;
        f.touch(u("2.exe"));
        if (reachable)
            f.fake.http.bodies[driverUrl] = "MZ driver";
        std::vector<std::size_t> startsAtBox;
        f.fake.messages.whileOpen = [&](int) {
            startsAtBox.push_back(f.fake.processes.starts.size());
        };
        app::DriverDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
        form.show();
        form.dl_Click();

        QStringList expected{kConfirm};
        if (!reachable)
            expected << kFailed;
        expected << u("ダウンロードが、完了しまた\r"
                      "プログラムの､インストールをはじめますが､英語の使用契約がでるので､同意する"
                      "のならば､ 'ok' をおしてください")
                 << u("インストールが終了したら、okボタンを押してください");
        EXPECT_EQ(f.fake.messages.texts(), expected);
        // The installer starts after the completion message and before the closing one.
        EXPECT_EQ(startsAtBox.back(), 1u);
        EXPECT_EQ(startsAtBox[startsAtBox.size() - 2], 0u);

        EXPECT_EQ(f.fake.http.requests, QStringList{driverUrl});
        ASSERT_EQ(f.fake.processes.starts.size(), 1u);
        EXPECT_EQ(f.fake.processes.starts[0].path, f.dir.filePath(u("5.exe")));
        EXPECT_EQ(f.fake.processes.starts[0].style, platform::WindowStyle::MaximizedFocus);
        EXPECT_EQ(f.fake.processes.starts[0].ok, reachable);
        EXPECT_EQ(f.installers(), reachable ? QStringList{u("5.exe")} : QStringList{});
        EXPECT_FALSE(form.isVisible());
    }
}

}  // namespace
