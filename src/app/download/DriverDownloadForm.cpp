#include "app/download/DriverDownloadForm.h"

#include <QLabel>
#include <QPushButton>

#include "app/download/Texts.h"

namespace app {

namespace text = texts::download;

DriverDownloadForm::DriverDownloadForm(platform::Services& services, Module1& state,
                                       AnimationControlFactory& clips, DownloadServers servers)
    : DownloadForm(services, state, clips, QString::fromUtf16(text::kDriverCaption)),
      m_servers(std::move(servers)) {
    auto* label1 = new QLabel(QString::fromUtf16(text::kDriverHeading), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(QString::fromUtf16(text::kDriverNotice), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);
    arrange({label1, label2});
    connect(dl, &QPushButton::clicked, this, &DriverDownloadForm::dl_Click);
}

void DriverDownloadForm::dl_Click() {
    if (!confirmDownload()) {
        return;
    }
    beginDownloading();
    m_state.downloadPath = programFile(m_services, QStringLiteral("5.exe"));
    m_state.downloadLabel = QString::fromUtf16(text::kDriverLabel);
    DownloadFile(
        serverUrls(m_servers.driver, QStringLiteral("/activex/controls/agent2/MSagent.exe")),
        m_state.downloadPath, m_state.downloadLabel, &DownloadForm::isWindowsProgram);
    endDownloading();

    // Shown whether or not the download worked; a missing installer then fails to start
    // silently and the closing message still comes.
    m_services.messages.show(QString::fromUtf16(text::kDriverDownloaded),
                             platform::MessageIcon::Information, platform::MessageButtons::Ok);
    m_services.processes.start(m_state.downloadPath, platform::WindowStyle::MaximizedFocus);
    m_services.messages.show(QString::fromUtf16(text::kDriverInstallDone),
                             platform::MessageIcon::Information, platform::MessageButtons::Ok);
    unload();
}

}  // namespace app
