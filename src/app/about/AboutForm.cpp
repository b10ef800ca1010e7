#include "app/about/AboutForm.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "app/about/Texts.h"
#include "app/core/Fonts.h"
#include "app/core/ProgramIcon.h"
#include "app/core/ProgramIdentity.h"

namespace app {

AboutForm::AboutForm(platform::Services& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(programIconPixmap(32));
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(japaneseFont(14, true));
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(japaneseFont(9));
    Label1 = new QLabel(QString::fromUtf16(texts::about::kAboutMaker), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(japaneseFont(9));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdSysInfo = new QPushButton(QString::fromUtf16(texts::about::kSysInfoButton), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(16);
    grid->addWidget(imgLogo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(Label1, 2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);

    // Esc reaches QDialog::reject, Enter the default button: both close the box.
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    Form_Load();
    setFixedSize(sizeHint().expandedTo(QSize(400, 140)));
}

void AboutForm::Form_Load() {
    setWindowTitle(applicationTitle() + QString::fromUtf16(texts::about::kAboutCaptionSuffix));
    lblVersion->setText(versionText());
    lblTitle->setText(applicationTitle());
}

void AboutForm::cmdOK_Click() {
    accept();
}

void AboutForm::cmdSysInfo_Click() {
    StartSysInfo();
}

void AboutForm::StartSysInfo() {
    QString path;
    if (m_services.systemInfo.hasRegistry()) {
        QString found;
        if (GetKeyValue(kHkeyLocalMachine,
                        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QStringLiteral("PATH"), found)) {
            path = found;
        } else if (GetKeyValue(kHkeyLocalMachine,
                               QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                               QStringLiteral("MSINFO"), found) &&
                   m_services.systemInfo.isFile(found + QStringLiteral("\\MSINFO32.EXE"))) {
            path = found + QStringLiteral("\\MSINFO32.EXE");
        }
    } else {
        path = m_services.systemInfo.findProgram();
    }
    if (!path.isEmpty() && m_services.processes.start(path, platform::WindowStyle::NormalFocus)) {
        return;
    }
    m_services.messages.show(QString::fromUtf16(texts::about::kSysInfoUnavailable),
                             platform::MessageIcon::None, platform::MessageButtons::Ok);
}

bool AboutForm::GetKeyValue(std::uint32_t root, const QString& keyName, const QString& valueName,
                            QString& text) {
    std::uint32_t type = 0;
    QByteArray bytes;
    if (!m_services.systemInfo.queryRegistryValue(root, keyName, valueName, &type, &bytes, 1024)) {
        text.clear();
        return false;
    }
    if (bytes.endsWith('\0')) {
        bytes.chop(1);
    }
    if (type == 1) {
        text = QString::fromLocal8Bit(bytes);
    } else if (type == 4) {
        std::uint32_t number = 0;
        for (int i = 0; i < 4 && i < bytes.size(); ++i) {
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        }
        text = QStringLiteral("&h") + QString::number(number, 16).toUpper();
    }
    return true;
}

}  // namespace app
