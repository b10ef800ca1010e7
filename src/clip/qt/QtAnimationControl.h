#pragma once

#include "clip/qt/ClipWidget.h"
#include "components/AnimationControl.h"

#include <QPointer>

namespace clip {

// The progress-clip control of the wizard forms, backed by ClipWidget. The widget belongs to
// the parent form (Qt ownership); the control only refers to it and deletes it itself only
// when it was created without a parent. The widget's objectName is "avi".
class QtAnimationControl : public app::AnimationControl {
public:
    explicit QtAnimationControl(QWidget* parent);
    ~QtAnimationControl() override;

    QWidget* widget() override;
    void setVisible(bool visible) override;
    bool isVisible() const override;
    bool open(const QString& path) override;
    void play() override;
    void stop() override;

private:
    QPointer<ClipWidget> m_widget;
};

class QtAnimationControlFactory : public app::AnimationControlFactory {
public:
    std::unique_ptr<app::AnimationControl> create(QWidget* parent) override;
};

}  // namespace clip
