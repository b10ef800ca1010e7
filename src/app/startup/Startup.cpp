#include "app/startup/Startup.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/character/MainForm.h"
#include "app/core/AppSettings.h"
#include "app/download/CharacterDownloadForm.h"
#include "app/media/DriveSelectForm.h"
#include "app/startup/Texts.h"
#include "app/startup/TitleScreen.h"
#include "app/wizard/SetupWizard.h"

namespace app {

StartupHooks companionStartup(platform::Services& services, SharedState& state, MainForm& mainForm,
                              AnimationControlFactory& clips) {
    StartupHooks hooks;
    hooks.createTitleScreen = [] {
        auto title = std::make_unique<TitleScreen>();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = title->frameGeometry();
            frame.moveCenter(screen->geometry().center());
            title->move(frame.topLeft());
        }
        return title;
    };
    hooks.runSetupWizard = [&services, &state, &clips] {
        WizardForms forms;
        forms.showCharacterDownload = [&] { ShowCharacterDownload(services, state, clips); };
        forms.showDriveSelect = [&] {
            DriveSelectForm form(services, clips);
            form.exec();
        };
        RunSetupWizard(services, forms);
    };
    hooks.loadRandomCharacter = [&mainForm] { mainForm.LoadRandomCharacter(); };
    return hooks;
}

QStringList catalogueCharacterFiles(const QString& folder) {
    // Unsorted: the catalogue keeps the file system's own order, like a directory search does.
    const QDir dir(folder, QStringLiteral("*.bin"), QDir::Unsorted, QDir::Files);
    return dir.entryList();
}

bool MainForm_Load(platform::Services& services, SharedState& state, Waiter& waiter,
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
        services.messages.show(QString::fromUtf16(texts::startup::kNotInstalled),
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
