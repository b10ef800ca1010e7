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

FakeTimer::~FakeTimer() {
    auto& list = m_owner.timers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

long long FakeTimer::now() const {
    return m_owner.now;
}

void FakeTimer::setInterval(int milliseconds) {
    m_interval = milliseconds > 0 ? milliseconds : 0;
    history.push_back(milliseconds);
    due = now() + m_interval;
}

void FakeTimerFactory::advance(long long ms) {
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
    if (it == values.constEnd() || it->data.size() > maxBytes)
        return false;
    *type = it->type;
    *data = it->data;
    return true;
}

FakePlatform::FakePlatform(const QString& programFolder)
    : services{messages, settings, events,     screen,   random, timers,       processes,
               http,     drives,   systemInfo, feedback, exit,   programFolder} {}

}  // namespace fakes
