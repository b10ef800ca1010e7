#pragma once

#include <QIcon>
#include <QPixmap>

namespace app {

// The program's own icon, drawn at the size asked for (32 and 16 are the usual ones).
QPixmap programIconPixmap(int size);
// The program icon drawn from our character (built into the program), or the drawing above
// where the program carries no icon resources.
QIcon programIcon();

}  // namespace app
