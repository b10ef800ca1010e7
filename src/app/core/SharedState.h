#pragma once

#include <QString>
#include <QStringList>

namespace app {

class AgentCharacter;

// The state several forms share, for the whole run, on the user-interface thread only.
// Lists are 0-based here: charFiles(i) of the behaviour is charFiles[i - 1].
struct SharedState {
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

}  // namespace app
