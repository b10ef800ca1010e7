#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "platform/Services.h"

namespace app {

class AgentCharacter;

// The state several forms share, for the whole run, on the user-interface thread only.
// Lists are 0-based here: charFiles(i) of the behaviour is charFiles[i - 1].
struct Module1 {
    QStringList charFiles;  // names (no folder) of the catalogued character files
    QStringList animNames;  // animation names of the character on screen, engine order
    AgentCharacter* currentChar = nullptr;
    double charX = 0;  // remembered left edge of the character frame, pixels
    double charY = 0;  // remembered top edge
    int hidingByProgram = 0;
    int waitFlag = 0;
    float screenWidth = 0;  // twips, refreshed by every roaming move
    float screenHeight = 0;
    QString downloadUrl;
    QString downloadPath;
    QString downloadLabel;

    int charFileCount() const { return static_cast<int>(charFiles.size()); }
    int animCount() const { return static_cast<int>(animNames.size()); }
};

// WaitSeconds and its timer `wt`. Nested waits share the flag and the timer: an inner wait
// restarts `wt` with its own length and its first tick ends every wait in progress.
class Waiter {
public:
    Waiter(platform::Services& services, Module1& state);

    // Pumps events until `wt` ticks. A wait of 0 seconds or less returns at once (it would
    // never end otherwise); a length beyond 32-bit milliseconds is capped.
    void WaitSeconds(int seconds);
    void wt_Timer();

    platform::IntervalTimer& wt() { return *m_wt; }

private:
    platform::Services& m_services;
    Module1& m_state;
    std::unique_ptr<platform::IntervalTimer> m_wt;
};

// Removes the downloaded installers 1.exe to 5.exe, in any case, from the program folder;
// every failure is ignored.
void DeleteInstallers(const platform::Services& services);

// programFolder + "/" + name, or the existing file in the program folder whose name differs
// from `name` only in case.
QString programFile(const platform::Services& services, const QString& name);

}  // namespace app
