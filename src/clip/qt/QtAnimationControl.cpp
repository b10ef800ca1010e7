#include "clip/qt/QtAnimationControl.h"

#include "clip/qt/ClipWidget.h"

namespace clip {

QtAnimationControl::QtAnimationControl(QWidget* parent) : m_widget(new ClipWidget(parent)) {
    m_widget->setObjectName(QStringLiteral("avi"));
}

QtAnimationControl::~QtAnimationControl() {
    if (m_widget && m_widget->parent() == nullptr)
        delete m_widget.data();
}

QWidget* QtAnimationControl::widget() {
    return m_widget;
}

void QtAnimationControl::setVisible(bool visible) {
    if (m_widget)
        m_widget->setVisible(visible);
}

// The control's own Visible setting, independent of whether its form is on screen yet.
bool QtAnimationControl::isVisible() const {
    return m_widget && !m_widget->isHidden();
}

bool QtAnimationControl::open(const QString& path) {
    return m_widget && m_widget->openFile(path);
}

void QtAnimationControl::play() {
    if (m_widget)
        m_widget->play();
}

void QtAnimationControl::stop() {
    if (m_widget)
        m_widget->stop();
}

std::unique_ptr<app::AnimationControl> QtAnimationControlFactory::create(QWidget* parent) {
    return std::make_unique<QtAnimationControl>(parent);
}

}  // namespace clip
