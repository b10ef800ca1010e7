#pragma once

#include <QString>

#include "platform/ProcessStarter.h"

namespace platform {

// Starts programs the way this system allows.
//
// On Windows every start goes to the shell with the requested window style, so a downloaded
// installer runs as the program it is.
//
// Elsewhere a Windows program (a file starting with "MZ", or named *.exe) is never run: it is
// taken for a sample-character installer and "starting" it extracts its character into
// `charsFolder` (see extractCharacter); the start succeeds only when a character was written.
// Any other file is started detached only when it is already executable (the About box's
// system-information program); nothing downloaded is executable, since the transfer writes
// plain files. The window style is a wish the window manager may ignore there.
class DesktopProcessStarter final : public ProcessStarter {
public:
    // An empty `charsFolder` means agentCharactersFolder(), looked up at each start.
    explicit DesktopProcessStarter(QString charsFolder = {});
    bool start(const QString& path, WindowStyle style) override;
    // On Windows a Windows program; elsewhere an installer whose character extracts (into a
    // scratch folder that is removed again).
    bool isCharacterInstaller(const QString& path) override;

private:
    QString m_charsFolder;
};

}  // namespace platform
