#pragma once

#include <QString>

#include "platform/DriveList.h"
#include "platform/EventPump.h"
#include "platform/HttpTransfer.h"
#include "platform/IntervalTimer.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramExit.h"
#include "platform/RandomSource.h"
#include "platform/Screen.h"
#include "platform/SettingsStore.h"
#include "platform/SystemInfo.h"
#include "platform/UiFeedback.h"

namespace platform {

// Everything the companion asks of the system, passed by reference to every app module so that
// tests can swap each service for a fake. `programFolder` is the program folder (ProgramFolder.h),
// without a trailing separator; files are named in it as programFolder + "/" + name.
struct Services {
    MessageBoxes& messages;
    SettingsStore& settings;
    EventPump& events;
    Screen& screen;
    RandomSource& random;
    TimerFactory& timers;
    ProcessStarter& processes;
    HttpTransfer& http;
    DriveList& drives;
    SystemInfo& systemInfo;
    UiFeedback& feedback;
    ProgramExit& exit;
    QString programFolder;
};

}  // namespace platform
