#include "app/download/CharacterDownloadForm.h"

#include <QCheckBox>
#include <QPushButton>

#include "app/download/Texts.h"

namespace app {

namespace text = texts::download;

CharacterDownloadForm::CharacterDownloadForm(platform::Services& services, Module1& state,
                                             AnimationControlFactory& clips,
                                             DownloadServers servers)
    : DownloadForm(services, state, clips, QString::fromUtf16(text::kCharacterCaption)),
      m_servers(std::move(servers)) {
    struct TableRow {
        const char* name;
        const char16_t* caption;
        const char16_t* urlPath;
        const char16_t* storedAs;
        const char16_t* label;
    };
    static constexpr TableRow kTable[] = {
        {"Genie", text::kGenie, u"/agent2/chars/Genie.exe", u"1.exe", text::kGenieLabel},
        {"Merlin", text::kMerlin, u"/agent2/chars/Merlin.exe", u"2.exe", text::kMerlinLabel},
        {"Robby", text::kRobby, u"/agent2/chars/Robby.exe", u"3.exe", text::kRobbyLabel},
        {"Peedy", text::kPeedy, u"/agent2/chars/Peedy.exe", u"4.exe", text::kPeedyLabel},
    };
    QList<QWidget*> boxes;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf16(kTable[i].caption), this);
        box->setObjectName(QString::fromLatin1(kTable[i].name));
        m_rows[i] = {box, kTable[i].urlPath, kTable[i].storedAs, kTable[i].label};
        boxes.append(box);
    }
    arrange(boxes);
    connect(dl, &QPushButton::clicked, this, &CharacterDownloadForm::dl_Click);
}

void CharacterDownloadForm::dl_Click() {
    if (!confirmDownload()) {
        return;
    }
    beginDownloading();
    for (const Row& row : m_rows) {
        // Only a plain tick counts; a partly checked box is not a request.
        if (row.box->checkState() != Qt::Checked) {
            continue;
        }
        m_state.downloadPath = programFile(m_services, QString::fromUtf16(row.storedAs));
        m_state.downloadLabel = QString::fromUtf16(row.label);
        DownloadFile(serverUrls(m_servers.characters, QString::fromUtf16(row.urlPath)),
                     m_state.downloadPath, m_state.downloadLabel, [this](const QString& path) {
                         return m_services.processes.isCharacterInstaller(path);
                     });
    }
    // Every installer present is started, one right after the other; a missing or broken one
    // fails to start and is passed over without a word.
    for (const char* name : {"1.exe", "2.exe", "3.exe", "4.exe"}) {
        m_services.processes.start(programFile(m_services, QString::fromLatin1(name)),
                                   platform::WindowStyle::MinimizedNoFocus);
    }
    endDownloading();
    unload();
}

void ShowCharacterDownload(platform::Services& services, Module1& state,
                           AnimationControlFactory& clips) {
    CharacterDownloadForm form(services, state, clips,
                               DownloadServers::fromSettings(services.settings));
    form.exec();
}

}  // namespace app
