#include "app/core/TitleScreen.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "app/core/Fonts.h"
#include "app/core/ProgramIcon.h"
#include "app/core/Texts.h"

namespace app {

TitleFrame::TitleFrame(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
}

void TitleFrame::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit clicked();
}

namespace {

// Labels keep their clicks: a click on them must not reach the frame and close the screen.
QLabel* makeLabel(QWidget* parent, const char* name, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setFont(font);
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

}  // namespace

TitleScreen::TitleScreen() : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("タイトル画面"));
    setWindowTitle(applicationTitle());
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose, false);

    Frame1 = new TitleFrame(this);
    imgLogo = makeLabel(Frame1, "imgLogo", QFont());
    imgLogo->setPixmap(programIconPixmap(64));
    lblProductName = makeLabel(Frame1, "lblProductName", japaneseFont(20.25, true));
    lblVersion = makeLabel(Frame1, "lblVersion", japaneseFont(9, true));
    lblPlatform = makeLabel(Frame1, "lblPlatform", japaneseFont(11.25, true));
    lblPlatform->setText(QString::fromUtf16(texts::kPlatforms));
    lblCompanyProduct = makeLabel(Frame1, "lblCompanyProduct", japaneseFont(12, false, true));
    lblCompanyProduct->setText(QString::fromUtf16(texts::kMaker));

    auto* grid = new QGridLayout(Frame1);
    grid->setContentsMargins(24, 24, 24, 24);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(10);
    grid->addWidget(imgLogo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblCompanyProduct, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblProductName, 1, 1, Qt::AlignLeft);
    grid->addWidget(lblPlatform, 2, 1, Qt::AlignRight);
    grid->addWidget(lblVersion, 3, 1, Qt::AlignRight);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(Frame1);
    setFixedSize(480, 260);

    QObject::connect(Frame1, &TitleFrame::clicked, this, [this] { Frame1_Click(); });
    Form_Load();
}

void TitleScreen::Form_Load() {
    lblVersion->setText(versionText());
    lblProductName->setText(applicationTitle());
}

void TitleScreen::Frame1_Click() {
    close();
}

void TitleScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    raise();
    activateWindow();
}

void TitleScreen::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace app
