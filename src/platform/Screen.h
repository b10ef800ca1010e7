#pragma once

#include <QList>
#include <QRect>

namespace platform {

// The primary screen. Sizes in twips are 1440 per inch; a twips-per-pixel factor converts each
// axis (pixels to twips multiplies, twips to pixels divides, no rounding). `availableAreas` lists
// the usable area of every connected screen; sizes and areas are in physical screen pixels.
class Screen {
public:
    virtual ~Screen() = default;
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    virtual QList<QRect> availableAreas() const = 0;

    double widthTwips() const { return widthPixels() * twipsPerPixelX(); }
    double heightTwips() const { return heightPixels() * twipsPerPixelY(); }
};

}  // namespace platform
