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
#include "app/download/CharacterDownloadForm.h"
#include "app/download/DriverDownloadForm.h"

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

const QString kConfirm = QString::fromUtf8(
    "インターネットからファイルをダウンロードします\r"
    "インターネットの設定を行っていない場合、接続はできませんので、あらかじめ設定しておいてくださ"
    "い");
const QString kFailed = QString::fromUtf8("ダウンロードできませんでした");

QString charUrl(const QString& name) {
    return QStringLiteral("http://chars.test/agent2/chars/") + name + QStringLiteral(".exe");
}

struct Fixture {
    Fixture() { fake.messages.answers = {MessageAnswer::Yes}; }

    void touch(const QString& name) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("left from an earlier run");
    }
    QStringList installers() const {
        return QDir(dir.path()).entryList({QStringLiteral("*.exe")}, QDir::Files, QDir::Name);
    }
    QStringList boxTexts() const {
        QStringList texts;
        for (const fakes::RecordedBox& box : fake.messages.boxes) {
            texts << box.text;
        }
        return texts;
    }

    QTemporaryDir dir;
    fakes::FakePlatform fake{dir.path()};
    app::Module1 state;
    fakes::FakeAnimationFactory clips;
    app::DownloadServers servers{QStringLiteral("http://chars.test"),
                                 QStringLiteral("http://driver.test")};
};

TEST(CharacterDownloadFormTest, ControlsAsTheUserSeesThem) {
    Fixture f;
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    EXPECT_EQ(form.objectName(), QString::fromUtf8("キャラクターダウンロード"));
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("キャラクターダウンロード"));
    for (const char* name : {"Genie", "Merlin", "Robby", "Peedy"}) {
        auto* box = form.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->text(), QString::fromLatin1(name) + QString::fromUtf8("をダウンロードする"));
        EXPECT_FALSE(box->isChecked());
    }
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("dl"))->text(),
              QString::fromUtf8("ﾀﾞｳﾝﾛｰﾄﾞする"));
    EXPECT_EQ(form.findChild<QPushButton*>(QString::fromUtf8("キャンセル"))->text(),
              QString::fromUtf8("キャンゼル"));
    EXPECT_TRUE(form.findChild<QLabel*>(QStringLiteral("sl"))->isHidden());
    EXPECT_FALSE(f.clips.last->isVisible());
}

// The whole sequence for different ticks: what is fetched, stored, started and reported.
TEST(CharacterDownloadFormTest, DownloadsTickedCharactersThenStartsInstallers) {
    struct Case {
        const char* name;
        QStringList leftover;  // installers of an earlier run
        QStringList ticked;
        QStringList failing;
        QStringList stored;
        int failures;
    };
    const Case cases[] = {
        {"nothing ticked", {}, {}, {}, {}, 0},
        {"all four",
         {},
         {"Genie", "Merlin", "Robby", "Peedy"},
         {},
         {"1.exe", "2.exe", "3.exe", "4.exe"},
         0},
        {"only Robby", {}, {"Robby"}, {}, {"3.exe"}, 0},
        {"second of two fails", {}, {"Genie", "Merlin"}, {"Merlin"}, {"1.exe"}, 1},
        {"all fail", {}, {"Genie", "Peedy"}, {"Genie", "Peedy"}, {}, 2},
        {"old installer of an unticked character", {"2.exe", "5.exe"}, {"Genie"}, {}, {"1.exe"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        for (const QString& name : c.leftover) {
            f.touch(name);
        }
        app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
        QStringList expectedRequests;
        for (const QString& name : c.ticked) {
            form.findChild<QCheckBox*>(name)->setChecked(true);
            expectedRequests << charUrl(name);
            if (!c.failing.contains(name)) {
                f.fake.http.bodies[charUrl(name)] = "MZ" + name.toLatin1();
            }
        }
        int installersWhileAsking = -1;
        f.fake.messages.whileOpen = [&](int box) {
            if (box == 0) {
                installersWhileAsking = static_cast<int>(f.installers().size());
            }
        };
        form.show();
        form.dl_Click();

        ASSERT_FALSE(f.fake.messages.boxes.empty());
        const fakes::RecordedBox& confirm = f.fake.messages.boxes.front();
        EXPECT_EQ(confirm.text, kConfirm);
        EXPECT_EQ(confirm.icon, MessageIcon::Information);
        EXPECT_EQ(confirm.buttons, MessageButtons::YesNo);
        EXPECT_TRUE(confirm.caption.isEmpty());
        EXPECT_EQ(installersWhileAsking, 0);  // old installers are gone before the question
        EXPECT_EQ(f.fake.http.requests, expectedRequests);
        EXPECT_EQ(f.installers(), c.stored);
        ASSERT_EQ(f.fake.processes.starts.size(), 4u);
        for (int n = 1; n <= 4; ++n) {
            const auto& start = f.fake.processes.starts[static_cast<std::size_t>(n - 1)];
            const QString name = QStringLiteral("%1.exe").arg(n);
            EXPECT_EQ(start.path, f.dir.filePath(name));
            EXPECT_EQ(start.style, platform::WindowStyle::MinimizedNoFocus);
            EXPECT_EQ(start.ok, c.stored.contains(name)) << name.toStdString();
        }
        EXPECT_EQ(f.boxTexts().count(kFailed), c.failures);
        if (c.failures > 0) {
            EXPECT_EQ(f.fake.messages.boxes.back().icon, MessageIcon::Critical);
            EXPECT_EQ(f.fake.messages.boxes.back().buttons, MessageButtons::Ok);
        }
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
        EXPECT_FALSE(f.fake.exit.ended);
    }
}

TEST(CharacterDownloadFormTest, NoEndsTheProgramWithoutDownloading) {
    Fixture f;
    f.fake.messages.answers = {MessageAnswer::No};
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    form.findChild<QCheckBox*>(QStringLiteral("Genie"))->setChecked(true);
    f.fake.http.bodies[charUrl(QStringLiteral("Genie"))] = "MZ";
    form.dl_Click();
    EXPECT_TRUE(f.fake.exit.ended);
    EXPECT_TRUE(f.fake.http.requests.isEmpty());
    EXPECT_TRUE(f.fake.processes.starts.empty());
    EXPECT_EQ(f.fake.messages.boxes.size(), 1u);
    EXPECT_TRUE(f.clips.log.filter(QStringLiteral("play")).isEmpty());
}

TEST(CharacterDownloadFormTest, CancelClosesAndKeepsEveryFile) {
    Fixture f;
    f.touch(QStringLiteral("3.exe"));
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    form.show();
    form.findChild<QPushButton*>(QString::fromUtf8("キャンセル"))->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(f.installers(), QStringList{QStringLiteral("3.exe")});
    EXPECT_TRUE(f.fake.messages.boxes.empty());
    EXPECT_TRUE(f.fake.http.requests.isEmpty());
}

// While a file is fetched the form is busy and cannot be closed; the status line names it.
TEST(CharacterDownloadFormTest, BusyWhileDownloading) {
    Fixture f;
    app::CharacterDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    form.show();
    form.findChild<QCheckBox*>(QStringLiteral("Robby"))->setChecked(true);
    f.fake.http.bodies[charUrl(QStringLiteral("Robby"))] = "MZ";
    bool checked = false;
    f.fake.events.onPump = [&](int) {
        checked = true;
        EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
        EXPECT_TRUE(form.findChild<QPushButton*>(QStringLiteral("dl"))->isHidden());
        EXPECT_TRUE(form.findChild<QPushButton*>(QString::fromUtf8("キャンセル"))->isHidden());
        auto* sl = form.findChild<QLabel*>(QStringLiteral("sl"));
        EXPECT_FALSE(sl->isHidden());
        EXPECT_EQ(sl->text(), QString::fromUtf8("Robby (2.2MB)をダウンロード中です"));
        EXPECT_TRUE(f.clips.last->playing);
        form.reject();
        form.close();
        EXPECT_TRUE(form.isVisible());
    };
    form.dl_Click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(f.clips.log, (QStringList{QStringLiteral("visible:0"), QStringLiteral("visible:1"),
                                        QStringLiteral("open:filecopy.avi"), QStringLiteral("play"),
                                        QStringLiteral("stop")}));
    EXPECT_EQ(f.clips.last->opened, f.dir.filePath(QStringLiteral("filecopy.avi")));
    EXPECT_FALSE(form.isVisible());
}

TEST(DownloadServersTest, BasesComeFromTheSettings) {
    struct Case {
        QString characters;  // stored value; null means absent
        QString expectedUrl;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("http://agent.microsoft.com/agent2/chars/Genie.exe")},
        {QStringLiteral("http://h/mirror//"),
         QStringLiteral("http://h/mirror/agent2/chars/Genie.exe")},
    };
    for (const Case& c : cases) {
        fakes::FakeSettings settings;
        if (!c.characters.isNull()) {
            settings.values[QStringLiteral("Agent/download/characters")] = c.characters;
        }
        const app::DownloadServers servers = app::DownloadServers::fromSettings(settings);
        EXPECT_EQ(app::serverUrl(servers.characters, QStringLiteral("/agent2/chars/Genie.exe")),
                  c.expectedUrl);
        EXPECT_EQ(servers.driver, QStringLiteral("http://activex.microsoft.com"));
        EXPECT_TRUE(settings.writes.isEmpty());
    }
}

const QString kDriverDone = QString::fromUtf8(
    "ダウンロードが、完了しまた\r"
    "プログラムの､インストールをはじめますが､英語の使用契約がでるので､同意するのならば､ 'ok' "
    "をおしてください");
const QString kInstallDone =
    QString::fromUtf8("インストールが終了したら、okボタンを押してください");
const QString kDriverUrl = QStringLiteral("http://driver.test/activex/controls/agent2/MSagent.exe");

TEST(DriverDownloadFormTest, ControlsAsTheUserSeesThem) {
    Fixture f;
    app::DriverDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
    EXPECT_EQ(form.objectName(), QString::fromUtf8("ドライバダウンロード"));
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("ドライバダウンロード"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QString::fromUtf8("ドライバーのインストール"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
              QString::fromUtf8("office2000をインストールしていない方は必ず行ってください。"));
    EXPECT_EQ(form.findChild<QPushButton*>(QString::fromUtf8("キャンセル"))->text(),
              QString::fromUtf8("キャンゼル"));
}

// Success and failure run the same messages; only the failure box and the start differ.
TEST(DriverDownloadFormTest, InformsStartsAndWaitsForTheInstaller) {
    for (bool reachable : {true, false}) {
        SCOPED_TRACE(reachable ? "download works" : "no network");
        Fixture f;
        f.touch(QStringLiteral("2.exe"));
        if (reachable) {
            f.fake.http.bodies[kDriverUrl] = "MZ driver";
        }
        std::vector<std::size_t> startsAtBox;
        f.fake.messages.whileOpen = [&](int) {
            startsAtBox.push_back(f.fake.processes.starts.size());
        };
        app::DriverDownloadForm form(f.fake.services, f.state, f.clips, f.servers);
        form.show();
        form.dl_Click();

        QStringList expected{kConfirm};
        if (!reachable) {
            expected << kFailed;
        }
        expected << kDriverDone << kInstallDone;
        EXPECT_EQ(f.boxTexts(), expected);
        EXPECT_EQ(f.fake.messages.boxes.back().icon, MessageIcon::Information);
        EXPECT_EQ(f.fake.messages.boxes.back().buttons, MessageButtons::Ok);
        // The installer starts after the completion message and before the closing one.
        EXPECT_EQ(startsAtBox.back(), 1u);
        EXPECT_EQ(startsAtBox[startsAtBox.size() - 2], 0u);

        EXPECT_EQ(f.fake.http.requests, QStringList{kDriverUrl});
        ASSERT_EQ(f.fake.processes.starts.size(), 1u);
        EXPECT_EQ(f.fake.processes.starts[0].path, f.dir.filePath(QStringLiteral("5.exe")));
        EXPECT_EQ(f.fake.processes.starts[0].style, platform::WindowStyle::MaximizedFocus);
        EXPECT_EQ(f.fake.processes.starts[0].ok, reachable);
        EXPECT_EQ(f.installers(), reachable ? QStringList{QStringLiteral("5.exe")} : QStringList{});
        EXPECT_FALSE(form.isVisible());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
