#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "app/core/Module1.h"

namespace app {

// The parts of start-up that live in other subsystems, wired by main().
struct StartupHooks {
    std::function<std::unique_ptr<QWidget>()> createTitleScreen;
    std::function<void()> runSetupWizard;
    std::function<void()> loadRandomCharacter;
    // Runs the wizard even when setup is recorded as done (porukane --setup).
    bool forceSetup = false;
};

// Lists the character files (*.bin, ordinary files only, not hidden) of a folder in the order
// the file system returns them. Names only, without the folder.
QStringList catalogueCharacterFiles(const QString& folder);

// The load handler of `メイン`: title screen, setup wizard, position, catalogue, first character.
// Returns true when a character is on screen and the caller should run the event loop for
// ever; false when the program has ended (no character file).
bool MainForm_Load(platform::Services& services, Module1& state, Waiter& waiter,
                   platform::IntervalTimer& animationTimer, const StartupHooks& hooks);

}  // namespace app
