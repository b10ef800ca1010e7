#include "app/media/DriveSelectForm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QtGlobal>

#include <cmath>
#include <exception>

#include "app/core/AppSettings.h"
#include "app/core/CharacterFileCheck.h"
#include "app/core/Module1.h"
#include "app/media/FileSearch.h"
#include "app/media/Texts.h"
#include "app/media/search/DirectoryWalk.h"

namespace app {

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// ＭＳ Ｐゴシック exists only on Japanese Windows; elsewhere the proportional Gothic faces
// that ship with the system stand in, and Qt's own fallback covers the rest.
QFont gothic(double points) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans JP")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QString binName(int number) {
    return QString::number(number) + QStringLiteral(".bin");
}

}  // namespace

DriveSelectForm::DriveSelectForm(platform::Services& services, AnimationControlFactory& clips,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint),
      m_services(services) {
    setObjectName(text(texts::kDriveFormCaption));
    setWindowTitle(text(texts::kDriveFormCaption));

    // Tab order follows creation order: drive list, prompt, button, clip, status.
    選択ドライブ = new QComboBox(this);
    選択ドライブ->setObjectName(QStringLiteral("選択ドライブ"));
    選択ドライブ->setFont(gothic(12));
    選択ドライブ->setGeometry(twipsRect(720, 720, 4455, 360));
    m_drives = m_services.drives.drives();
    for (const platform::Drive& drive : m_drives) {
        選択ドライブ->addItem(drive.label.isEmpty() ? drive.designation : drive.label);
        選択ドライブ->setItemData(選択ドライブ->count() - 1, drive.root, Qt::ToolTipRole);
    }

    Label1 = new QLabel(text(texts::kDrivePrompt), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(600, 240, 4815, 375));
    // The prompt was laid out for a narrower Windows font; step the size down until the whole
    // sentence fits its band instead of losing its last characters.
    for (QFont font = Label1->font();
         font.pointSizeF() > 6 &&
         QFontMetrics(font).horizontalAdvance(Label1->text()) > Label1->width();) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        Label1->setFont(font);
    }

    ok = new QPushButton(text(texts::kOkCaption), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(twipsRect(2160, 1440, 1335, 495));
    connect(ok, &QPushButton::clicked, this, [this] {
        try {
            ok_Click();
        } catch (const std::exception& error) {
            // Only an allocation failure can get here; the form must survive it.
            qWarning("drive search failed: %s", error.what());
            m_services.feedback.setBusyCursor(false);
            backToSelecting();
        } catch (...) {
            qWarning("drive search failed");
            m_services.feedback.setBusyCursor(false);
            backToSelecting();
        }
    });

    avi = clips.create(this);
    avi->widget()->setObjectName(QStringLiteral("avi"));
    avi->widget()->setGeometry(twipsRect(240, 1920, 5175, 735));
    avi->setVisible(false);

    sl = new QLabel(text(texts::kSearching), this);
    sl->setObjectName(QStringLiteral("sl"));
    sl->setFont(gothic(14.25));
    sl->setAlignment(Qt::AlignCenter);
    sl->setGeometry(twipsRect(600, 1320, 4515, 285));
    sl->hide();

    setClientHeight(kRestHeightTwips);
    Form_Load();
}

DriveSelectForm::~DriveSelectForm() = default;

void DriveSelectForm::Form_Load() {
    m_services.feedback.beep();
}

void DriveSelectForm::ok_Click() {
    if (m_state != State::Selecting) {
        return;
    }
    using platform::MessageButtons;
    using platform::MessageIcon;
    m_services.messages.show(text(texts::kSearchStart), MessageIcon::Information,
                             MessageButtons::Ok);
    m_state = State::Searching;
    m_services.feedback.setBusyCursor(true);
    ok->hide();
    sl->show();
    avi->setVisible(true);
    setClientHeight(kBusyHeightTwips);
    playClip("Findcomp.avi");
    選択ドライブ->setEnabled(false);

    QString start;
    const int index = 選択ドライブ->currentIndex();
    if (index >= 0 && index < m_drives.size()) {
        const platform::Drive& drive = m_drives.at(index);
        start = drive.root.isEmpty() ? drive.designation + QDir::separator() : drive.root;
    }
    FindFiles(start, QStringLiteral("*.acs"), true, m_services.events);

    // Only what the companion can show is copied: the old characters are replaced, so a
    // drive of Agent 1.5 files, broken files or anything else named like a character must
    // never take their place. A folder named like a character file is no file at all.
    std::vector<std::string> files;
    QStringList skipped;
    for (const std::string& path : foundFiles) {
        if (!media::isRegularFile(path)) {
            continue;
        }
        m_services.events.processEvents();
        const CharacterFileCheck check = checkCharacterFile(path);
        if (check.ok) {
            files.push_back(path);
        } else {
            qInfo("not copied: %s: %s", path.c_str(), qPrintable(check.detail));
            skipped.append(displayPath(path) + QString::fromUtf16(u"：") + check.reason);
        }
    }
    avi->stop();
    m_services.feedback.setBusyCursor(false);

    if (files.empty()) {
        m_state = State::NothingFound;
        const auto answer = m_services.messages.show(
            text(texts::kNothingFound), MessageIcon::Information, MessageButtons::YesNo);
        if (answer == platform::MessageAnswer::Yes) {
            unload();
        } else {
            backToSelecting();
        }
        return;
    }

    m_state = State::Found;
    const auto count = static_cast<int>(qMin<std::size_t>(files.size(), 0x7fffffff));
    QString found = text(texts::kFoundHead) + formatNumber(count) + text(texts::kFoundTail);
    if (!skipped.isEmpty()) {
        constexpr qsizetype kMaxListed = 10;
        found += QStringLiteral("\r\r") + formatNumber(static_cast<int>(skipped.size())) +
                 text(texts::kSkippedTail);
        for (qsizetype i = 0; i < skipped.size() && i < kMaxListed; ++i) {
            found += QLatin1Char('\r') + skipped.at(i);
        }
        if (skipped.size() > kMaxListed) {
            found += QStringLiteral("\r…");
        }
    }
    m_services.messages.show(found, MessageIcon::Information, MessageButtons::Ok);
    if (copyAll(files)) {
        unload();
    } else {
        backToSelecting();
    }
}

bool DriveSelectForm::copyAll(const std::vector<std::string>& files) {
    m_state = State::Copying;
    sl->setText(text(texts::kCopying));
    m_services.feedback.setBusyCursor(true);
    playClip("Filecopy.avi");

    const QString staging = programFile(m_services, QString::fromLatin1(kStagingFolder));
    QDir(staging).removeRecursively();  // leftovers of a run that was cut short
    if (!QDir().mkpath(staging)) {
        reportCopyFailure(QDir::toNativeSeparators(staging));
        return false;
    }
    const auto count = static_cast<int>(files.size());
    for (int i = 1; i <= count; ++i) {
        sl->setText(text(texts::kCopyingPrefix) + formatNumber(i) + QStringLiteral("/") +
                    formatNumber(count));
        m_services.events.processEvents();
        const std::string& source = files[static_cast<std::size_t>(i - 1)];
        // Synced, because the old files are removed on the strength of these copies.
        const media::CopyResult copied =
            media::copyFile(source, rawPath(staging + QLatin1Char('/') + binName(i)), true);
        if (!copied.ok) {
            qWarning("copy of %s failed: %s", source.c_str(), copied.detail.c_str());
            QDir(staging).removeRecursively();
            reportCopyFailure(displayPath(source));
            return false;
        }
    }
    if (!replaceCharacterFiles(staging, count)) {
        QDir(staging).removeRecursively();
        reportCopyFailure(QString());
        return false;
    }
    QDir(staging).removeRecursively();
    m_services.feedback.setBusyCursor(false);
    return true;
}

bool DriveSelectForm::replaceCharacterFiles(const QString& staging, int count) {
    const QDir program(m_services.programFolder);
    const QString retired = staging + QStringLiteral("/old");
    if (!QDir().mkpath(retired)) {
        return false;
    }
    // temp.bin guarantees the wildcard removal always has a file to act on; it goes with the
    // old character files.
    QFile temp(programFile(m_services, QStringLiteral("temp.bin")));
    if (temp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        temp.close();
    }
    // Old files are moved aside rather than deleted, so any failure below can put them back.
    const QStringList old =
        program.entryList({QStringLiteral("*.bin")}, QDir::Files | QDir::Hidden | QDir::System);
    QStringList movedOld;
    int movedNew = 0;
    auto rollBack = [&] {
        for (int i = 1; i <= movedNew; ++i) {
            QFile::remove(program.filePath(binName(i)));
        }
        for (const QString& name : movedOld) {
            QFile::rename(retired + QLatin1Char('/') + name, program.filePath(name));
        }
        QFile::remove(programFile(m_services, QStringLiteral("temp.bin")));
    };
    for (const QString& name : old) {
        if (!QFile::rename(program.filePath(name), retired + QLatin1Char('/') + name)) {
            rollBack();
            return false;
        }
        movedOld.append(name);
    }
    for (int i = 1; i <= count; ++i) {
        if (!QFile::rename(staging + QLatin1Char('/') + binName(i), program.filePath(binName(i)))) {
            rollBack();
            return false;
        }
        movedNew = i;
    }
    return true;
}

void DriveSelectForm::reportCopyFailure(const QString& detail) {
    avi->stop();
    m_services.feedback.setBusyCursor(false);
    QString message = text(texts::kCopyFailed);
    if (!detail.isEmpty()) {
        message += QLatin1Char('\r') + detail;
    }
    m_services.messages.show(message, platform::MessageIcon::Critical,
                             platform::MessageButtons::Ok);
}

void DriveSelectForm::backToSelecting() {
    ok->show();
    sl->hide();
    sl->setText(text(texts::kSearching));
    avi->setVisible(false);
    setClientHeight(kRestHeightTwips);
    選択ドライブ->setEnabled(true);
    m_state = State::Selecting;
}

void DriveSelectForm::unload() {
    m_closing = true;
    m_state = State::Closed;
    done(QDialog::Accepted);
}

void DriveSelectForm::playClip(const char* name) {
    // A missing or unplayable clip only means no animation.
    if (avi->open(programFile(m_services, QString::fromLatin1(name)))) {
        avi->play();
    }
}

QRect DriveSelectForm::twipsRect(int left, int top, int width, int height) const {
    const double x = m_services.screen.twipsPerPixelX();
    const double y = m_services.screen.twipsPerPixelY();
    return QRect(qRound(left / x), qRound(top / y), qRound(width / x), qRound(height / y));
}

void DriveSelectForm::setClientHeight(int twips) {
    setFixedSize(qRound(kWidthTwips / m_services.screen.twipsPerPixelX()),
                 qRound(twips / m_services.screen.twipsPerPixelY()));
}

void DriveSelectForm::showEvent(QShowEvent* event) {
    move((m_services.screen.widthPixels() - width()) / 2,
         (m_services.screen.heightPixels() - height()) / 2);
    QDialog::showEvent(event);
}

void DriveSelectForm::closeEvent(QCloseEvent* event) {
    // No close box; a close from the window manager is honoured only while nothing runs.
    if (m_closing || m_state == State::Selecting) {
        m_state = State::Closed;
        event->accept();
        return;
    }
    event->ignore();
}

void DriveSelectForm::reject() {
    // Escape does nothing: the form has no cancel button and closes only by itself.
}

}  // namespace app
