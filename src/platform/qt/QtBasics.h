#pragma once

#include <QTimer>

#include <random>

#include "platform/EventPump.h"
#include "platform/IntervalTimer.h"
#include "platform/ProgramExit.h"
#include "platform/RandomSource.h"
#include "platform/Screen.h"
#include "platform/SystemInfo.h"
#include "platform/UiFeedback.h"

namespace platform {

class QtEventPump final : public EventPump {
public:
    void processEvents() override;
    void waitForEvents() override;
};

// The primary screen; twips per pixel from its logical dots per inch (15 at 96 dpi).
class QtScreen final : public Screen {
public:
    int widthPixels() const override;
    int heightPixels() const override;
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    QList<QRect> availableAreas() const override;
};

class MersenneRandom final : public RandomSource {
public:
    MersenneRandom();
    float rnd() override;
    void randomize() override;

private:
    std::mt19937 m_engine;
};

class QtIntervalTimer final : public IntervalTimer {
public:
    QtIntervalTimer();
    void setInterval(int milliseconds) override;
    int interval() const override;
    void setHandler(std::function<void()> handler) override;

private:
    QTimer m_timer;
    int m_interval = 0;
    std::function<void()> m_handler;
};

class QtTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<IntervalTimer> createTimer() override;
};

class QtUiFeedback final : public UiFeedback {
public:
    void beep() override;
    void setBusyCursor(bool busy) override;

private:
    bool m_busy = false;
};

class ProcessExit final : public ProgramExit {
public:
    void endProgram(int exitCode) override;
};

// Looks for the system-information program users of this system expect.
class DesktopSystemInfo final : public SystemInfo {
public:
    bool hasRegistry() const override;
    bool queryRegistryValue(std::uint32_t root, const QString& keyName, const QString& valueName,
                            std::uint32_t* type, QByteArray* data, int maxBytes) override;
    QString findProgram() override;
    bool isFile(const QString& path) override;
};

}  // namespace platform
