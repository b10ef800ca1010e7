#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace app {

// The progress-clip control placed on the wizard forms. `open` replaces any clip opened before
// and returns false (showing nothing) when the clip cannot be read or played; `play` loops the
// clip until `stop`.
class AnimationControl {
public:
    virtual ~AnimationControl() = default;
    virtual QWidget* widget() = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual bool open(const QString& path) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
};

// Creates the control as a child of a form.
class AnimationControlFactory {
public:
    virtual ~AnimationControlFactory() = default;
    virtual std::unique_ptr<AnimationControl> create(QWidget* parent) = 0;
};

}  // namespace app
