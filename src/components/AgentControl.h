#pragma once

#include "agent/playback/HideCause.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace app {

using playback::HideCause;

// One loaded character. Requests return at once; the work happens while events are pumped.
// Positions are the top-left corner of the character frame in physical screen pixels.
class AgentCharacter {
public:
    virtual ~AgentCharacter() = default;

    virtual std::int16_t left() const = 0;
    virtual std::int16_t top() const = 0;
    virtual void setLeft(std::int16_t x) = 0;
    virtual void setTop(std::int16_t y) = 0;

    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void play(const QString& animation) = 0;
    virtual void stop() = 0;
    virtual void stopAll() = 0;
    // Glides to (x, y) at the default speed.
    virtual void moveTo(std::int16_t x, std::int16_t y) = 0;

    // The character's animation names, in the order the engine enumerates them.
    virtual QStringList animationNames() const = 0;

    // Width and height of the character frame as it stands on the screen (the loaded
    // character's size times its display scale), in physical screen pixels.
    virtual QSize frameSize() const = 0;
};

// The character engine as the companion sees it: characters loaded by ID (always "d"), and
// four events. Handlers run on the user-interface thread while events are pumped.
class AgentControl {
public:
    using MouseHandler = std::function<void(const QString& id, std::int16_t button,
                                            std::int16_t shift, std::int16_t x, std::int16_t y)>;
    using HideHandler = std::function<void(const QString& id, std::int16_t cause)>;

    virtual ~AgentControl() = default;

    // Loads the character file at `path` under `id`. Returns false and fills `error` (a
    // one-line English description for the log) when the file cannot be loaded; nothing is
    // loaded then.
    virtual bool load(const QString& id, const QString& path, QString* error) = 0;
    // The character loaded under `id`, or nullptr. Owned by the control until unloaded.
    virtual AgentCharacter* character(const QString& id) = 0;
    // Removes the character at once, cancelling its pending requests and events.
    virtual void unload(const QString& id) = 0;

    // Mouse buttons: 1 left, 2 right, 4 middle.
    virtual void setClickHandler(MouseHandler handler) = 0;
    virtual void setDblClickHandler(MouseHandler handler) = 0;
    virtual void setHideHandler(HideHandler handler) = 0;
    // The user dropped the character after dragging it; `x`, `y` is where its frame now is.
    virtual void setDragCompleteHandler(MouseHandler handler) = 0;
};

}  // namespace app
