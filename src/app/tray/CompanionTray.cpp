#include "app/tray/CompanionTray.h"

#include <QtDebug>

#include "app/core/AppSettings.h"
#include "app/startup/Startup.h"
#include "app/tray/Texts.h"

namespace app {

namespace {

QString text(const char16_t* utf16) {
    return QString::fromUtf16(utf16);
}

}  // namespace

bool CompanionTray::mutedSetting(platform::SettingsStore& settings) {
    return settingToBool(settings.read(QString::fromLatin1(kSettingsApp), QStringLiteral("sound"),
                                       QStringLiteral("mute"), QString()));
}

CompanionTray::CompanionTray(platform::Services& services, SharedState& state, MainForm& mainForm,
                             platform::Autostart autostart, TrayHooks hooks, const QIcon& icon)
    : m_services(services),
      m_state(state),
      m_mainForm(mainForm),
      m_autostart(std::move(autostart)),
      m_hooks(std::move(hooks)),
      m_menu(std::make_unique<QMenu>()) {
    m_showHide = m_menu->addAction(text(texts::tray::kTrayHide));
    connect(m_showHide, &QAction::triggered, this, [this] { toggleShown(); });
    m_mute = m_menu->addAction(text(texts::tray::kTrayMute));
    m_mute->setCheckable(true);
    connect(m_mute, &QAction::triggered, this, [this](bool on) { setMuted(on); });
    m_login = m_menu->addAction(text(texts::tray::kTrayAutostart));
    m_login->setCheckable(true);
    connect(m_login, &QAction::triggered, this, [this](bool on) { setAutostart(on); });
    m_menu->addSeparator();
    m_wizardActions.append(m_menu->addAction(text(texts::tray::kTrayAddCharacters)));
    connect(m_wizardActions.back(), &QAction::triggered, this, [this] { addCharacters(); });
    m_wizardActions.append(m_menu->addAction(text(texts::tray::kTrayRedoSetup)));
    connect(m_wizardActions.back(), &QAction::triggered, this, [this] { redoSetup(); });
    m_menu->addSeparator();
    QAction* quitAction = m_menu->addAction(text(texts::tray::kTrayQuit));
    connect(quitAction, &QAction::triggered, this, [this] { quit(); });
    // The file may have been removed or added by hand since the last run: show what is there.
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { refresh(); });

    const bool muted = mutedSetting(m_services.settings);
    if (m_hooks.setMuted) {
        m_hooks.setMuted(muted);
    }
    refresh();

    m_trayImage = icon;
    if (!createIcon()) {
        // Started at login, the program may come up before the panel: look again for a while.
        m_trayPoll.setInterval(2000);
        connect(&m_trayPoll, &QTimer::timeout, this, [this] {
            if (createIcon() || ++m_trayPolls >= 60) {
                m_trayPoll.stop();
            }
        });
        m_trayPoll.start();
    }
}

bool CompanionTray::createIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    m_icon = new QSystemTrayIcon(m_trayImage);
    m_icon->setToolTip(text(texts::tray::kTrayToolTip));
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    toggleShown();
                }
            });
    m_icon->show();
    return true;
}

CompanionTray::~CompanionTray() {
    if (m_icon) {
        m_icon->hide();
        delete m_icon;
    }
}

void CompanionTray::refresh() {
    m_showHide->setText(text(m_hidden ? texts::tray::kTrayShow : texts::tray::kTrayHide));
    m_mute->setChecked(mutedSetting(m_services.settings));
    m_login->setChecked(m_autostart.enabled());
    for (QAction* action : m_wizardActions) {
        action->setEnabled(!m_busy);
    }
}

void CompanionTray::toggleShown() {
    if (m_busy || m_mainForm.ended()) {
        return;
    }
    AgentCharacter* character = m_state.currentChar;
    if (!character) {
        return;
    }
    if (m_hidden) {
        m_hidden = false;
        character->show();
        m_mainForm.setPaused(false);
    } else {
        m_hidden = true;
        m_mainForm.setPaused(true);
        m_mainForm.hideKeepingPosition(*character);
    }
    refresh();
}

void CompanionTray::setMuted(bool muted) {
    m_services.settings.write(QString::fromLatin1(kSettingsApp), QStringLiteral("sound"),
                              QStringLiteral("mute"),
                              muted ? QStringLiteral("True") : QStringLiteral("False"));
    if (m_hooks.setMuted) {
        m_hooks.setMuted(muted);
    }
    refresh();
}

void CompanionTray::setAutostart(bool on) {
    if (!m_autostart.setEnabled(on)) {
        qWarning().noquote() << "cannot update" << m_autostart.entryPath();
    }
    refresh();
}

void CompanionTray::runThenReload(const std::function<void()>& wizard) {
    if (m_busy || m_mainForm.ended()) {
        return;
    }
    m_busy = true;
    refresh();
    m_mainForm.setPaused(true);
    if (wizard) {
        wizard();
    }
    m_busy = false;
    // The wizard may have replaced every character file: catalogue again and load one of the
    // new ones in place of the character on screen.
    m_state.charFiles = catalogueCharacterFiles(m_services.programFolder);
    m_hidden = false;
    m_mainForm.キャラクター交代_Click();
    if (!m_mainForm.ended()) {
        m_mainForm.setPaused(false);
        refresh();
    }
}

void CompanionTray::addCharacters() {
    runThenReload(m_hooks.runDriveWizard);
}

void CompanionTray::redoSetup() {
    runThenReload(m_hooks.runSetupWizard);
}

void CompanionTray::quit() {
    if (m_busy) {
        return;
    }
    m_mainForm.おわり_Click();
}

}  // namespace app
