#include "app/character/MainForm.h"

#include <QAction>
#include <QCursor>
#include <QFileInfo>
#include <QtDebug>

#include <cmath>

#include "app/character/AnimationNames.h"
#include "app/character/Texts.h"
#include "app/core/AppSettings.h"
#include "app/core/CharacterFileCheck.h"
#include "app/core/ProgramFile.h"
#include "app/core/Texts.h"

namespace app {
namespace {

const QString kCharacterId = QStringLiteral("d");

// Int(Rnd × n) in the single precision the draws are made in, kept inside 0..n-1 so that a
// draw rounding up to n can never index past the end.
int drawIndex(platform::RandomSource& random, int n) {
    const float product = random.rnd() * static_cast<float>(n);
    const int index = static_cast<int>(std::floor(product));
    return index < 0 ? 0 : (index >= n ? n - 1 : index);
}

bool isShowOrHide(const QString& converted) {
    return converted == QLatin1String("show") || converted == QLatin1String("hide");
}

}  // namespace

MainForm::MainForm(platform::Services& services, SharedState& state, Waiter& waiter,
                   AgentControl& agent, std::function<void()> showAbout)
    : m_services(services),
      m_state(state),
      m_waiter(waiter),
      m_agent(agent),
      m_showAbout(std::move(showAbout)),
      m_animationTimer(services.timers.createTimer()),
      m_menu(std::make_unique<QMenu>()) {
    setObjectName(QStringLiteral("メイン"));
    m_animationTimer->setInterval(0);
    m_animationTimer->setHandler([this] { アニメーションタイマー_Timer(); });

    m_menu->setObjectName(QStringLiteral("メニュー"));
    m_menu->setTitle(QString::fromUtf16(texts::character::kMenu));
    const struct {
        const char16_t* caption;
        void (MainForm::*handler)();
    } items[] = {
        {texts::character::kChangeCharacter, &MainForm::キャラクター交代_Click},
        {texts::character::kAnimation, &MainForm::アニメーション_Click},
        {texts::character::kMove, &MainForm::移動_Click},
        {texts::character::kQuit, &MainForm::おわり_Click},
        {texts::character::kVersionInfo, &MainForm::バージョン情報_Click},
    };
    for (const auto& item : items) {
        QAction* action = m_menu->addAction(QString::fromUtf16(item.caption));
        action->setObjectName(QString::fromUtf16(item.caption));
        const auto handler = item.handler;
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    popupMenu = [](QMenu& menu, QPoint at) { menu.exec(at); };

    m_agent.setClickHandler(
        [this](const QString& id, std::int16_t button, std::int16_t shift, std::int16_t x,
               std::int16_t y) { キャラクター_Click(id, button, shift, x, y); });
    m_agent.setDblClickHandler(
        [this](const QString& id, std::int16_t button, std::int16_t shift, std::int16_t x,
               std::int16_t y) { キャラクター_DblClick(id, button, shift, x, y); });
    m_agent.setHideHandler(
        [this](const QString& id, std::int16_t cause) { キャラクター_Hide(id, cause); });
    m_agent.setDragCompleteHandler(
        [this](const QString& id, std::int16_t button, std::int16_t shift, std::int16_t x,
               std::int16_t y) { キャラクター_DragComplete(id, button, shift, x, y); });
}

MainForm::~MainForm() {
    m_agent.setClickHandler({});
    m_agent.setDblClickHandler({});
    m_agent.setHideHandler({});
    m_agent.setDragCompleteHandler({});
}

void MainForm::LoadRandomCharacter() {
    m_animationTimer->setInterval(0);
    m_services.random.randomize();

    // A file that cannot be loaded is left out for the rest of the run and another one is
    // drawn; the program only gives up when none of the catalogue loads.
    for (;;) {
        QStringList candidates;
        for (const QString& name : m_state.charFiles) {
            if (!m_unloadable.contains(name)) {
                candidates.append(name);
            }
        }
        if (candidates.isEmpty()) {
            m_services.messages.show(unloadableReport(), platform::MessageIcon::Critical,
                                     platform::MessageButtons::Ok);
            m_ended = true;
            m_services.exit.endProgram(1);
            return;
        }
        const QString file =
            candidates.at(drawIndex(m_services.random, static_cast<int>(candidates.size())));
        QString error;
        if (m_agent.load(kCharacterId, programFile(m_services, file), &error)) {
            break;
        }
        qWarning().noquote() << "cannot load character file" << file << ":" << error;
        m_unloadable.insert(file);
    }

    AgentCharacter* character = m_agent.character(kCharacterId);
    m_state.currentChar = character;
    m_state.animNames.clear();
    if (!character) {
        return;
    }
    character->setLeft(toPosition(m_state.charX));
    character->setTop(toPosition(m_state.charY));
    placeOnVisibleScreen(*character);
    character->show();
    m_state.animNames = character->animationNames();
    m_animationTimer->setInterval(7000);
    m_services.events.processEvents();
}

QString MainForm::unloadableReport() const {
    // Each file with what is wrong with it, so the user knows what to replace.
    constexpr int kMaxListed = 10;
    QString text = QString::fromUtf16(texts::character::kNoLoadableCharacter) + QLatin1Char('\r');
    int listed = 0;
    for (const QString& name : m_state.charFiles) {
        if (!m_unloadable.contains(name)) {
            continue;
        }
        if (++listed > kMaxListed) {
            break;
        }
        QString reason = checkCharacterFile(programFile(m_services, name)).reason;
        if (reason.isEmpty()) {
            reason = QString::fromUtf16(texts::core::kDamaged);
        }
        text += QLatin1Char('\r') + name + QString::fromUtf16(u"：") + reason;
    }
    return text;
}

bool MainForm::placeOnVisibleScreen(AgentCharacter& character) {
    // A position remembered on a monitor that is gone would leave the character where nobody
    // can see or click it; bring the frame onto the nearest screen area instead.
    const QList<QRect> areas = m_services.screen.availableAreas();
    const QRect frame(QPoint(character.left(), character.top()), character.frameSize());
    if (areas.isEmpty()) {
        return false;
    }
    for (const QRect& area : areas) {
        if (area.intersects(frame)) {
            return false;
        }
    }
    const QRect* nearest = nullptr;
    long long best = 0;
    for (const QRect& area : areas) {
        const long long dx =
            std::max({area.left() - frame.right(), frame.left() - area.right(), 0});
        const long long dy =
            std::max({area.top() - frame.bottom(), frame.top() - area.bottom(), 0});
        const long long distance = dx * dx + dy * dy;
        if (!nearest || distance < best) {
            nearest = &area;
            best = distance;
        }
    }
    const int x = std::clamp(frame.left(), nearest->left(),
                             std::max(nearest->left(), nearest->right() + 1 - frame.width()));
    const int y = std::clamp(frame.top(), nearest->top(),
                             std::max(nearest->top(), nearest->bottom() + 1 - frame.height()));
    character.setLeft(toPosition(x));
    character.setTop(toPosition(y));
    return true;
}

void MainForm::SaveAndQuit() {
    // In this order, and nothing waits: the position is on disk before the window goes, the
    // character's sounds are dropped rather than cut off by the end of the process.
    m_animationTimer->setInterval(0);
    AppSettings(m_services.settings).writePosition(m_state.charX, m_state.charY);
    m_state.currentChar = nullptr;
    m_agent.unload(kCharacterId);
    m_ended = true;
    m_services.exit.endProgram(0);
}

void MainForm::hideKeepingPosition(AgentCharacter& character) {
    m_state.charX = character.left();
    m_state.charY = character.top();
    character.stop();
    character.stopAll();
    m_state.hidingByProgram = 1;
    character.hide();
    m_state.hidingByProgram = 0;
}

void MainForm::changeCharacter() {
    if (AgentCharacter* character = m_state.currentChar) {
        hideKeepingPosition(*character);
    }
    m_agent.unload(kCharacterId);
    m_state.currentChar = nullptr;
    LoadRandomCharacter();
}

void MainForm::キャラクター交代_Click() {
    changeCharacter();
    if (m_ended) {
        return;
    }
    m_services.events.processEvents();
}

void MainForm::おわり_Click() {
    m_state.hidingByProgram = 0;
    SaveAndQuit();
}

void MainForm::バージョン情報_Click() {
    if (m_showAbout) {
        m_showAbout();
    }
}

void MainForm::キャラクター_Click(const QString& /*id*/, std::int16_t button,
                                  std::int16_t /*shift*/, std::int16_t /*x*/, std::int16_t /*y*/) {
    if (button == 2 && popupMenu) {
        popupMenu(*m_menu, QCursor::pos());
    }
}

void MainForm::キャラクター_DblClick(const QString& /*id*/, std::int16_t button,
                                     std::int16_t /*shift*/, std::int16_t /*x*/,
                                     std::int16_t /*y*/) {
    if (button != 1) {
        return;
    }
    const float k = std::floor(m_services.random.rnd() * 5.0f) + 1.0f;
    if (k == 1.0f) {
        移動_Click();
    } else {
        アニメーション_Click();
    }
}

void MainForm::キャラクター_Hide(const QString& /*id*/, std::int16_t cause) {
    // The engine reports our own hides with the program cause; such a report arriving after
    // the flag was lowered again is still ours and must not end the program.
    if (m_state.hidingByProgram != 0 || cause == static_cast<std::int16_t>(HideCause::Program)) {
        return;
    }
    SaveAndQuit();
}

void MainForm::キャラクター_DragComplete(const QString& /*id*/, std::int16_t /*button*/,
                                         std::int16_t /*shift*/, std::int16_t x, std::int16_t y) {
    // Where the user put the character is where it comes back: the same variables the
    // roaming updates, saved by every path that ends the program.
    if (AgentCharacter* character = m_state.currentChar) {
        m_state.charX = character->left();
        m_state.charY = character->top();
    } else {
        m_state.charX = x;
        m_state.charY = y;
    }
}

QString MainForm::PickRandomAnimation() {
    const int count = m_state.animCount();
    // Drawing again and again from a list with nothing but "show" and "hide" would never end.
    bool playable = false;
    for (const QString& name : m_state.animNames) {
        if (!isShowOrHide(narrowLower(name))) {
            playable = true;
            break;
        }
    }
    if (!playable) {
        return {};
    }
    for (;;) {
        const int i = drawIndex(m_services.random, count) + 1;
        const QString name = narrowLower(m_state.animNames.at(i - 1));
        if (!isShowOrHide(name)) {
            return name;
        }
    }
}

void MainForm::armRandomInterval() {
    m_animationTimer->setInterval((drawIndex(m_services.random, 7) + 1) * 1000);
}

void MainForm::playRandomAnimation() {
    const QString name = PickRandomAnimation();
    if (AgentCharacter* character = m_state.currentChar) {
        character->stop();
        if (!name.isEmpty()) {
            character->play(name);
        }
    }
}

void MainForm::setPaused(bool paused) {
    m_paused = paused;
    if (paused) {
        m_animationTimer->setInterval(0);
    } else if (!m_ended) {
        armRandomInterval();
    }
}

void MainForm::アニメーションタイマー_Timer() {
    m_animationTimer->setInterval(0);
    if (m_paused) {
        return;
    }
    playRandomAnimation();
    m_services.events.processEvents();
    if (m_ended) {
        return;
    }
    if (static_cast<int>(std::floor(m_services.random.rnd() * 70.0f)) == 0) {
        MoveToRandomPlace();
        if (m_ended) {
            return;
        }
    }
    if (static_cast<int>(std::floor(m_services.random.rnd() * 50.0f)) == 2) {
        changeCharacter();
        if (m_ended) {
            return;
        }
    } else {
        armRandomInterval();
    }
    m_services.events.processEvents();
}

void MainForm::アニメーション_Click() {
    m_animationTimer->setInterval(0);
    playRandomAnimation();
    armRandomInterval();
    m_services.events.processEvents();
}

void MainForm::MoveToRandomPlace() {
    const int a = static_cast<int>(std::floor(m_services.random.rnd() * 2.0f));
    const int b = static_cast<int>(std::floor(m_services.random.rnd() * 2.0f));
    m_state.screenWidth = static_cast<float>(m_services.screen.widthTwips());
    m_state.screenHeight = static_cast<float>(m_services.screen.heightTwips());
    const double width = m_state.screenWidth;
    const double height = m_state.screenHeight;
    const double twipsX = m_services.screen.twipsPerPixelX();
    const double twipsY = m_services.screen.twipsPerPixelY();

    AgentCharacter* character = m_state.currentChar;
    double x = 0;
    if (a == 1) {
        x = std::floor(static_cast<double>(m_services.random.rnd()) * (width - width * 0.2)) +
            width * 0.1;
    } else if (character) {
        x = character->left() * twipsX;
    }
    double y = 0;
    if (b == 1) {
        y = std::floor(static_cast<double>(m_services.random.rnd()) * (height - height * 0.2)) +
            height * 0.1;
    } else if (character) {
        y = character->top() * twipsY;
    }
    if (x < 0) {
        x = width * 0.2;
    }
    if (y < 0) {
        y = height * 0.2;
    }
    // The target is kept in single precision before it becomes pixels.
    const float pixelX = static_cast<float>(x) / static_cast<float>(twipsX);
    const float pixelY = static_cast<float>(y) / static_cast<float>(twipsY);
    if (character) {
        character->moveTo(toPosition(pixelX), toPosition(pixelY));
    }
    m_services.events.processEvents();
    if (m_ended) {
        return;
    }
    m_waiter.WaitSeconds(4);
    if (m_ended) {
        return;
    }
    // A handler nested in the wait may have replaced the character: read the one on screen.
    if (AgentCharacter* now = m_state.currentChar) {
        m_state.charX = now->left();
        m_state.charY = now->top();
    }
}

void MainForm::移動_Click() {
    m_animationTimer->setInterval(0);
    MoveToRandomPlace();
    if (m_ended) {
        return;
    }
    armRandomInterval();
    m_services.events.processEvents();
}

}  // namespace app
