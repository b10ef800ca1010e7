#include "agent/desktop/DesktopCharacter.h"

#include "agent/desktop/SoundPlayer.h"
#include "agent/desktop/Texts.h"
#include "agent/desktop/TrayIconImage.h"
#include "agent/engine/Script.h"

#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <algorithm>
#include <utility>

namespace desktop {

namespace {

// Catching up a hide "at once" lets the player run the Hiding animation in zero wall time;
// ten minutes of player time ends any animation that ends at all.
constexpr int kCatchUpMs = 600'000;
// The window's cache key of "no picture" (picture keys are animation << 32 | frame).
constexpr std::uint64_t kNoPicture = ~std::uint64_t{0};
// Frames handed to the window at once: a few seconds' worth, and only when that saves
// wake-ups (a request cuts them short, and the frames prepared for the rest are spent).
constexpr int kAheadMs = 3000;
constexpr std::size_t kAheadFrames = 40;
constexpr std::size_t kAheadMinFrames = 3;

std::int16_t toInt16(int value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

}  // namespace

DesktopCharacter::DesktopCharacter(DesktopAgentControl& control, QString id, quint64 serial,
                                   std::shared_ptr<const acs::Character> character,
                                   const DesktopAgentControl::Config& config)
    : m_control(control),
      m_id(std::move(id)),
      m_serial(serial),
      m_character(std::move(character)),
      m_random(std::make_unique<playback::StdRandom>()),
      m_foresight(std::make_unique<playback::ForesightRandom>(*m_random)),
      m_player(engine::makeScript(*m_character), *m_foresight, config.playback) {
    m_window = new CharacterWindow(m_character->width(), m_character->height(), config.scale);
    m_window->moveTo({0, 0});
    // Window managers and scripts know the window by the character's name.
    if (const acs::LocalizedInfo* info = m_character->preferredLocalizedInfo()) {
        m_window->setWindowTitle(QString::fromStdString(info->name));
    }
    connect(m_window, &CharacterWindow::clicked, this, [this](int button, int shift, QPoint at) {
        m_control.post(m_id, m_serial, DesktopAgentControl::EventKind::Click, toInt16(button),
                       toInt16(shift), toInt16(at.x()), toInt16(at.y()));
    });
    connect(m_window, &CharacterWindow::doubleClicked, this,
            [this](int button, int shift, QPoint at) {
                m_control.post(m_id, m_serial, DesktopAgentControl::EventKind::DblClick,
                               toInt16(button), toInt16(shift), toInt16(at.x()), toInt16(at.y()));
            });
    connect(m_window, &CharacterWindow::dragged, this, [this](QPoint topLeft) {
        m_player.setPosition(topLeft.x(), topLeft.y());
        m_player.takeEvents();  // the window is already there
        schedule();
    });
    connect(m_window, &CharacterWindow::dragFinished, this, [this](QPoint topLeft) {
        m_control.post(m_id, m_serial, DesktopAgentControl::EventKind::DragComplete, kButtonLeft, 0,
                       toInt16(topLeft.x()), toInt16(topLeft.y()));
    });
    connect(m_window, &CharacterWindow::closeRequested, this, [this] { hideNow(); });

    if (config.sound)
        m_sounds = new SoundPlayer(this);
    if (config.trayIcon)
        createTrayIcon();

    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { pump(true); });
    m_clock.start();
}

DesktopCharacter::~DesktopCharacter() {
    m_timer.stop();
    if (m_sounds)
        m_sounds->stopAll();
    // The window and tray may be inside their own event handler (a nested loop run by a
    // handler of ours): hide them now, delete them once that handler has returned.
    if (m_window) {
        m_window->disconnect(this);
        m_window->hide();
        m_window->deleteLater();
    }
    if (m_tray) {
        m_tray->hide();
        m_tray->deleteLater();
    }
    if (m_trayMenu)
        m_trayMenu->deleteLater();
}

void DesktopCharacter::createTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    QIcon icon;
    if (const auto& stored = m_character->info().trayIcon) {
        const QImage image = trayIconImage(*stored);
        if (!image.isNull())
            icon = QIcon(QPixmap::fromImage(image));
    }
    if (icon.isNull())
        icon = defaultTrayIcon();
    m_tray = new QSystemTrayIcon(icon);
    const acs::LocalizedInfo* info = m_character->preferredLocalizedInfo();
    m_tray->setToolTip(info ? QString::fromStdString(info->name) : QString());
    m_trayMenu = new QMenu;
    QAction* hideAction = m_trayMenu->addAction(QString::fromUtf16(texts::kHideMenuItem));
    connect(hideAction, &QAction::triggered, this, [this] { hideByUser(); });
    m_tray->setContextMenu(m_trayMenu);
    m_tray->show();
}

std::int16_t DesktopCharacter::left() const {
    return toInt16(m_player.left());
}
std::int16_t DesktopCharacter::top() const {
    return toInt16(m_player.top());
}

void DesktopCharacter::setLeft(std::int16_t x) {
    pump();
    m_player.setLeft(x);
    pump();
}

void DesktopCharacter::setTop(std::int16_t y) {
    pump();
    m_player.setTop(y);
    pump();
}

void DesktopCharacter::show() {
    pump();
    m_player.show();
    schedule();
}

void DesktopCharacter::hide() {
    pump();
    m_player.hide(playback::HideCause::Program);
    schedule();
}

void DesktopCharacter::play(const QString& animation) {
    pump();
    m_player.play(animation.toStdString());
    schedule();
}

void DesktopCharacter::stop() {
    pump();
    m_player.stop();
    schedule();
}

void DesktopCharacter::stopAll() {
    pump();
    m_player.stopAll();
    schedule();
}

void DesktopCharacter::moveTo(std::int16_t x, std::int16_t y) {
    pump();
    m_player.moveTo(x, y);
    schedule();
}

QSize DesktopCharacter::frameSize() const {
    if (m_window)
        return m_window->scaledFrameSize();
    return {m_character->width(), m_character->height()};
}

QStringList DesktopCharacter::animationNames() const {
    QStringList names;
    for (const std::string& name : m_player.animationNames()) {
        names.append(QString::fromStdString(name));
    }
    return names;
}

void DesktopCharacter::hideByUser() {
    pump();
    m_player.stopAll();
    m_player.hide(playback::HideCause::User);
    schedule();
}

void DesktopCharacter::hideNow() {
    pump();
    m_player.stopAll();
    m_player.hide(playback::HideCause::User);
    m_player.advance(0);  // starts the hide, so the catch-up below finds it running
    m_player.advance(kCatchUpMs);
    apply(m_player.takeEvents(), false, true);
    if (m_sounds)
        m_sounds->stopAll();
    // A Hiding animation that never ends would keep the player busy; the window goes anyway.
    if (m_window)
        m_window->hide();
    m_clock.restart();
    schedule();
}

void DesktopCharacter::setIdleEnabled(bool on) {
    pump();
    m_player.setIdleEnabled(on);
    pump();
}

void DesktopCharacter::pump(bool onTime) {
    qint64 elapsed = m_clock.restart();
    const std::optional<int> ahead = std::exchange(m_aheadUntilMs, std::nullopt);
    if (ahead && onTime)
        elapsed = std::max<qint64>(elapsed, *ahead);  // a timer a millisecond early
    m_player.advance(static_cast<int>(std::min<qint64>(elapsed, kCatchUpMs)));
    if (ahead && elapsed < *ahead) {
        // A request before the frames handed ahead are all shown: the rest must not come.
        if (m_window)
            m_window->cancelAhead();
        m_foresight->forget();
    }
    apply(m_player.takeEvents(), true, !ahead);
    // The window was given the pictures already; it sends one only when the screen may differ.
    if (ahead && m_window)
        showPicture(m_player.picture());
    schedule();
}

void DesktopCharacter::schedule() {
    if (m_aheadUntilMs)
        return;  // the timer is set for the last frame handed ahead
    const std::optional<int> next = m_player.msUntilNextStep();
    if (!next) {
        m_timer.stop();
        return;
    }
    if (const std::optional<int> until = lookAhead()) {
        m_aheadUntilMs = until;
        m_timer.start(std::max<qint64>(0, *until - m_clock.elapsed()));
        return;
    }
    m_timer.start(std::max(0, *next));
}

std::optional<int> DesktopCharacter::lookAhead() {
    if (!m_window || !m_window->canShowAhead())
        return std::nullopt;
    // The player's clock stands where the last pump left it.
    const auto since = static_cast<int>(std::min<qint64>(m_clock.elapsed(), kAheadMs));
    playback::Player copy(m_player, m_foresight->ahead());
    std::vector<CharacterWindow::AheadFrame> frames;
    int at = 0;
    while (frames.size() < kAheadFrames) {
        const std::optional<int> next = copy.msUntilNextStep();
        if (!next || at + *next > kAheadMs)
            break;
        at += std::max(0, *next);
        copy.advance(*next);
        std::optional<playback::Picture> picture;
        bool onlyPictures = true;
        for (const playback::Event& event : copy.takeEvents()) {
            if (event.kind == playback::EventKind::PictureChanged)
                picture = event.picture;
            else if (event.kind != playback::EventKind::RequestStarted &&
                     event.kind != playback::EventKind::RequestCompleted)
                onlyPictures = false;
        }
        if (!onlyPictures)
            break;  // a sound, a move, a hide: that step is ours to carry out
        if (!picture)
            continue;
        CharacterWindow::AheadFrame frame = frameOf(*picture);
        frame.atMs = at - since;
        // Frames passed through in no time are never seen.
        if (!frames.empty() && frames.back().atMs == frame.atMs)
            frames.back() = std::move(frame);
        else
            frames.push_back(std::move(frame));
    }
    if (frames.size() < kAheadMinFrames)
        return std::nullopt;
    const std::size_t handed = m_window->showAhead(frames);
    if (handed == 0)
        return std::nullopt;
    return frames[handed - 1].atMs + since;
}

void DesktopCharacter::apply(const std::vector<playback::Event>& events, bool withSound,
                             bool pictures) {
    for (const playback::Event& event : events) {
        switch (event.kind) {
            case playback::EventKind::PictureChanged:
                if (m_window && pictures)
                    showPicture(event.picture);
                break;
            case playback::EventKind::SoundStarted:
                if (withSound)
                    startSound(event.sound);
                break;
            case playback::EventKind::PositionChanged:
                if (m_window)
                    m_window->moveTo({event.x, event.y});
                break;
            case playback::EventKind::VisibilityChanged:
                if (m_window)
                    m_window->setVisible(event.visible);
                break;
            case playback::EventKind::Hidden:
                m_control.post(m_id, m_serial, DesktopAgentControl::EventKind::Hide,
                               static_cast<std::int16_t>(event.cause));
                break;
            case playback::EventKind::RequestStarted:
            case playback::EventKind::RequestCompleted:
                break;
        }
    }
}

CharacterWindow::AheadFrame DesktopCharacter::frameOf(const playback::Picture& picture) const {
    if (picture.animation < 0 || picture.frame < 0)
        return {0, kNoPicture, [] { return nullptr; }};
    const auto a = static_cast<std::size_t>(picture.animation);
    const auto f = static_cast<std::size_t>(picture.frame);
    // The character outlives the window's cache, which the composer may fill later.
    return {0, (std::uint64_t{a} << 32) | f,
            [character = m_character, a, f] { return character->composeFrame(a, f); }};
}

void DesktopCharacter::showPicture(const playback::Picture& picture) {
    const CharacterWindow::AheadFrame frame = frameOf(picture);
    m_window->showFrame(frame.key, frame.compose);
}

void DesktopCharacter::silence() {
    if (m_sounds)
        m_sounds->stopAll();
}

void DesktopCharacter::startSound(int index) {
    if (!m_sounds || index < 0 || m_control.muted())
        return;
    auto found = m_decoded.find(index);
    if (found == m_decoded.end()) {
        // Decoded on first use and kept: a character has a few dozen short sounds at most.
        std::shared_ptr<const acs::PcmSound> decoded;
        acs::WaveResult wave =
            acs::decodeWave(m_character->soundBytes(static_cast<std::size_t>(index)));
        if (wave.ok())
            decoded = std::make_shared<const acs::PcmSound>(std::move(wave.value()));
        found = m_decoded.emplace(index, std::move(decoded)).first;
    }
    if (found->second)
        m_sounds->play(found->second);
}

}  // namespace desktop
