#include "platform/qt/QtServices.h"

#include "platform/ProgramFolder.h"
#include "platform/qt/QtBasics.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtSettingsStore.h"

namespace platform {

struct QtServices::Impl {
    QtMessageBoxes messages;
    QtSettingsStore settings;
    QtEventPump events;
    QtScreen screen;
    MersenneRandom random;
    QtTimerFactory timers;
    DesktopSystemInfo systemInfo;
    QtUiFeedback feedback;
    ProcessExit exit;
};

QtServices::QtServices(HttpTransfer& http, ProcessStarter& processes, DriveList& drives)
    : m_impl(std::make_unique<Impl>()) {
    m_services.reset(new Services{m_impl->messages, m_impl->settings, m_impl->events,
                                  m_impl->screen, m_impl->random, m_impl->timers, processes, http,
                                  drives, m_impl->systemInfo, m_impl->feedback, m_impl->exit,
                                  programFolderPath()});
}

QtServices::~QtServices() = default;

QString programFolderPath() {
    return currentProgramFolder().path;
}

}  // namespace platform
