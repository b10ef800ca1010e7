#pragma once

#include "agent/acs/Character.h"
#include "agent/acs/Wave.h"
#include "agent/desktop/CharacterWindow.h"
#include "agent/desktop/DesktopAgentControl.h"
#include "agent/playback/Player.h"
#include "components/AgentControl.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>

namespace desktop {

class SoundPlayer;

// One loaded character: the player (request queue and frames), the window that shows it, its
// tray icon and its sounds. Owned by DesktopAgentControl; see AgentCharacter for the
// requests. Every request first lets the player catch up to now, so a request never consumes
// time from before it was made.
//
// Frames that only time brings (no sound, no move, no choice left to a request) are worked out
// a few seconds ahead on a copy of the player and handed to the window in one go; where the
// display server can show them on its own clock, the character sleeps until the last one.
// The player itself still lives every step when it wakes, drawing the same chances its copy
// drew, so it ends where the screen does. A request in between cuts the rest off.
class DesktopCharacter final : public QObject, public app::AgentCharacter {
public:
    DesktopCharacter(DesktopAgentControl& control, QString id, quint64 serial,
                     std::shared_ptr<const acs::Character> character,
                     const DesktopAgentControl::Config& config);
    ~DesktopCharacter() override;

    std::int16_t left() const override;
    std::int16_t top() const override;
    void setLeft(std::int16_t x) override;
    void setTop(std::int16_t y) override;
    void show() override;
    void hide() override;
    void play(const QString& animation) override;
    void stop() override;
    void stopAll() override;
    void moveTo(std::int16_t x, std::int16_t y) override;
    QStringList animationNames() const override;
    QSize frameSize() const override;

    // Hidden by the user (tray menu): ends what plays, plays a Hiding animation, then raises
    // Hide with cause 1.
    void hideByUser();
    // Hidden from outside at once (window closed, session ending): no animation, no sound;
    // Hide with cause 1 follows from the event loop.
    void hideNow();
    void setIdleEnabled(bool on);
    // Stops every sound this character started.
    void silence();

    CharacterWindow* window() const { return m_window; }
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    const acs::Character& model() const { return *m_character; }
    const playback::Player& player() const { return m_player; }
    quint64 serial() const { return m_serial; }
    // True while the frame timer is armed (for checking that an idle character sleeps).
    bool timerActive() const { return m_timer.isActive(); }

private:
    // Lets the player catch up to now and carries out what it reports, then re-arms the timer.
    // `onTime`: the frame timer fired, not a request.
    void pump(bool onTime = false);
    void apply(const std::vector<playback::Event>& events, bool withSound, bool pictures);
    void schedule();
    // Hands the frames that only time will bring to the window, to be shown without us
    // waking for each; when the last of them shows (ms since the last pump), or nothing when
    // there are too few or the window cannot.
    std::optional<int> lookAhead();
    CharacterWindow::AheadFrame frameOf(const playback::Picture& picture) const;
    void showPicture(const playback::Picture& picture);
    void startSound(int index);
    void createTrayIcon();

    DesktopAgentControl& m_control;
    QString m_id;
    quint64 m_serial;
    std::shared_ptr<const acs::Character> m_character;
    std::unique_ptr<playback::StdRandom> m_random;
    // What the player draws from: a look-ahead copy makes the same draws first.
    std::unique_ptr<playback::ForesightRandom> m_foresight;
    playback::Player m_player;
    QPointer<CharacterWindow> m_window;
    QPointer<QSystemTrayIcon> m_tray;
    QPointer<QMenu> m_trayMenu;
    SoundPlayer* m_sounds = nullptr;  // child of this, or null when sound is off
    std::map<int, std::shared_ptr<const acs::PcmSound>> m_decoded;  // index -> decoded sound
    QTimer m_timer;
    QElapsedTimer m_clock;
    // While frames handed ahead are showing: when the last one does (ms after the last pump).
    std::optional<int> m_aheadUntilMs;
};

}  // namespace desktop
