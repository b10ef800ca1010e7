#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "FakeComponents.h"
#include "FakePlatform.h"
#include "app/media/DriveSelectForm.h"
#include "app/media/FileSearch.h"

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using State = app::DriveSelectForm::State;

const QString kSearchStart = QStringLiteral(
    "ただ今から、アシスタントファイルの検索を行います\r検索にはしばらく時間がかかります。準備はいい"
    "ですか？");
const QString kNothingFound = QStringLiteral(
    "おまたせいたしました。\rアシスタントファイルが一つも見つかりませんでした。\r"
    "または、ドライブの準備ができていません\r次に進みますか？");

class DriveSelectFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_program = m_dir.path() + QStringLiteral("/program");
        m_drive = m_dir.path() + QStringLiteral("/drive");
        ASSERT_TRUE(QDir().mkpath(m_program));
        ASSERT_TRUE(QDir().mkpath(m_drive));
        m_platform = std::make_unique<fakes::FakePlatform>(m_program);
        m_platform->drives.list = {{QStringLiteral("d:"), m_drive, QStringLiteral("D")}};
    }

    std::unique_ptr<app::DriveSelectForm> makeForm() {
        return std::make_unique<app::DriveSelectForm>(m_platform->services, m_clips);
    }

    static void write(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList programFiles() const {
        return QDir(m_program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                         QDir::Name);
    }

    void writeOldCharacters(int count) {
        for (int i = 1; i <= count; ++i) {
            write(m_program + QStringLiteral("/%1.bin").arg(i), "old" + QByteArray::number(i));
        }
    }

    QTemporaryDir m_dir;
    QString m_program;
    QString m_drive;
    std::unique_ptr<fakes::FakePlatform> m_platform;
    fakes::FakeAnimationFactory m_clips;
};

TEST_F(DriveSelectFormTest, LoadingBeepsAndShowsOnlyThePromptTheListAndTheButton) {
    const auto form = makeForm();
    EXPECT_EQ(m_platform->feedback.beeps, 1);
    EXPECT_EQ(form->objectName(), QStringLiteral("ドライブ選択"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ドライブ選択"));
    EXPECT_EQ(form->size(), QSize(382, 139));  // 5730 x 2085 twips at 15 twips per pixel
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);

    const auto* list = form->findChild<QComboBox*>(QStringLiteral("選択ドライブ"));
    const auto* prompt = form->findChild<QLabel*>(QStringLiteral("Label1"));
    const auto* ok = form->findChild<QPushButton*>(QStringLiteral("ok"));
    const auto* sl = form->findChild<QLabel*>(QStringLiteral("sl"));
    ASSERT_TRUE(list && prompt && ok && sl && form->findChild<QWidget*>(QStringLiteral("avi")));
    EXPECT_EQ(list->count(), 1);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(prompt->text(),
              QStringLiteral("office 2000 をインストールしたドライブを選択してください"));
    EXPECT_EQ(ok->text(), QStringLiteral("O   K"));
    EXPECT_FALSE(ok->isHidden());
    EXPECT_TRUE(sl->isHidden());
    EXPECT_EQ(sl->text(), QStringLiteral("検索中でーす。"));
    EXPECT_FALSE(m_clips.last->isVisible());
    EXPECT_TRUE(sl->geometry().intersects(ok->geometry()));
}

TEST_F(DriveSelectFormTest, NothingFoundAndNoReturnsToSelectingAndSearchesAgain) {
    ASSERT_TRUE(QDir().mkpath(m_drive + QStringLiteral("/empty/.acs.d")));
    const auto form = makeForm();
    auto* list = form->findChild<QComboBox*>(QStringLiteral("選択ドライブ"));
    auto* ok = form->findChild<QPushButton*>(QStringLiteral("ok"));
    auto* sl = form->findChild<QLabel*>(QStringLiteral("sl"));
    QStringList during;
    m_platform->events.onPump = [&](int) {
        during.append(QStringLiteral("h=%1 list=%2 busy=%3 ok=%4 sl=%5 avi=%6")
                          .arg(form->height())
                          .arg(list->isEnabled())
                          .arg(m_platform->feedback.busy)
                          .arg(!ok->isHidden())
                          .arg(sl->isHidden() ? QString() : sl->text())
                          .arg(m_clips.last->isVisible()));
    };
    m_platform->messages.answers = {MessageAnswer::No};
    ok->click();

    EXPECT_EQ(during,
              QStringList{QStringLiteral("h=195 list=0 busy=1 ok=0 sl=検索中でーす。 avi=1")});
    ASSERT_EQ(m_platform->messages.boxes.size(), 2u);
    const auto& first = m_platform->messages.boxes[0];
    EXPECT_EQ(first.text, kSearchStart);
    EXPECT_EQ(first.buttons, MessageButtons::Ok);
    EXPECT_EQ(first.icon, MessageIcon::Information);
    const auto& nothing = m_platform->messages.boxes[1];
    EXPECT_EQ(nothing.text, kNothingFound);
    EXPECT_EQ(nothing.buttons, MessageButtons::YesNo);
    EXPECT_EQ(nothing.icon, MessageIcon::Information);
    EXPECT_TRUE(nothing.caption.isEmpty());
    EXPECT_EQ(m_clips.log, (QStringList{"visible:0", "visible:1", "open:Findcomp.avi", "play",
                                        "stop", "visible:0"}));

    EXPECT_EQ(form->state(), State::Selecting);
    EXPECT_EQ(form->height(), 139);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_FALSE(ok->isHidden());
    EXPECT_TRUE(sl->isHidden());
    EXPECT_FALSE(m_platform->feedback.busy);

    m_platform->messages.answers = {MessageAnswer::No};
    ok->click();
    EXPECT_EQ(m_platform->messages.boxes.size(), 4u);
    EXPECT_EQ(m_platform->messages.boxes[3].text, kNothingFound);
}

TEST_F(DriveSelectFormTest, NothingFoundAndYesClosesWithoutTouchingAFile) {
    writeOldCharacters(1);
    write(m_drive + QStringLiteral("/folder.acs/readme.txt"), "not a character");
    const auto form = makeForm();
    m_platform->messages.answers = {MessageAnswer::Yes};
    form->ok_Click();
    EXPECT_EQ(form->state(), State::Closed);
    EXPECT_EQ(m_platform->messages.boxes.back().text, kNothingFound);
    EXPECT_EQ(programFiles(), QStringList{QStringLiteral("1.bin")});
    EXPECT_EQ(read(m_program + QStringLiteral("/1.bin")), "old1");
}

TEST_F(DriveSelectFormTest, FoundFilesReplaceEveryOldCharacterFile) {
    writeOldCharacters(5);
    write(m_program + QStringLiteral("/Keep.txt"), "other");
    write(m_drive + QStringLiteral("/a.acs"), "first");
    write(m_drive + QStringLiteral("/sub/B.ACS"), "second");
    ASSERT_TRUE(QDir().mkpath(m_drive + QStringLiteral("/sub/dir.acs")));
    const auto form = makeForm();
    const auto* sl = form->findChild<QLabel*>(QStringLiteral("sl"));
    QStringList progress;
    m_platform->events.onPump = [&](int) {
        if (form->state() == State::Copying) {
            progress.append(sl->text());
        }
    };
    form->ok_Click();

    ASSERT_EQ(m_platform->messages.boxes.size(), 2u);
    EXPECT_EQ(
        m_platform->messages.boxes[1].text,
        QStringLiteral(
            "おまたせいたしました。\r合計で、 2個のアシスタントファイルが見つかりました\r"
            "見つけたファイルをプログラムにコピーします。コピーにはしばらく時間がかかります。\r"
            "準備はいいですか？。"));
    EXPECT_EQ(m_platform->messages.boxes[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(progress,
              (QStringList{QStringLiteral("コピー中  1/ 2"), QStringLiteral("コピー中  2/ 2")}));
    EXPECT_EQ(form->state(), State::Closed);
    EXPECT_FALSE(m_platform->feedback.busy);
    EXPECT_TRUE(m_clips.log.contains(QStringLiteral("open:Filecopy.avi")));
    EXPECT_EQ(programFiles(), (QStringList{QStringLiteral("1.bin"), QStringLiteral("2.bin"),
                                           QStringLiteral("Keep.txt")}));
    EXPECT_EQ(read(m_program + QStringLiteral("/1.bin")), "first");
    EXPECT_EQ(read(m_program + QStringLiteral("/2.bin")), "second");
}

TEST_F(DriveSelectFormTest, AFailedCopyKeepsTheOldCharacterFiles) {
    struct Case {
        const char* what;
        bool blockStaging;  // a file where the staging folder should go
    };
    for (const Case c : {Case{"source vanishes", false}, Case{"no staging folder", true}}) {
        SCOPED_TRACE(c.what);
        SetUp();
        writeOldCharacters(3);
        write(m_drive + QStringLiteral("/a.acs"), "first");
        write(m_drive + QStringLiteral("/b.acs"), "second");
        if (c.blockStaging) {
            write(m_program + QStringLiteral("/import.tmp"), "in the way");
        }
        const auto form = makeForm();
        QString vanished;
        m_platform->events.onPump = [&](int pump) {
            // The drive has no subfolders, so pump 2 comes just before the second copy.
            if (pump == 2 && !c.blockStaging) {
                vanished = app::displayPath(app::foundFiles.at(1));
                QFile::remove(vanished);
            }
        };
        form->ok_Click();

        const auto& box = m_platform->messages.boxes.back();
        QString expected = QStringLiteral(
            "キャラクターファイルをコピーできませんでした。\r元のキャラクターファイルはそのまま残っ"
            "ています。");
        expected += QLatin1Char('\r') +
                    (c.blockStaging ? m_program + QStringLiteral("/import.tmp") : vanished);
        EXPECT_EQ(box.text, expected);
        EXPECT_EQ(box.icon, MessageIcon::Critical);
        EXPECT_EQ(form->state(), State::Selecting);
        EXPECT_FALSE(m_platform->feedback.busy);
        QStringList expectedFiles{"1.bin", "2.bin", "3.bin"};
        if (c.blockStaging) {
            expectedFiles.append(QStringLiteral("import.tmp"));
        }
        EXPECT_EQ(programFiles(), expectedFiles);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(read(m_program + QStringLiteral("/%1.bin").arg(i)),
                      "old" + QByteArray::number(i));
        }
    }
}

TEST_F(DriveSelectFormTest, WithoutAClipAndWithANameThatIsNotUtf8TheCopyStillWorks) {
    m_clips.openSucceeds = false;
    const std::string raw = app::rawPath(m_drive) + "/\xff\xfe.acs";
    const int fd = open(raw.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "raw", 3), 3);
    close(fd);
    const auto form = makeForm();
    form->ok_Click();
    EXPECT_EQ(form->state(), State::Closed);
    EXPECT_FALSE(m_clips.log.contains(QStringLiteral("play")));
    EXPECT_EQ(programFiles(), QStringList{QStringLiteral("1.bin")});
    EXPECT_EQ(read(m_program + QStringLiteral("/1.bin")), "raw");
    unlink(raw.c_str());  // QTemporaryDir cannot name it
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
