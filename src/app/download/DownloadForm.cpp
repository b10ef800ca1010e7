#include "app/download/DownloadForm.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/download/Texts.h"

namespace app {

namespace text = texts::download;

DownloadForm::DownloadForm(platform::Services& services, Module1& state,
                           AnimationControlFactory& clips, const QString& objectName)
    : m_services(services), m_state(state) {
    setObjectName(objectName);
    setWindowTitle(objectName);
    setModal(true);

    dl = new QPushButton(QString::fromUtf16(text::kDownloadButton), this);
    dl->setObjectName(QStringLiteral("dl"));
    キャンセル = new QPushButton(QString::fromUtf16(text::kCancelButton), this);
    キャンセル->setObjectName(QStringLiteral("キャンセル"));
    sl = new QLabel(this);
    sl->setObjectName(QStringLiteral("sl"));
    sl->hide();
    avi = clips.create(this);
    avi->setVisible(false);

    connect(キャンセル, &QPushButton::clicked, this, &DownloadForm::キャンセル_Click);
}

DownloadForm::~DownloadForm() = default;

void DownloadForm::arrange(const QList<QWidget*>& top) {
    auto* column = new QVBoxLayout(this);
    for (QWidget* widget : top) {
        column->addWidget(widget);
    }
    column->addWidget(avi->widget(), 0, Qt::AlignHCenter);
    column->addWidget(sl);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(dl);
    buttons->addWidget(キャンセル);
    column->addLayout(buttons);
    // Wide enough for the caption and the status line of the longest label.
    setMinimumWidth(400);

    // Keyboard order follows the layout: the form's own controls, then `dl`, then
    // `キャンセル`; the first of them has the focus when the form opens.
    QList<QWidget*> chain;
    for (QWidget* widget : top) {
        if (widget->focusPolicy() != Qt::NoFocus) {
            chain.append(widget);
        }
    }
    chain << dl << キャンセル;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
    chain.first()->setFocus();
}

void DownloadForm::キャンセル_Click() {
    unload();
}

void DownloadForm::reject() {
    if (!m_busy) {
        QDialog::reject();
    }
}

void DownloadForm::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool DownloadForm::confirmDownload() {
    DeleteInstallers(m_services);
    const platform::MessageAnswer answer = m_services.messages.show(
        QString::fromUtf16(text::kConfirmDownload), platform::MessageIcon::Information,
        platform::MessageButtons::YesNo);
    if (answer != platform::MessageAnswer::Yes) {
        m_services.exit.endProgram();
        return false;
    }
    return true;
}

void DownloadForm::beginDownloading() {
    m_busy = true;
    setCursor(Qt::WaitCursor);
    キャンセル->hide();
    dl->hide();
    avi->setVisible(true);
    sl->show();
    // A missing clip only means no animation; the download itself does not depend on it.
    avi->open(programFile(m_services, QStringLiteral("filecopy.avi")));
    avi->play();
    // The form was laid out without the clip: grow it now, so the clip has room to play in
    // before the download holds the program.
    if (layout()) {
        layout()->activate();
    }
}

bool DownloadForm::DownloadFile(const QStringList& urls, const QString& path, const QString& label,
                                const std::function<bool(const QString&)>& usable) {
    sl->setText(label + QString::fromUtf16(text::kDownloadingSuffix));
    m_services.events.processEvents();
    for (const QString& url : urls) {
        m_state.downloadUrl = url;
        qInfo("downloading %s", qPrintable(url));
        const platform::TransferResult result = m_services.http.fetchToFile(QUrl(url), path);
        if (!result.ok) {
            qInfo("download failed: %s", qPrintable(result.error));
            continue;
        }
        if (usable && !usable(path)) {
            // A server that answers every request with a page of its own is no mirror.
            qInfo("download failed: %s does not hold what was asked for", qPrintable(url));
            QFile::remove(path);
            continue;
        }
        return true;
    }
    m_services.messages.show(QString::fromUtf16(text::kDownloadFailed),
                             platform::MessageIcon::Critical, platform::MessageButtons::Ok);
    return false;
}

bool DownloadForm::isWindowsProgram(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

void DownloadForm::endDownloading() {
    unsetCursor();
    avi->stop();
}

void DownloadForm::unload() {
    m_busy = false;
    done(QDialog::Rejected);
}

}  // namespace app
