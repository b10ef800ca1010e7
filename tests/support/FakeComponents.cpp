#include "FakeComponents.h"

#include <QFileInfo>

namespace fakes {

void FakeAgentCharacter::record(const QString& entry) {
    m_control.log.append(entry);
}

void FakeAgentCharacter::setLeft(std::int16_t value) {
    x = value;
    record(QStringLiteral("left:%1").arg(value));
}

void FakeAgentCharacter::setTop(std::int16_t value) {
    y = value;
    record(QStringLiteral("top:%1").arg(value));
}

// The program's own hide: the engine reports it with cause 3 during the call.
void FakeAgentCharacter::hide() {
    record(QStringLiteral("hide"));
    m_control.raiseHide(static_cast<std::int16_t>(app::HideCause::Program));
}

void FakeAgentCharacter::moveTo(std::int16_t toX, std::int16_t toY) {
    record(QStringLiteral("moveTo:%1,%2").arg(toX).arg(toY));
    if (movesAtOnce) {
        x = toX;
        y = toY;
    }
}

bool FakeAgentControl::load(const QString& id, const QString& path, QString* error) {
    loads.append(path);
    const QString file = QFileInfo(path).fileName();
    log.append(QStringLiteral("load:") + file);
    if (failingPaths.contains(file)) {
        if (error) {
            *error = QStringLiteral("not a character file");
        }
        return false;
    }
    m_current = std::make_unique<FakeAgentCharacter>(*this, id);
    m_current->names = namesByFile.value(file, defaultNames);
    m_current->size = defaultSize;
    return true;
}

app::AgentCharacter* FakeAgentControl::character(const QString& id) {
    return m_current && m_current->id == id ? m_current.get() : nullptr;
}

void FakeAgentControl::unload(const QString& id) {
    log.append(QStringLiteral("unload:") + id);
    if (onUnload) {
        onUnload();
    }
    if (m_current && m_current->id == id) {
        m_current.reset();
    }
}

void FakeAgentControl::raiseDragComplete(std::int16_t x, std::int16_t y) {
    if (m_current) {
        m_current->x = x;
        m_current->y = y;
    }
    raise(onDragComplete, 1, x, y);
}

FakeAnimationControl::FakeAnimationControl(QWidget* parent, QStringList& log, bool openSucceeds)
    : m_widget(new QWidget(parent)), m_log(log), m_openSucceeds(openSucceeds) {
    m_widget->setObjectName(QStringLiteral("avi"));
    m_widget->hide();
}

void FakeAnimationControl::setVisible(bool visible) {
    m_visible = visible;
    m_widget->setVisible(visible);
    m_log.append(QStringLiteral("visible:%1").arg(visible ? 1 : 0));
}

bool FakeAnimationControl::open(const QString& path) {
    opened = path;
    m_log.append(QStringLiteral("open:") + QFileInfo(path).fileName());
    return m_openSucceeds;
}

std::unique_ptr<app::AnimationControl> FakeAnimationFactory::create(QWidget* parent) {
    auto control = std::make_unique<FakeAnimationControl>(parent, log, openSucceeds);
    last = control.get();
    return control;
}

}  // namespace fakes
