#pragma once

// Turns poses into layered frames. Each part (body variant, eyes, mouth, arm, leaf, effect) is
// drawn once into its own small palette image, cropped to what it covers, and reused by every
// frame that shows it: that keeps the character to a few dozen images however many frames use
// them. Image indices are handed out in order of first use, so the same sequence of poses
// always gives the same images.

#include "Palette.h"
#include "Pose.h"

#include <QImage>
#include <QPoint>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QPainter;

namespace mascot {

struct Layer {
    int image = 0;
    int x = 0;  // top-left corner in the frame
    int y = 0;
};

class Atlas {
public:
    explicit Atlas(Palette& palette);

    // The frame's layers for `pose`, top layer first.
    std::vector<Layer> layers(const Pose& pose);

    // Every image so far, 8-bit indexed with the palette's colour table.
    std::vector<QImage> images() const;

private:
    struct Entry {
        QImage image;
        QPoint origin;  // where the cropped image sat in the rest frame
    };
    using Draw = std::function<void(QPainter&)>;

    // A part drawn over the plain body: only the pixels it changes are kept, so its edges
    // are antialiased against the body instead of cut out of nothing.
    int overlay(const std::string& key, const Draw& draw);
    // A part drawn on its own over transparency.
    int standalone(const std::string& key, const Draw& draw);
    int add(const std::string& key, const QImage& indexed);
    QImage render(const Draw& draw, const QImage* under) const;

    Palette& m_palette;
    QImage m_plainBody;         // premultiplied, with the canvas margin
    QImage m_plainBodyIndexed;  // the same, quantised
    std::map<std::string, int> m_keys;
    std::vector<Entry> m_entries;
};

}  // namespace mascot
