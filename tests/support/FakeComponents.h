#pragma once

// Fakes of the character engine and the clip control. They record every request as a short
// text ("show", "play:wave", "moveTo:10,20", ...) in one log shared with the control, so tests
// can assert what reached the engine and in which order.

#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "components/AgentControl.h"
#include "components/AnimationControl.h"

namespace fakes {

class FakeAgentControl;

class FakeAgentCharacter final : public app::AgentCharacter {
public:
    FakeAgentCharacter(FakeAgentControl& control, QString characterId)
        : id(std::move(characterId)), m_control(control) {}

    std::int16_t left() const override { return x; }
    std::int16_t top() const override { return y; }
    void setLeft(std::int16_t value) override { record(QStringLiteral("left:%1").arg(x = value)); }
    void setTop(std::int16_t value) override { record(QStringLiteral("top:%1").arg(y = value)); }
    void show() override { record(QStringLiteral("show")); }
    // The program's own hide: the engine reports it with cause 3 during the call.
    void hide() override;
    void play(const QString& animation) override { record(QStringLiteral("play:") + animation); }
    void stop() override { record(QStringLiteral("stop")); }
    void stopAll() override { record(QStringLiteral("stopAll")); }
    void moveTo(std::int16_t toX, std::int16_t toY) override {
        record(QStringLiteral("moveTo:%1,%2").arg(toX).arg(toY));
        if (movesAtOnce) {
            x = toX;
            y = toY;
        }
    }
    QStringList animationNames() const override { return names; }
    QSize frameSize() const override { return size; }

    QString id;
    std::int16_t x = 0;
    std::int16_t y = 0;
    QStringList names;
    QSize size{128, 128};
    // When true, a move lands at once (the glide "finishes" before the next read).
    bool movesAtOnce = true;

private:
    void record(const QString& entry);
    FakeAgentControl& m_control;
};

class FakeAgentControl final : public app::AgentControl {
public:
    bool load(const QString& id, const QString& path, QString* error) override {
        loads.append(path);
        const QString file = QFileInfo(path).fileName();
        log.append(QStringLiteral("load:") + file);
        if (failingPaths.contains(file)) {
            *error = QStringLiteral("not a character file");
            return false;
        }
        m_current = std::make_unique<FakeAgentCharacter>(*this, id);
        m_current->names = namesByFile.value(file, defaultNames);
        m_current->size = defaultSize;
        return true;
    }
    app::AgentCharacter* character(const QString& id) override {
        return m_current && m_current->id == id ? m_current.get() : nullptr;
    }
    void unload(const QString& id) override {
        log.append(QStringLiteral("unload:") + id);
        if (onUnload)
            onUnload();
        if (m_current && m_current->id == id)
            m_current.reset();
    }
    void setClickHandler(MouseHandler handler) override { onClick = std::move(handler); }
    void setDblClickHandler(MouseHandler handler) override { onDblClick = std::move(handler); }
    void setHideHandler(HideHandler handler) override { onHide = std::move(handler); }
    void setDragCompleteHandler(MouseHandler handler) override {
        onDragComplete = std::move(handler);
    }

    // Test side: raise events as the engine would.
    void raiseClick(std::int16_t button) { raise(onClick, button, 0, 0); }
    void raiseDblClick(std::int16_t button) { raise(onDblClick, button, 0, 0); }
    void raiseHide(std::int16_t cause) {
        if (onHide)
            onHide(QStringLiteral("d"), cause);
    }
    // The user dropped the character at (x, y): it is already there.
    void raiseDragComplete(std::int16_t x, std::int16_t y) {
        if (m_current) {
            m_current->x = x;
            m_current->y = y;
        }
        raise(onDragComplete, 1, x, y);
    }

    FakeAgentCharacter* current() const { return m_current.get(); }

    QStringList log;
    QStringList loads;                       // every path passed to load, in order
    QStringList failingPaths;                // file names (not paths) whose load fails
    QMap<QString, QStringList> namesByFile;  // file name -> animation names after load
    QSize defaultSize{128, 128};             // frame size of every character loaded
    QStringList defaultNames{QStringLiteral("Show"), QStringLiteral("Hide"),
                             QStringLiteral("Wave")};

    MouseHandler onClick;
    MouseHandler onDblClick;
    HideHandler onHide;
    MouseHandler onDragComplete;
    std::function<void()> onUnload;  // runs inside every unload

private:
    static void raise(const MouseHandler& handler, std::int16_t button, std::int16_t x,
                      std::int16_t y) {
        if (handler)
            handler(QStringLiteral("d"), button, 0, x, y);
    }
    std::unique_ptr<FakeAgentCharacter> m_current;
};

class FakeAnimationControl final : public app::AnimationControl {
public:
    FakeAnimationControl(QWidget* parent, QStringList& log, bool openSucceeds)
        : m_widget(new QWidget(parent)), m_log(log), m_openSucceeds(openSucceeds) {
        m_widget->setObjectName(QStringLiteral("avi"));
        m_widget->hide();
    }
    QWidget* widget() override { return m_widget; }
    void setVisible(bool visible) override {
        m_widget->setVisible(m_visible = visible);
        m_log.append(QStringLiteral("visible:%1").arg(visible ? 1 : 0));
    }
    bool isVisible() const override { return m_visible; }
    bool open(const QString& path) override {
        m_log.append(QStringLiteral("open:") + QFileInfo(opened = path).fileName());
        return m_openSucceeds;
    }
    void play() override { setPlaying(true); }
    void stop() override { setPlaying(false); }

    bool playing = false;
    QString opened;

private:
    void setPlaying(bool on) {
        playing = on;
        m_log.append(QLatin1String(on ? "play" : "stop"));
    }
    QWidget* m_widget;
    QStringList& m_log;
    bool m_visible = false;
    bool m_openSucceeds;
};

class FakeAnimationFactory final : public app::AnimationControlFactory {
public:
    std::unique_ptr<app::AnimationControl> create(QWidget* parent) override {
        auto control = std::make_unique<FakeAnimationControl>(parent, log, openSucceeds);
        last = control.get();
        return control;
    }

    QStringList log;  // "open:<file name>", "play", "stop", "visible:1"
    FakeAnimationControl* last = nullptr;
    bool openSucceeds = true;
};

inline void FakeAgentCharacter::record(const QString& entry) {
    m_control.log.append(entry);
}

inline void FakeAgentCharacter::hide() {
    record(QStringLiteral("hide"));
    m_control.raiseHide(static_cast<std::int16_t>(app::HideCause::Program));
}

}  // namespace fakes
