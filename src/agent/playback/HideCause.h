#pragma once

#include <cstdint>

namespace playback {

// Why the character was hidden, as the Hide event reports it (the values are the ones the
// Agent control's Hide event carries).
enum class HideCause : std::int16_t {
    User = 1,     // the user hid it (window closed from outside, tray menu)
    Program = 3,  // the program's own Hide request
};

}  // namespace playback
