#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Where the companion keeps its character files, progress clips and downloaded installers.
//
// A build tree or an unpacked copy is portable: the executable's own folder is the program
// folder when it is writable and holds the progress clip Findcomp.avi. An installed program
// (its folder read-only, or without the clip) uses `<data home>/porukane` instead, seeded
// from the shared data folder the installation brought along.
struct ProgramFolder {
    QString path;  // without a trailing separator
    bool portable = false;
};

// The marker that tells a portable program folder from a plain bin folder.
inline constexpr const char* kPortableMarker = "Findcomp.avi";

// Decides between the executable's folder and `dataHome`/porukane. Creates nothing.
ProgramFolder resolveProgramFolder(const QString& executableFolder, const QString& dataHome);

// The installation's shared data folder for an executable in `executableFolder`:
// `<prefix>/share/porukane` beside `<prefix>/bin`.
QString sharedDataFolder(const QString& executableFolder);

// Creates `folder` if needed and copies in from `sharedFolder` what is missing: our character
// as 1.bin when the folder holds no *.bin file, and each progress clip that is absent. Never
// overwrites a file. Returns the names copied; `error` (when given) receives a one-line
// description of the first failure, and the rest is still attempted.
QStringList seedProgramFolder(const QString& folder, const QString& sharedFolder,
                              QString* error = nullptr);

// The folder for this process: resolved from QCoreApplication's executable folder and the XDG
// data home (~/.local/share when XDG_DATA_HOME is unset). Needs a QCoreApplication.
ProgramFolder currentProgramFolder();

// currentProgramFolder(), seeded from the installation's shared data folder unless it is
// portable. Failures are logged; the program goes on with whatever the folder holds.
ProgramFolder prepareProgramFolder();

}  // namespace platform
