#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QSet>

#include <functional>
#include <memory>

#include "app/core/Waiter.h"
#include "components/AgentControl.h"

namespace app {

// `メイン`: the never-visible main form that owns the character control `キャラクター`, the
// animation timer and the popup menu, and handles everything the character does.
class MainForm final : public QObject {
    Q_OBJECT
public:
    // `showAbout` opens the About box modally and returns when it closes. `popupMenu` shows
    // the menu at a global position and returns when it closes (tests replace it).
    MainForm(platform::Services& services, SharedState& state, Waiter& waiter, AgentControl& agent,
             std::function<void()> showAbout);
    ~MainForm() override;

    // Character lifecycle.
    void LoadRandomCharacter();
    void SaveAndQuit();
    void キャラクター交代_Click();
    void おわり_Click();
    void バージョン情報_Click();
    void キャラクター_Click(const QString& id, std::int16_t button, std::int16_t shift,
                            std::int16_t x, std::int16_t y);
    void キャラクター_DblClick(const QString& id, std::int16_t button, std::int16_t shift,
                               std::int16_t x, std::int16_t y);
    void キャラクター_Hide(const QString& id, std::int16_t cause);
    void キャラクター_DragComplete(const QString& id, std::int16_t button, std::int16_t shift,
                                   std::int16_t x, std::int16_t y);

    // Animation scheduler. PickRandomAnimation returns an empty name when the character has
    // nothing but "show" and "hide" to offer.
    QString PickRandomAnimation();
    void アニメーションタイマー_Timer();
    void アニメーション_Click();

    // Pausing stops the scheduler (no animation, roaming or change) until it is resumed;
    // resuming arms the next pick. Used while the character is hidden from the tray.
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    // Remembers where the current character stands, stops it and hides it as the program's own
    // hide (the Hide handler does not take it for the user closing the program).
    void hideKeepingPosition(AgentCharacter& character);

    // Roaming.
    void MoveToRandomPlace();
    void 移動_Click();

    platform::IntervalTimer& アニメーションタイマー() { return *m_animationTimer; }
    QMenu& メニュー() { return *m_menu; }
    std::function<void(QMenu&, QPoint)> popupMenu;
    // True once the program has ended (the process is gone in real use).
    bool ended() const { return m_ended; }

private:
    void changeCharacter();
    void armRandomInterval();
    // Stops what the character does and plays a randomly picked animation, if it has one.
    void playRandomAnimation();
    bool placeOnVisibleScreen(AgentCharacter& character);
    // The cannot-load box: its text, then each file that failed with the reason.
    QString unloadableReport() const;

    platform::Services& m_services;
    SharedState& m_state;
    Waiter& m_waiter;
    AgentControl& m_agent;
    std::function<void()> m_showAbout;
    std::unique_ptr<platform::IntervalTimer> m_animationTimer;
    std::unique_ptr<QMenu> m_menu;
    QSet<QString> m_unloadable;  // files that failed to load this run
    bool m_ended = false;
    bool m_paused = false;
};

}  // namespace app
