#pragma once

#include <array>

#include "app/download/DownloadForm.h"
#include "app/download/DownloadServers.h"

class QCheckBox;

namespace app {

// The form `キャラクターダウンロード`: the user ticks any of the four sample characters and
// presses `dl`; each ticked installer is fetched into the program folder as 1.exe to 4.exe
// (in the order Genie, Merlin, Robby, Peedy) and every installer present is then started,
// minimised and without focus, without waiting for it. Shown modally by the setup wizard.
class CharacterDownloadForm final : public DownloadForm {
public:
    CharacterDownloadForm(platform::Services& services, SharedState& state,
                          AnimationControlFactory& clips, DownloadServers servers);

    // The whole download sequence. On the No answer the program ends (with a test's fake exit
    // the form simply stays as it was).
    void dl_Click();

private:
    struct Row {
        QCheckBox* box;
        const char16_t* urlPath;
        const char16_t* storedAs;
        const char16_t* label;
    };

    DownloadServers m_servers;
    std::array<Row, 4> m_rows{};
};

// Opens the form modally with the servers from the settings and returns when it has closed.
void ShowCharacterDownload(platform::Services& services, SharedState& state,
                           AnimationControlFactory& clips);

}  // namespace app
