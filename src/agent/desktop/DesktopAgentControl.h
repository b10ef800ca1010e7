#pragma once

#include "agent/playback/Player.h"
#include "components/AgentControl.h"

#include <QObject>

#include <map>
#include <memory>

namespace desktop {

class DesktopCharacter;

// The character engine on the desktop: each character loaded under an ID gets its own
// shaped window (CharacterWindow), tray icon, sounds and request queue. Requests return at
// once; frames advance from one single-shot timer per character that runs only while
// something will change, so an idle character costs no CPU.
//
// Events (Click, DblClick, DragComplete, Hide) are never raised from inside a call or an input
// handler: they are posted and delivered when the event loop next runs, and dropped if the
// character was unloaded (or unloaded and loaded again) in between. So a handler may unload the
// character, open a menu or pump events without pulling the window away under its own feet.
class DesktopAgentControl final : public QObject, public app::AgentControl {
public:
    struct Config {
        playback::Options playback;  // idle timing etc.; idle on as Agent had it
        bool trayIcon = true;        // one tray icon per character where a tray exists
        bool sound = true;
        // Physical pixels per character pixel, 1..4; 0: the screen's device pixel ratio
        // rounded to a whole number.
        int scale = 0;
    };

    explicit DesktopAgentControl(QObject* parent = nullptr);
    explicit DesktopAgentControl(Config config, QObject* parent = nullptr);
    ~DesktopAgentControl() override;

    // Reads the character file (lenient: broken animations and images are dropped). Fails
    // with a one-line English `error` for an unreadable or invalid file, or an ID already in
    // use; nothing is loaded then. The new character is hidden at (0, 0).
    bool load(const QString& id, const QString& path, QString* error) override;
    app::AgentCharacter* character(const QString& id) override;
    // Removes the window and tray icon at once, silences its sounds, and drops every
    // pending request and event. Unknown IDs are ignored.
    void unload(const QString& id) override;

    void setClickHandler(MouseHandler handler) override { m_onClick = std::move(handler); }
    void setDblClickHandler(MouseHandler handler) override { m_onDblClick = std::move(handler); }
    void setHideHandler(HideHandler handler) override { m_onHide = std::move(handler); }
    void setDragCompleteHandler(MouseHandler handler) override {
        m_onDragComplete = std::move(handler);
    }

    // Mute: no character starts a sound while muted; muting also silences what plays now.
    void setMuted(bool muted);
    bool muted() const { return m_muted; }

    // The same character with the desktop-only operations (window, idle switch).
    DesktopCharacter* desktopCharacter(const QString& id) const;

private:
    friend class DesktopCharacter;
    enum class EventKind { Click, DblClick, Hide, DragComplete };
    // Called by a character: queues one event for delivery from the event loop.
    void post(const QString& id, quint64 serial, EventKind kind, std::int16_t a,
              std::int16_t shift = 0, std::int16_t x = 0, std::int16_t y = 0);
    void sessionEnding();

    Config m_config;
    std::map<QString, std::unique_ptr<DesktopCharacter>> m_characters;
    quint64 m_nextSerial = 1;
    bool m_muted = false;
    MouseHandler m_onClick;
    MouseHandler m_onDblClick;
    HideHandler m_onHide;
    MouseHandler m_onDragComplete;
};

}  // namespace desktop
