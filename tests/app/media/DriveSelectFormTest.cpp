#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>

#include <unistd.h>

#include <fstream>
#include <memory>

#include "FakeComponents.h"
#include "FakePlatform.h"
#include "QtWarnings.h"
#include "TestCharacter.h"
#include "TestFiles.h"
#include "agent/acs/Writer.h"
#include "app/media/DriveSelectForm.h"
#include "app/media/FileSearch.h"
#include "platform/os/NativePaths.h"

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using State = app::DriveSelectForm::State;
using testsupport::writeFiles;

const QString kNothingFound = QStringLiteral(
    "おまたせいたしました。\rアシスタントファイルが一つも見つかりませんでした。\r"
    "または、ドライブの準備ができていません\r次に進みますか？");
const QString kSelecting = QStringLiteral("h=139 list=1 busy=0 ok=1 sl= avi=0");

// The bytes of a tiny character that loads and draws; `name` makes each one different.
QByteArray character(const char* name) {
    acs::CharacterData data = desktoptest::makeCharacterData();
    data.info.localized.front().name = name;
    const acs::WriteResult written = acs::writeCharacter(data);
    EXPECT_TRUE(written.ok());
    return written.ok() ? QByteArray(reinterpret_cast<const char*>(written.value().data()),
                                     static_cast<qsizetype>(written.value().size()))
                        : QByteArray();
}

// An Agent 1.5 character: an OLE compound file.
const QByteArray kAgent15 =
    QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');

class DriveSelectFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_program = m_dir.path() + QStringLiteral("/program");
        m_drive = m_dir.path() + QStringLiteral("/drive");
        ASSERT_TRUE(QDir().mkpath(m_program) && QDir().mkpath(m_drive));
        m_form.reset();  // before the platform it uses
        m_platform = std::make_unique<fakes::FakePlatform>(m_program);
        m_platform->drives.list = {{QStringLiteral("d:"), m_drive, QStringLiteral("D")}};
        makeForm();
    }

    void makeForm() {
        m_form = std::make_unique<app::DriveSelectForm>(m_platform->services, m_clips);
        m_list = m_form->findChild<QComboBox*>(QStringLiteral("選択ドライブ"));
        m_ok = m_form->findChild<QPushButton*>(QStringLiteral("ok"));
        m_sl = m_form->findChild<QLabel*>(QStringLiteral("sl"));
        ASSERT_TRUE(m_list && m_ok && m_sl);
    }

    // What changes between the form's states, on one line.
    QString look() const {
        return QStringLiteral("h=%1 list=%2 busy=%3 ok=%4 sl=%5 avi=%6")
            .arg(m_form->height())
            .arg(m_list->isEnabled())
            .arg(m_platform->feedback.busy)
            .arg(!m_ok->isHidden())
            .arg(m_sl->isHidden() ? QString() : m_sl->text())
            .arg(m_clips.last->isVisible());
    }

    void writeOldCharacters(int count) {
        for (int i = 1; i <= count; ++i)
            writeFiles(m_program, {{QString::number(i) + ".bin", "old" + QByteArray::number(i)}});
    }

    // "name=content" of everything in the program folder, in name order.
    QString programFiles() const {
        QStringList all;
        for (const QString& name : QDir(m_program).entryList(
                 QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
            const QByteArray content = testsupport::readFile(m_program + QLatin1Char('/') + name);
            all.append(name + QLatin1Char('=') + m_tags.value(content, QString::fromUtf8(content)));
        }
        return all.join(QLatin1Char(' '));
    }

    // A character written as a fixture; the program folder shows it by its tag.
    QByteArray tagged(const char* tag) {
        const QByteArray bytes = character(tag);
        m_tags[bytes] = QString::fromUtf8(tag);
        return bytes;
    }

    QMap<QByteArray, QString> m_tags;
    QTemporaryDir m_dir;
    QString m_program, m_drive;
    std::unique_ptr<fakes::FakePlatform> m_platform;
    fakes::FakeAnimationFactory m_clips;
    std::unique_ptr<app::DriveSelectForm> m_form;
    QComboBox* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QLabel* m_sl = nullptr;
};

TEST_F(DriveSelectFormTest, LoadingBeepsAndShowsOnlyThePromptTheListAndTheButton) {
    EXPECT_EQ(m_platform->feedback.beeps, 1);
    EXPECT_EQ(m_form->size(), QSize(382, 139));  // 5730 x 2085 twips at 15 twips per pixel
    EXPECT_FALSE(m_form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(look(), kSelecting);
    EXPECT_TRUE(m_sl->geometry().intersects(m_ok->geometry()));
}

TEST_F(DriveSelectFormTest, NothingFoundNoReturnsToSelectingAndYesClosesWithoutTouchingAFile) {
    writeFiles(m_drive, {{"folder.acs/.acs.d/", {}}, {"folder.acs/readme.txt", "not a character"}});
    writeOldCharacters(1);
    QStringList during;
    m_platform->events.onPump = [&](int) { during.append(look()); };
    m_platform->messages.answers = {MessageAnswer::No};
    m_ok->click();

    EXPECT_EQ(during, QStringList{"h=195 list=0 busy=1 ok=0 sl=検索中でーす。 avi=1"});
    const auto& boxes = m_platform->messages.boxes;
    ASSERT_EQ(boxes.size(), 2u);  // the notice that the search starts, then the result
    EXPECT_EQ(boxes[1].text, kNothingFound);
    EXPECT_EQ(boxes[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(m_clips.log, (QStringList{"visible:0", "visible:1", "open:Findcomp.avi", "play",
                                        "stop", "visible:0"}));
    EXPECT_EQ(m_form->state(), State::Selecting);
    EXPECT_EQ(look(), kSelecting);

    m_platform->messages.answers = {MessageAnswer::Yes};
    m_ok->click();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, kNothingFound);
    EXPECT_EQ(m_form->state(), State::Closed);
    EXPECT_EQ(programFiles(), QStringLiteral("1.bin=old1"));
}

TEST_F(DriveSelectFormTest, FoundFilesReplaceEveryOldCharacterFile) {
    writeOldCharacters(5);
    // Any case of .bin is a character file; temp.bin goes with them.
    writeFiles(m_program, {{"Keep.txt", "other"}, {"7.BIN", "old7"}, {"temp.bin", "t"}});
    writeFiles(m_drive,
               {{"a.acs", tagged("first")}, {"sub/B.ACS", tagged("second")}, {"sub/dir.acs/", {}}});
    QStringList progress;
    m_platform->events.onPump = [&](int) {
        if (m_form->state() == State::Copying)
            progress.append(m_sl->text());
    };
    m_form->ok_Click();

    const auto& boxes = m_platform->messages.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text,
              QStringLiteral(
                  "おまたせいたしました。\r合計で、 2個のアシスタントファイルが見つかりました\r"
                  "見つけたファイルをプログラムにコピーします。コピーにはしばらく時間が"
                  "かかります。\r準備はいいですか？。"));
    EXPECT_EQ(boxes[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(progress, (QStringList{"コピー中  1/ 2", "コピー中  2/ 2"}));
    EXPECT_EQ(m_form->state(), State::Closed);
    EXPECT_FALSE(m_platform->feedback.busy);
    EXPECT_TRUE(m_clips.log.contains(QStringLiteral("open:Filecopy.avi")));
    EXPECT_EQ(programFiles(), QStringLiteral("1.bin=first 2.bin=second Keep.txt=other"));
}

TEST_F(DriveSelectFormTest, OnlyFilesThatLoadAndDrawAreCopied) {
    writeOldCharacters(2);
    const QByteArray good = tagged("good");
    writeFiles(m_drive, {{"1-good.acs", good},
                         {"2-agent15.acs", kAgent15},
                         {"3-cut.acs", good.left(good.size() / 2)},
                         {"4-text.acs", "just some words, no character"}});
    m_form->ok_Click();
    const auto& boxes = m_platform->messages.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    // The found message counts what is copied; the files left out follow, each with why.
    QStringList lines = boxes[1].text.split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[1], QStringLiteral("合計で、 1個のアシスタントファイルが見つかりました"));
    EXPECT_EQ(lines.mid(4, 2), QStringList({"", " 3個のファイルは読み込めないため除きました"}));
    QStringList skipped = lines.mid(6);
    skipped.sort();  // in the order the search found them
    const QString drive = m_drive + QLatin1Char('/');
    EXPECT_EQ(skipped, QStringList({drive + "2-agent15.acs：Agent 1.5 形式のファイルです",
                                    drive + "3-cut.acs：ファイルが途中で切れています",
                                    drive + "4-text.acs：キャラクターファイルではありません"}));
    EXPECT_EQ(m_form->state(), State::Closed);
    EXPECT_EQ(programFiles(), QStringLiteral("1.bin=good"));
}

TEST_F(DriveSelectFormTest, WhenNothingLoadsNothingIsReplaced) {
    writeOldCharacters(1);
    const QByteArray good = character("good");
    writeFiles(m_drive, {{"a.acs", kAgent15}, {"b.acs", good.left(100)}});
    m_platform->messages.answers = {MessageAnswer::No};
    m_form->ok_Click();
    const auto& boxes = m_platform->messages.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kNothingFound);
    EXPECT_EQ(m_form->state(), State::Selecting);
    EXPECT_EQ(look(), kSelecting);
    EXPECT_EQ(programFiles(), QStringLiteral("1.bin=old1"));
}

TEST_F(DriveSelectFormTest, AFailedCopyKeepsTheOldCharacterFiles) {
    for (const bool blockStaging : {false, true}) {  // else the second source vanishes
        SCOPED_TRACE(blockStaging);
        SetUp();
        writeOldCharacters(3);
        writeFiles(m_drive, {{"a.acs", tagged("first")}, {"b.acs", tagged("second")}});
        QString failed = m_program + QStringLiteral("/import.tmp");
        if (blockStaging) {
            writeFiles(m_program, {{"import.tmp", "in the way"}});  // where the staging folder goes
        }
        m_platform->events.onPump = [&](int pump) {
            // The drive has no subfolders: a pump before each check, then one before each
            // copy, so pump 4 comes just before the second copy.
            if (pump == 4 && !blockStaging) {
                // The second source in the order the search finds them.
                failed = platform::displayPath(
                    app::FindFiles(m_drive, QStringLiteral("*.acs"), false, m_platform->events)
                        .at(1));
                QFile::remove(failed);
            }
        };
        testsupport::ExpectQtWarning copyFailed(QStringLiteral("copy of"));
        m_form->ok_Click();

        const auto& box = m_platform->messages.boxes.back();
        EXPECT_EQ(box.text, QStringLiteral("キャラクターファイルをコピーできませんでした。\r元の"
                                           "キャラクターファイルはそのまま残っています。\r") +
                                failed);
        EXPECT_EQ(box.icon, MessageIcon::Critical);
        EXPECT_EQ(m_form->state(), State::Selecting);
        EXPECT_FALSE(m_platform->feedback.busy);
        EXPECT_EQ(programFiles(), QStringLiteral("1.bin=old1 2.bin=old2 3.bin=old3") +
                                      (blockStaging ? " import.tmp=in the way" : ""));
    }
}

// Every copy succeeds, but the new 2.bin cannot take its place: a folder already has that
// name. By then the old files are moved aside and the new 1.bin is in place, so all of that
// must be undone.
TEST_F(DriveSelectFormTest, AFailedSwapPutsTheOldCharacterFilesBack) {
    writeFiles(m_program, {{"1.bin", "old1"}, {"2.bin/keep.txt", "folder"}, {"7.bin", "old7"}});
    writeFiles(
        m_drive,
        {{"a.acs", tagged("first")}, {"b.acs", tagged("second")}, {"c.acs", tagged("third")}});
    m_form->ok_Click();

    const auto& box = m_platform->messages.boxes.back();
    EXPECT_EQ(box.text, QStringLiteral("キャラクターファイルをコピーできませんでした。\r元の"
                                       "キャラクターファイルはそのまま残っています。"));
    EXPECT_EQ(std::pair(box.buttons, box.icon),
              std::pair(MessageButtons::Ok, MessageIcon::Critical));
    EXPECT_EQ(m_form->state(), State::Selecting);
    EXPECT_EQ(look(), kSelecting);
    EXPECT_EQ(programFiles(), QStringLiteral("1.bin=old1 2.bin= 7.bin=old7"));
    EXPECT_EQ(QDir(m_program + QStringLiteral("/2.bin")).entryList(QDir::Files),
              QStringList{"keep.txt"});
}

TEST_F(DriveSelectFormTest, WithoutAClipAndWithANameThatIsNotUtf8TheCopyStillWorks) {
    m_clips.openSucceeds = false;
    makeForm();
    const std::string raw = platform::rawPath(m_drive) + "/\xff\xfe.acs";
    const QByteArray bytes = tagged("raw");
    std::ofstream(raw, std::ios::binary).write(bytes.constData(), bytes.size());
    m_form->ok_Click();
    EXPECT_EQ(m_form->state(), State::Closed);
    EXPECT_FALSE(m_clips.log.contains(QStringLiteral("play")));
    EXPECT_EQ(programFiles(), QStringLiteral("1.bin=raw"));
    unlink(raw.c_str());  // QTemporaryDir cannot name it
}

}  // namespace
