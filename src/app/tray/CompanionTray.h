#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/character/MainForm.h"
#include "app/core/Module1.h"
#include "platform/Autostart.h"

namespace app {

// What the tray menu starts that lives in other modules, wired by main().
struct TrayHooks {
    std::function<void()> runDriveWizard;  // the drive search and import, modal
    std::function<void()> runSetupWizard;  // the first-run wizard, modal
    std::function<void(bool)> setMuted;    // silences the character engine
};

// The program's tray icon and its menu: show/hide, mute, start at login, add characters, redo
// the setup, quit. A left click on the icon shows or hides the character. Where the desktop
// has no notification area there is no icon; the menu still exists, so everything stays
// reachable for tests and nothing else changes. A notification area that appears within two
// minutes of the start (a panel starting after the program at login) still gets the icon.
class CompanionTray final : public QObject {
public:
    CompanionTray(platform::Services& services, Module1& state, MainForm& mainForm,
                  platform::Autostart autostart, TrayHooks hooks, const QIcon& icon);
    ~CompanionTray() override;

    // Hides the character (the scheduler pauses) or shows it again (the scheduler resumes).
    void toggleShown();
    bool characterHidden() const { return m_hidden; }
    // Remembered as [sound] mute=True / False.
    void setMuted(bool muted);
    void setAutostart(bool on);
    // Runs a wizard, then reads the catalogue again and loads a character.
    void addCharacters();
    void redoSetup();
    void quit();

    // Reads `[sound] mute` (absent: not muted).
    static bool mutedSetting(platform::SettingsStore& settings);

    QMenu& menu() { return *m_menu; }
    QSystemTrayIcon* icon() const { return m_icon; }

private:
    bool createIcon();
    void runThenReload(const std::function<void()>& wizard);
    void refresh();

    platform::Services& m_services;
    Module1& m_state;
    MainForm& m_mainForm;
    platform::Autostart m_autostart;
    TrayHooks m_hooks;
    std::unique_ptr<QMenu> m_menu;
    QPointer<QSystemTrayIcon> m_icon;
    QIcon m_trayImage;
    QTimer m_trayPoll;
    int m_trayPolls = 0;
    QAction* m_showHide = nullptr;
    QAction* m_mute = nullptr;
    QAction* m_login = nullptr;
    QList<QAction*> m_wizardActions;
    bool m_hidden = false;
    bool m_busy = false;  // a wizard is open
};

}  // namespace app
