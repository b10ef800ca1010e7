#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "app/core/Waiter.h"

namespace app {

class AnimationControlFactory;
class MainForm;

// The steps of start-up that open other subsystems' windows. companionStartup() gives the real
// ones; tests pass their own.
struct StartupHooks {
    std::function<std::unique_ptr<QWidget>()> createTitleScreen;
    std::function<void()> runSetupWizard;
    std::function<void()> loadRandomCharacter;
    // Runs the wizard even when setup is recorded as done (porukane --setup).
    bool forceSetup = false;
};

// The real steps: the title screen centred on the primary screen, the setup wizard with the
// character download and drive selection forms, and the main form's first character.
StartupHooks companionStartup(platform::Services& services, SharedState& state, MainForm& mainForm,
                              AnimationControlFactory& clips);

// Lists the character files (*.bin, ordinary files only, not hidden) of a folder in the order
// the file system returns them. Names only, without the folder.
QStringList catalogueCharacterFiles(const QString& folder);

// The load handler of `メイン`: title screen, setup wizard, position, catalogue, first character.
// Returns true when a character is on screen and the caller should run the event loop for
// ever; false when the program has ended (no character file).
bool MainForm_Load(platform::Services& services, SharedState& state, Waiter& waiter,
                   platform::IntervalTimer& animationTimer, const StartupHooks& hooks);

}  // namespace app
