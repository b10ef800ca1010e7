#pragma once

#include <QString>

namespace platform {

enum class MessageIcon { None, Information, Question, Critical };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Modal message boxes. Blocks the caller while pumping events (handlers run nested) and returns
// the button pressed. A single carriage return (U+000D) in `text` is a line break, two make an
// empty line. An empty caption means the application title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                               const QString& caption = {}) = 0;
};

}  // namespace platform
