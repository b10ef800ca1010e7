#pragma once

#include "platform/MessageBoxes.h"

namespace platform {

// The application title, the caption of every box that gives none.
QString applicationTitle();

class QtMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                       const QString& caption = {}) override;
};

}  // namespace platform
