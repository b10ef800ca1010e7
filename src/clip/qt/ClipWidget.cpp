#include "clip/qt/ClipWidget.h"

#include "clip/Reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <span>

namespace clip {
namespace {

// Real clips are under 200 KB; this only stops us from reading a huge file into memory.
constexpr qint64 kMaxClipBytes = 64LL * 1024 * 1024;

std::optional<Player> loadPlayer(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxClipBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxClipBytes);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    Result<Clip> clip =
        readClip(std::span(data, static_cast<std::size_t>(bytes.size())), ReadMode::Lenient);
    if (!clip)
        return std::nullopt;
    return std::optional<Player>(std::in_place, std::move(clip.value()));
}

}  // namespace

QString resolveClipPath(const QString& path) {
    if (path.isEmpty())
        return {};
    QFileInfo info(path);
#ifndef Q_OS_WIN
    // The program names its clips with Windows separators ("<folder>\Filecopy.avi").
    if (!info.exists() && path.contains(QLatin1Char('\\')))
        info = QFileInfo(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
#endif
    if (info.isFile())
        return info.filePath();
    const QDir dir = info.dir();
    const QString wanted = info.fileName();
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    return {};
}

ClipWidget::ClipWidget(QWidget* parent) : QWidget(parent) {
    // The form's background must show through the key colour.
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        try {
            tick();
        } catch (...) {
            // Only allocation can throw here; without memory the clip just stops.
            m_timer.stop();
        }
    });
}

bool ClipWidget::openFile(const QString& path) {
    m_timer.stop();
    m_player.reset();
    m_openedPath.clear();
    update();
    try {
        const QString resolved = resolveClipPath(path);
        if (resolved.isEmpty())
            return false;
        m_player = loadPlayer(resolved);
        if (!m_player)
            return false;
        m_openedPath = resolved;
        updateGeometry();
        return true;
    } catch (...) {
        m_player.reset();
        return false;
    }
}

void ClipWidget::play() {
    if (!m_player)
        return;
    m_player->play();
    m_clock.start();
    update();
    scheduleNext(0);
}

void ClipWidget::stop() {
    m_timer.stop();
    if (m_player)
        m_player->stop();
}

void ClipWidget::tick() {
    if (!m_player)
        return;
    const auto elapsed = static_cast<std::uint64_t>(m_clock.nsecsElapsed() / 1000);
    if (m_player->advanceTo(elapsed))
        update();
    scheduleNext(elapsed);
}

void ClipWidget::scheduleNext(std::uint64_t elapsed) {
    // Wake at the next frame boundary, measured from play(), so timer lateness never adds up.
    const std::uint64_t waitMicroseconds = m_player->nextFrameAt(elapsed) - elapsed;
    const std::uint64_t waitMs =
        std::min<std::uint64_t>((waitMicroseconds + 999) / 1000, 24ULL * 3600 * 1000);
    m_timer.start(static_cast<int>(std::max<std::uint64_t>(waitMs, 1)));
}

QSize ClipWidget::sizeHint() const {
    if (!m_player)
        return {0, 0};
    return {static_cast<int>(m_player->width()), static_cast<int>(m_player->height())};
}

QSize ClipWidget::minimumSizeHint() const {
    return sizeHint();
}

void ClipWidget::paintEvent(QPaintEvent*) {
    if (!m_player)
        return;
    try {
        const std::vector<std::uint32_t>& pixels = m_player->pixels();
        const int w = static_cast<int>(m_player->width());
        const int h = static_cast<int>(m_player->height());
        const QImage image(reinterpret_cast<const uchar*>(pixels.data()), w, h, w * 4,
                           QImage::Format_ARGB32_Premultiplied);
        QPainter painter(this);
        painter.drawImage(QPoint((width() - w) / 2, (height() - h) / 2), image);
    } catch (...) {
        // Allocation failure while converting: skip this paint.
    }
}

}  // namespace clip
