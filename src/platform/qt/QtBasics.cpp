#include "platform/qt/QtBasics.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

void QtEventPump::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

namespace {
QScreen* primary() {
    return QGuiApplication::primaryScreen();
}
constexpr double kTwipsPerInch = 1440.0;
}  // namespace

// Character positions are physical screen pixels; Qt's geometry is in device-independent
// pixels, which a device pixel ratio above 1 shrinks.
QRect physical(const QScreen* screen, const QRect& logical) {
    const double r = screen->devicePixelRatio();
    const auto px = [r](int v) { return static_cast<int>(std::lround(v * r)); };
    return QRect(QPoint(px(logical.left()), px(logical.top())),
                 QSize(px(logical.width()), px(logical.height())));
}

int QtScreen::widthPixels() const {
    return primary() ? physical(primary(), primary()->geometry()).width() : 1024;
}
int QtScreen::heightPixels() const {
    return primary() ? physical(primary(), primary()->geometry()).height() : 768;
}

double QtScreen::twipsPerPixelX() const {
    const double dpi = primary() ? primary()->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? kTwipsPerInch / dpi : 15.0;
}

double QtScreen::twipsPerPixelY() const {
    const double dpi = primary() ? primary()->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? kTwipsPerInch / dpi : 15.0;
}

QList<QRect> QtScreen::availableAreas() const {
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) {
        areas.append(physical(screen, screen->availableGeometry()));
    }
    return areas;
}

MersenneRandom::MersenneRandom() {
    randomize();
}

float MersenneRandom::rnd() {
    // 24 random bits give every single-precision value in [0, 1) on a 2^-24 grid and never 1.0,
    // which generate_canonical<float> can return after rounding.
    return static_cast<float>(m_engine() >> 8) * (1.0f / 16777216.0f);
}

void MersenneRandom::randomize() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                       std::chrono::system_clock::now().time_since_epoch().count();
    m_engine.seed(static_cast<std::mt19937::result_type>(ticks));
}

QtIntervalTimer::QtIntervalTimer() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_handler) {
            m_handler();
        }
    });
}

void QtIntervalTimer::setInterval(int milliseconds) {
    m_interval = milliseconds;
    if (milliseconds <= 0) {
        m_timer.stop();
        m_interval = 0;
        return;
    }
    m_timer.start(milliseconds);
}

int QtIntervalTimer::interval() const {
    return m_interval;
}

void QtIntervalTimer::setHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}

std::unique_ptr<IntervalTimer> QtTimerFactory::createTimer() {
    return std::make_unique<QtIntervalTimer>();
}

void QtUiFeedback::beep() {
    QApplication::beep();
}

void QtUiFeedback::setBusyCursor(bool busy) {
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void ProcessExit::endProgram(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

QString DesktopSystemInfo::findProgram() {
    // In the order users of the common desktops expect to find them.
    static const char* const kCandidates[] = {
        "hardinfo2",         "hardinfo", "gnome-system-monitor", "kinfocenter",
        "xfce4-taskmanager", "lxtask",   "mate-system-monitor",
    };
    for (const char* name : kCandidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) {
            return path;
        }
    }
    return {};
}

bool DesktopSystemInfo::hasRegistry() const {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

bool DesktopSystemInfo::queryRegistryValue(std::uint32_t root, const QString& keyName,
                                           const QString& valueName, std::uint32_t* type,
                                           QByteArray* data, int maxBytes) {
#ifdef Q_OS_WIN
    HKEY key = nullptr;
    // Read access only: machine-wide keys cannot be opened for writing by most users.
    if (RegOpenKeyExW(reinterpret_cast<HKEY>(static_cast<quintptr>(root)),
                      reinterpret_cast<const wchar_t*>(keyName.utf16()), 0, KEY_READ,
                      &key) != ERROR_SUCCESS) {
        return false;
    }
    QByteArray buffer(maxBytes, '\0');
    DWORD size = static_cast<DWORD>(maxBytes);
    DWORD valueType = 0;
    const LONG rc = RegQueryValueExA(key, valueName.toLocal8Bit().constData(), nullptr, &valueType,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        return false;
    }
    buffer.truncate(static_cast<int>(size));
    *type = valueType;
    *data = buffer;
    return true;
#else
    Q_UNUSED(root);
    Q_UNUSED(keyName);
    Q_UNUSED(valueName);
    Q_UNUSED(type);
    Q_UNUSED(data);
    Q_UNUSED(maxBytes);
    return false;
#endif
}

bool DesktopSystemInfo::isFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

}  // namespace platform
