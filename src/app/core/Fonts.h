#pragma once

#include <QFont>

namespace app {

// The forms' Japanese UI font at a point size, with the fallbacks this system has when the
// Windows font is missing.
QFont japaneseFont(double pointSize, bool bold = false, bool italic = false);

}  // namespace app
