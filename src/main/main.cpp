// Wires the real implementations together and starts the companion; nothing else.

#include <QApplication>

#include "agent/desktop/DesktopAgentControl.h"
#include "app/about/AboutForm.h"
#include "app/character/MainForm.h"
#include "app/core/ProgramIcon.h"
#include "app/core/Waiter.h"
#include "app/startup/Startup.h"
#include "app/startup/Texts.h"
#include "clip/qt/QtAnimationControl.h"
#include "platform/drives/SystemDriveList.h"
#include "platform/http/DesktopProcessStarter.h"
#include "platform/http/QtHttpTransfer.h"
#include "platform/os/DisplaySession.h"
#include "platform/qt/QtServices.h"

int main(int argc, char** argv) {
    platform::preferXWayland();
    QApplication application(argc, argv);
    // The companion has no main window: closing a box or a form must never end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(app::programIcon());

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

    desktop::DesktopAgentControl agent;
    clip::QtAnimationControlFactory clips;
    app::SharedState state;
    app::Waiter waiter(services, state);
    app::MainForm mainForm(services, state, waiter, agent, [&services] {
        app::AboutForm about(services);
        about.exec();
    });

    if (!app::MainForm_Load(services, state, waiter, mainForm.アニメーションタイマー(),
                            app::companionStartup(services, state, mainForm, clips))) {
        return 0;
    }
    return QApplication::exec();
}
