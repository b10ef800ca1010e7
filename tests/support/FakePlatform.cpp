#include "FakePlatform.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    *out << '"' << shown.toStdString() << '"';
}

namespace fakes {

platform::MessageAnswer FakeMessageBoxes::show(const QString& text, platform::MessageIcon icon,
                                               platform::MessageButtons buttons,
                                               const QString& caption) {
    boxes.push_back({text, icon, buttons, caption});
    if (whileOpen) {
        whileOpen(static_cast<int>(boxes.size()) - 1);
    }
    if (buttons == platform::MessageButtons::Ok) {
        return platform::MessageAnswer::Ok;
    }
    if (answers.empty()) {
        return fallback;
    }
    const platform::MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

QString FakeSettings::read(const QString& application, const QString& section, const QString& key,
                           const QString& defaultValue) {
    return values.value(application + '/' + section + '/' + key, defaultValue);
}

void FakeSettings::write(const QString& application, const QString& section, const QString& key,
                         const QString& value) {
    const QString path = application + '/' + section + '/' + key;
    values.insert(path, value);
    writes.append(path + '=' + value);
}

FakeTimer::~FakeTimer() {
    auto& list = m_owner.timers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void FakeTimer::setInterval(int milliseconds) {
    m_interval = milliseconds > 0 ? milliseconds : 0;
    history.push_back(milliseconds);
    due = m_owner.now + m_interval;
}

void FakeTimer::fire() {
    if (m_interval > 0) {
        due = m_owner.now + m_interval;
    }
    if (m_handler) {
        m_handler();
    }
}

std::unique_ptr<platform::IntervalTimer> FakeTimerFactory::createTimer() {
    auto timer = std::make_unique<FakeTimer>(*this);
    timers.push_back(timer.get());
    return timer;
}

void FakeTimerFactory::advance(long long ms) {
    now += ms;
    // A handler may start, stop or delete timers; pick one due timer at a time.
    for (;;) {
        FakeTimer* next = nullptr;
        for (FakeTimer* timer : timers) {
            if (timer->interval() > 0 && timer->due <= now && (!next || timer->due < next->due)) {
                next = timer;
            }
        }
        if (!next) {
            return;
        }
        next->fire();
    }
}

void FakeEventPump::processEvents() {
    ++pumps;
    if (onPump) {
        onPump(pumps);
    }
    m_timers.advance(stepMs);
}

float ScriptedRandom::rnd() {
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

bool FakeProcessStarter::isCharacterInstaller(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

bool FakeProcessStarter::start(const QString& path, platform::WindowStyle style) {
    const bool ok = succeeds ? succeeds(path) : QFileInfo(path).isFile();
    starts.push_back({path, style, ok});
    return ok;
}

platform::TransferResult FakeHttp::fetchToFile(const QUrl& url, const QString& path) {
    requests.append(url.toString());
    const auto it = bodies.constFind(url.toString());
    if (it == bodies.constEnd()) {
        return {false, QStringLiteral("no such URL")};
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(*it) != it->size()) {
        return {false, QStringLiteral("cannot write")};
    }
    return {true, {}};
}

bool FakeSystemInfo::queryRegistryValue(std::uint32_t /*root*/, const QString& keyName,
                                        const QString& valueName, std::uint32_t* type,
                                        QByteArray* data, int maxBytes) {
    queries.append(keyName + '|' + valueName);
    const auto it = values.constFind(keyName + '|' + valueName);
    if (it == values.constEnd() || it->data.size() > maxBytes) {
        return false;
    }
    *type = it->type;
    *data = it->data;
    return true;
}

FakePlatform::FakePlatform(const QString& programFolder)
    : services{messages, settings, events,     screen,   random, timers,       processes,
               http,     drives,   systemInfo, feedback, exit,   programFolder} {}

}  // namespace fakes
