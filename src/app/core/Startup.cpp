#include "app/core/Startup.h"

#include <QDir>

#include "app/core/AppSettings.h"
#include "app/core/Texts.h"

namespace app {

QStringList catalogueCharacterFiles(const QString& folder) {
    // Unsorted: the catalogue keeps the file system's own order, like a directory search does.
    const QDir dir(folder, QStringLiteral("*.bin"), QDir::Unsorted, QDir::Files);
    return dir.entryList();
}

bool MainForm_Load(platform::Services& services, Module1& state, Waiter& waiter,
                   platform::IntervalTimer& animationTimer, const StartupHooks& hooks) {
    animationTimer.setInterval(0);

    std::unique_ptr<QWidget> title = hooks.createTitleScreen ? hooks.createTitleScreen() : nullptr;
    if (title) {
        title->show();
    }
    waiter.WaitSeconds(2);
    title.reset();

    AppSettings settings(services.settings);
    if ((hooks.forceSetup || !settings.setupDone()) && hooks.runSetupWizard) {
        hooks.runSetupWizard();
    }

    services.random.randomize();
    const float halfWidth = static_cast<float>(services.screen.widthPixels()) / 2.0f;
    state.charX = settings.readPosition("x", halfWidth);
    const float halfHeight = static_cast<float>(services.screen.heightPixels()) / 2.0f;
    state.charY = settings.readPosition("y", halfHeight);

    // Every file is catalogued, however many there are: a fixed capacity would only turn a
    // large collection into a failed start.
    state.charFiles = catalogueCharacterFiles(services.programFolder);
    if (state.charFiles.isEmpty()) {
        services.messages.show(QString::fromUtf16(texts::kNotInstalled),
                               platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        services.exit.endProgram(0);
        return false;
    }

    if (hooks.loadRandomCharacter) {
        hooks.loadRandomCharacter();
    }
    return true;
}

}  // namespace app
