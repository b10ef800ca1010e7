// Keeps the icon resources of this library linked into every program that uses it.
#include <QtGlobal>

int porukaneIconsAnchor() {
    return 0;
}
