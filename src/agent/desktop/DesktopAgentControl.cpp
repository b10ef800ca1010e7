#include "agent/desktop/DesktopAgentControl.h"

#include "agent/acs/Character.h"
#include "agent/desktop/DesktopCharacter.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QSessionManager>

#include <vector>

namespace desktop {

namespace {

// Far above the largest real character (about 4 MB); refuses to read a wrong, huge file.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

}  // namespace

DesktopAgentControl::DesktopAgentControl(QObject* parent) : DesktopAgentControl(Config{}, parent) {}

DesktopAgentControl::DesktopAgentControl(Config config, QObject* parent)
    : QObject(parent), m_config(std::move(config)) {
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { sessionEnding(); });
    }
#endif
}

DesktopAgentControl::~DesktopAgentControl() = default;

void DesktopAgentControl::setMuted(bool muted) {
    m_muted = muted;
    if (muted) {
        for (auto& [id, character] : m_characters)
            character->silence();
    }
}

bool DesktopAgentControl::load(const QString& id, const QString& path, QString* error) {
    auto failed = [error](const QString& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (m_characters.count(id) != 0) {
        return failed(QStringLiteral("a character is already loaded under the ID \"%1\"").arg(id));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    }
    if (file.size() > kMaxFileBytes) {
        return failed(QStringLiteral("%1 is too large to be a character file").arg(path));
    }
    const QByteArray data = file.readAll();
    if (data.size() != file.size()) {
        return failed(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    acs::LoadResult result = acs::loadCharacter(std::move(bytes), acs::Mode::Lenient);
    if (!result.ok()) {
        return failed(QStringLiteral("%1: %2 (%3)")
                          .arg(path, QString::fromUtf8(acs::errorCodeName(result.error.code)),
                               QString::fromStdString(result.error.message())));
    }
    if (result.character->animations().empty()) {
        return failed(QStringLiteral("%1: the character has no playable animation").arg(path));
    }
    m_characters[id] = std::make_unique<DesktopCharacter>(*this, id, m_nextSerial++,
                                                          std::move(result.character), m_config);
    return true;
}

app::AgentCharacter* DesktopAgentControl::character(const QString& id) {
    return desktopCharacter(id);
}

DesktopCharacter* DesktopAgentControl::desktopCharacter(const QString& id) const {
    const auto found = m_characters.find(id);
    return found == m_characters.end() ? nullptr : found->second.get();
}

void DesktopAgentControl::unload(const QString& id) {
    const auto found = m_characters.find(id);
    if (found == m_characters.end())
        return;
    // Out of the map first: the character's teardown must not find itself still loaded.
    std::unique_ptr<DesktopCharacter> gone = std::move(found->second);
    m_characters.erase(found);
    gone.reset();
}

void DesktopAgentControl::post(const QString& id, quint64 serial, EventKind kind, std::int16_t a,
                               std::int16_t shift, std::int16_t x, std::int16_t y) {
    QMetaObject::invokeMethod(
        this,
        [this, id, serial, kind, a, shift, x, y] {
            // Delivered only to the very character that raised it: not after Unload, and
            // not to a new character loaded under the same ID meanwhile.
            const DesktopCharacter* current = desktopCharacter(id);
            if (current == nullptr || current->serial() != serial)
                return;
            try {
                switch (kind) {
                    case EventKind::Click:
                        if (m_onClick)
                            m_onClick(id, a, shift, x, y);
                        break;
                    case EventKind::DblClick:
                        if (m_onDblClick)
                            m_onDblClick(id, a, shift, x, y);
                        break;
                    case EventKind::DragComplete:
                        if (m_onDragComplete)
                            m_onDragComplete(id, a, shift, x, y);
                        break;
                    case EventKind::Hide:
                        if (m_onHide)
                            m_onHide(id, a);
                        break;
                }
            } catch (...) {
                // Qt cannot unwind through its event loop; a failing handler loses its event.
                qWarning("character event handler failed");
            }
        },
        Qt::QueuedConnection);
}

void DesktopAgentControl::sessionEnding() {
    std::vector<QString> ids;
    for (const auto& entry : m_characters)
        ids.push_back(entry.first);
    for (const QString& id : ids) {
        if (DesktopCharacter* c = desktopCharacter(id))
            c->hideNow();
    }
}

}  // namespace desktop
