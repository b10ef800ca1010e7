#pragma once

// Fakes of every platform service, for app tests. Time is virtual: each processEvents() advances
// the fake clock by `FakeEventPump::stepMs` and fires the fake timers that are due, so waits and
// timer ticks happen deterministically inside the code under test.

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Services.h"

// Test failures show texts as UTF-8 (line breaks as \r and \n), not as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    *out << '"' << shown.toStdString() << '"';
}

namespace fakes {

struct RecordedBox {
    QString text;
    platform::MessageIcon icon;
    platform::MessageButtons buttons;
    QString caption;
};

class FakeMessageBoxes final : public platform::MessageBoxes {
public:
    platform::MessageAnswer show(const QString& text, platform::MessageIcon icon,
                                 platform::MessageButtons buttons,
                                 const QString& caption = {}) override {
        boxes.push_back({text, icon, buttons, caption});
        if (whileOpen) {
            whileOpen(static_cast<int>(boxes.size()) - 1);
        }
        if (buttons == platform::MessageButtons::Ok)
            return platform::MessageAnswer::Ok;
        const platform::MessageAnswer answer = answers.empty() ? fallback : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }

    // Answers for Yes/No boxes, used in order; when none is left, `fallback` answers.
    std::deque<platform::MessageAnswer> answers;
    platform::MessageAnswer fallback = platform::MessageAnswer::No;
    // Runs while a box is "open", as a real box pumps events; gets the box's index.
    std::function<void(int)> whileOpen;
    std::vector<RecordedBox> boxes;
    QStringList texts() const {
        QStringList all;
        for (const RecordedBox& box : boxes)
            all << box.text;
        return all;
    }
};

class FakeSettings final : public platform::SettingsStore {
public:
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) override {
        return values.value(application + '/' + section + '/' + key, defaultValue);
    }
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) override {
        values.insert(application + '/' + section + '/' + key, value);
        writes.append(application + '/' + section + '/' + key + '=' + value);
    }

    QMap<QString, QString> values;  // "application/section/key" -> text
    QStringList writes;             // "application/section/key=value", in order
};

class FakeTimerFactory;

class FakeTimer final : public platform::IntervalTimer {
public:
    explicit FakeTimer(FakeTimerFactory& owner) : m_owner(owner) {}
    ~FakeTimer() override;
    void setInterval(int milliseconds) override;
    int interval() const override { return m_interval; }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

    void fire() {
        if (m_interval > 0)
            due = now() + m_interval;
        if (m_handler)
            m_handler();
    }
    std::vector<int> history;  // every interval set, in order
    long long due = 0;         // virtual time of the next tick

private:
    long long now() const;
    FakeTimerFactory& m_owner;
    int m_interval = 0;
    std::function<void()> m_handler;
};

class FakeTimerFactory final : public platform::TimerFactory {
public:
    std::unique_ptr<platform::IntervalTimer> createTimer() override {
        auto timer = std::make_unique<FakeTimer>(*this);
        timers.push_back(timer.get());
        return timer;
    }
    // Advances virtual time and fires every due timer once (in due order).
    void advance(long long ms);

    long long now = 0;
    std::vector<FakeTimer*> timers;
};

class FakeEventPump final : public platform::EventPump {
public:
    explicit FakeEventPump(FakeTimerFactory& timers) : m_timers(timers) {}
    void processEvents() override {
        if (onPump) {
            onPump(++pumps);
        } else {
            ++pumps;
        }
        m_timers.advance(stepMs);
    }
    void waitForEvents() override { processEvents(); }

    int pumps = 0;
    long long stepMs = 100;
    // Runs at every pump, before timers fire; receives the pump number (1-based).
    std::function<void(int)> onPump;

private:
    FakeTimerFactory& m_timers;
};

class FakeScreen final : public platform::Screen {
public:
    int widthPixels() const override { return width; }
    int heightPixels() const override { return height; }
    double twipsPerPixelX() const override { return 15.0; }
    double twipsPerPixelY() const override { return 15.0; }
    QList<QRect> availableAreas() const override { return {QRect(0, 0, 1024, 768)}; }

    int width = 1024;
    int height = 768;
};

class ScriptedRandom final : public platform::RandomSource {
public:
    float rnd() override {
        ++used;
        if (draws.empty()) {
            // A test that draws more than it scripted no longer tests what it says.
            ADD_FAILURE() << "the scripted random source ran out at draw " << used;
            return 0.0f;
        }
        const float value = draws.front();
        draws.pop_front();
        return value;
    }
    void randomize() override { ++seeds; }

    std::deque<float> draws;  // consumed in order; a draw past the end fails the test
    int used = 0;
    int seeds = 0;
};

class FakeProcessStarter final : public platform::ProcessStarter {
public:
    bool start(const QString& path, platform::WindowStyle style) override {
        const bool ok = succeeds ? succeeds(path) : QFileInfo(path).isFile();
        starts.push_back({path, style, ok});
        return ok;
    }
    // A file that starts with "MZ".
    bool isCharacterInstaller(const QString& path) override {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
    }

    struct Start {
        QString path;
        platform::WindowStyle style;
        bool ok;
    };
    std::vector<Start> starts;
    // Decides whether a start succeeds; by default when the file exists.
    std::function<bool(const QString&)> succeeds;
};

class FakeHttp final : public platform::HttpTransfer {
public:
    platform::TransferResult fetchToFile(const QUrl& url, const QString& path) override {
        requests.append(url.toString());
        const auto it = bodies.constFind(url.toString());
        if (it == bodies.constEnd())
            return {false, QStringLiteral("no such URL")};
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(*it) != it->size())
            return {false, QStringLiteral("cannot write")};
        return {true, {}};
    }

    QMap<QString, QByteArray> bodies;  // URL -> body; other URLs fail
    QStringList requests;
};

class FakeDrives final : public platform::DriveList {
public:
    QList<platform::Drive> drives() override { return list; }
    QList<platform::Drive> list;
};

class FakeSystemInfo final : public platform::SystemInfo {
public:
    bool hasRegistry() const override { return registry; }
    bool queryRegistryValue(std::uint32_t /*root*/, const QString& keyName,
                            const QString& valueName, std::uint32_t* type, QByteArray* data,
                            int maxBytes) override {
        queries.append(keyName + '|' + valueName);
        const auto it = values.constFind(keyName + '|' + valueName);
        if (it == values.constEnd() || it->data.size() > maxBytes)
            return false;
        *type = it->type;
        *data = it->data;
        return true;
    }
    QString findProgram() override { return program; }
    bool isFile(const QString& path) override { return files.contains(path); }

    struct Value {
        std::uint32_t type;
        QByteArray data;
    };
    bool registry = false;
    QMap<QString, Value> values;  // "keyName|valueName"
    QStringList queries;
    QString program;
    QStringList files;
};

class FakeFeedback final : public platform::UiFeedback {
public:
    void beep() override { ++beeps; }
    void setBusyCursor(bool on) override { busy = on; }
    int beeps = 0;
    bool busy = false;
};

class FakeExit final : public platform::ProgramExit {
public:
    void endProgram(int /*exitCode*/) override { ended = true; }
    bool ended = false;
};

// Every fake, plus the Services bundle over them. The program folder is a caller-supplied path.
struct FakePlatform {
    // `realHttp`, when given, replaces the fake transfer.
    explicit FakePlatform(const QString& programFolder = QString(),
                          platform::HttpTransfer* realHttp = nullptr)
        : services{messages,     settings,   events,    screen,
                   random,       timers,     processes, realHttp ? *realHttp : http,
                   drives,       systemInfo, feedback,  exit,
                   programFolder} {}

    FakeMessageBoxes messages;
    FakeSettings settings;
    FakeTimerFactory timers;
    FakeEventPump events{timers};
    FakeScreen screen;
    ScriptedRandom random;
    FakeProcessStarter processes;
    FakeHttp http;
    FakeDrives drives;
    FakeSystemInfo systemInfo;
    FakeFeedback feedback;
    FakeExit exit;
    platform::Services services;
};

inline FakeTimer::~FakeTimer() {
    auto& list = m_owner.timers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

inline long long FakeTimer::now() const {
    return m_owner.now;
}

inline void FakeTimer::setInterval(int milliseconds) {
    m_interval = milliseconds > 0 ? milliseconds : 0;
    history.push_back(milliseconds);
    due = now() + m_interval;
}

inline void FakeTimerFactory::advance(long long ms) {
    now += ms;
    // A handler may start, stop or delete timers; pick one due timer at a time.
    for (;;) {
        FakeTimer* next = nullptr;
        for (FakeTimer* timer : timers) {
            if (timer->interval() > 0 && timer->due <= now && (!next || timer->due < next->due))
                next = timer;
        }
        if (!next)
            return;
        next->fire();
    }
}

}  // namespace fakes
