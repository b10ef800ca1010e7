#pragma once

#include <QIcon>
#include <QPixmap>

namespace app {

// The program's own icon, drawn at the size asked for (32 and 16 are the usual ones).
QPixmap programIconPixmap(int size);
QIcon programIcon();

}  // namespace app
