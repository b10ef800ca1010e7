#pragma once

#include "app/download/DownloadForm.h"
#include "app/download/DownloadServers.h"

namespace app {

// The form `ドライバダウンロード`: fetches the Agent component's installer into the program
// folder as 5.exe, says that an English licence will follow, starts it maximised with the
// focus and waits for the user to confirm the installation has ended. Complete, but nothing in
// the program opens it.
class DriverDownloadForm final : public DownloadForm {
public:
    DriverDownloadForm(platform::Services& services, SharedState& state,
                       AnimationControlFactory& clips, DownloadServers servers);

    void dl_Click();

private:
    DownloadServers m_servers;
};

}  // namespace app
