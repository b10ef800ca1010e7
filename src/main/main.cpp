// Wires the real implementations together and starts the companion; nothing else.

#include <QApplication>

#include "agent/desktop/DesktopAgentControl.h"
#include "app/about/AboutForm.h"
#include "app/character/MainForm.h"
#include "app/core/AppSettings.h"
#include "app/core/CommandLine.h"
#include "app/core/ProgramIcon.h"
#include "app/core/Waiter.h"
#include "app/media/CommandLineImport.h"
#include "app/media/DriveSelectForm.h"
#include "app/startup/Startup.h"
#include "app/startup/Texts.h"
#include "app/tray/CompanionTray.h"
#include "clip/qt/QtAnimationControl.h"
#include "platform/ProgramFolder.h"
#include "platform/drives/SystemDriveList.h"
#include "platform/http/DesktopProcessStarter.h"
#include "platform/http/QtHttpTransfer.h"
#include "platform/os/DisplaySession.h"
#include "platform/qt/QtServices.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const app::CommandLine commandLine = app::parseCommandLine(arguments);
    if (const int status = app::runWithoutDisplay(commandLine, argc, argv); status >= 0) {
        return status;
    }

    platform::preferXWayland();
    QApplication application(argc, argv);
    // The companion has no main window: closing a box or a form must never end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(app::programIcon());

    platform::prepareProgramFolder();
    platform::QtHttpTransfer http;
    platform::DesktopProcessStarter processes;
    platform::SystemDriveList drives;
    platform::QtServices system(http, processes, drives);
    platform::Services& services = system.services();

    const QString unsupported = platform::unsupportedSessionReason();
    if (!unsupported.isEmpty()) {
        qWarning().noquote() << unsupported;
        services.messages.show(QString::fromUtf16(app::texts::startup::kNoXServer),
                               platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        return 1;
    }

    // One tray icon for the whole program (CompanionTray) instead of one per character.
    desktop::DesktopAgentControl::Config engine;
    engine.trayIcon = false;
    engine.scale = app::AppSettings(services.settings).displayScale();
    desktop::DesktopAgentControl agent(engine);
    agent.setMuted(app::CompanionTray::mutedSetting(services.settings));
    clip::QtAnimationControlFactory clips;
    app::SharedState state;
    app::Waiter waiter(services, state);
    app::MainForm mainForm(services, state, waiter, agent, [&services] {
        app::AboutForm about(services);
        about.exec();
    });

    app::StartupHooks hooks = app::companionStartup(services, state, mainForm, clips);
    hooks.forceSetup = commandLine.setup;

    if (!commandLine.importPath.isEmpty()) {
        app::importFromCommandLine(services, clips, commandLine.importPath);
    }
    if (!app::MainForm_Load(services, state, waiter, mainForm.アニメーションタイマー(), hooks)) {
        return 0;
    }

    app::TrayHooks trayHooks;
    trayHooks.runDriveWizard = [&] {
        app::DriveSelectForm form(services, clips);
        form.exec();
    };
    trayHooks.runSetupWizard = hooks.runSetupWizard;
    trayHooks.setMuted = [&agent](bool muted) { agent.setMuted(muted); };
    app::CompanionTray tray(services, state, mainForm,
                            platform::Autostart(platform::Autostart::defaultConfigHome(),
                                                QCoreApplication::applicationFilePath()),
                            trayHooks, app::programIcon());
    return QApplication::exec();
}
