#include "Atlas.h"

#include "Artist.h"

#include <QPainter>

#include <cmath>

namespace mascot {

namespace {

// Parts are drawn with a margin around the frame so that nothing that could later be shifted
// into view is cut off at draw time.
constexpr int kMargin = 24;
constexpr int kCanvas = kFrameSize + 2 * kMargin;

QPoint shiftOf(const QTransform& t, QPointF anchor) {
    const QPointF moved = t.map(anchor) - anchor;
    return {static_cast<int>(std::lround(moved.x())), static_cast<int>(std::lround(moved.y()))};
}

std::string keyOf(const char* kind, int a, int b = 0) {
    return std::string(kind) + "/" + std::to_string(a) + "/" + std::to_string(b);
}

}  // namespace

Atlas::Atlas(Palette& palette) : m_palette(palette) {
    m_plainBody = render([](QPainter& p) { drawBody(p, Body::Normal); }, nullptr);
    m_plainBodyIndexed = m_palette.quantize(m_plainBody);
}

QImage Atlas::render(const Draw& draw, const QImage* under) const {
    QImage canvas(kCanvas, kCanvas, QImage::Format_ARGB32_Premultiplied);
    if (under)
        canvas = under->copy();
    else
        canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kMargin, kMargin);
    draw(p);
    p.end();
    return canvas;
}

int Atlas::overlay(const std::string& key, const Draw& draw) {
    if (auto it = m_keys.find(key); it != m_keys.end())
        return it->second;
    QImage drawn = m_palette.quantize(render(draw, &m_plainBody));
    for (int y = 0; y < kCanvas; ++y) {
        uchar* row = drawn.scanLine(y);
        const uchar* base = m_plainBodyIndexed.constScanLine(y);
        for (int x = 0; x < kCanvas; ++x)
            if (row[x] == base[x])
                row[x] = kTransparentIndex;
    }
    return add(key, drawn);
}

int Atlas::standalone(const std::string& key, const Draw& draw) {
    if (auto it = m_keys.find(key); it != m_keys.end())
        return it->second;
    return add(key, m_palette.quantize(render(draw, nullptr)));
}

int Atlas::add(const std::string& key, const QImage& indexed) {
    int left = kCanvas, top = kCanvas, right = -1, bottom = -1;
    for (int y = 0; y < kCanvas; ++y) {
        const uchar* row = indexed.constScanLine(y);
        for (int x = 0; x < kCanvas; ++x) {
            if (row[x] == kTransparentIndex)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    Entry entry;
    if (right < 0) {
        // Nothing drawn: keep a one-pixel transparent image rather than an empty one.
        entry.image = indexed.copy(0, 0, 1, 1);
        entry.image.setPixel(0, 0, kTransparentIndex);
    } else {
        entry.image = indexed.copy(left, top, right - left + 1, bottom - top + 1);
        entry.origin = QPoint(left - kMargin, top - kMargin);
    }
    entry.image.setColorTable(m_palette.colorTable());
    const int index = static_cast<int>(m_entries.size());
    m_entries.push_back(entry);
    m_keys.emplace(key, index);
    return index;
}

std::vector<Layer> Atlas::layers(const Pose& pose) {
    std::vector<Layer> out;
    const QPoint move(pose.dx, pose.dy);
    const auto place = [&](int image, QPoint shift) {
        const QPoint at = m_entries[static_cast<std::size_t>(image)].origin + shift;
        out.push_back({image, at.x(), at.y()});
    };

    if (pose.scalePercent != 100) {
        std::string key = keyOf("whole", pose.scalePercent, static_cast<int>(pose.eyes));
        for (int part : {static_cast<int>(pose.mouth), static_cast<int>(pose.left),
                         static_cast<int>(pose.right), static_cast<int>(pose.leaf)})
            key += "/" + std::to_string(part);
        const int image = standalone(key, [&pose](QPainter& p) {
            const double s = pose.scalePercent / 100.0;
            p.translate(64, 116);
            p.scale(s, s);
            p.translate(-64, -116);
            drawWhole(p, pose);
        });
        place(image, move);
        return out;
    }

    const QTransform t = bodyTransform(pose.body);
    for (const Placed& e : pose.effects)
        place(standalone(keyOf("effect", static_cast<int>(e.effect)),
                         [&e](QPainter& p) { drawEffect(p, e.effect); }),
              move + QPoint(e.dx, e.dy));
    // Arms hanging at rest are part of the body image, as is the rest of the pose that most
    // frames share: a typical frame is then face, leaf and body, and none needs more than six
    // layers, like the characters Agent shipped.
    const bool leftBaked = pose.left == Arm::Down;
    const bool rightBaked = pose.right == Arm::Down;
    const QPoint leftShift = shiftOf(t, kLeftShoulder);
    const QPoint rightShift = shiftOf(t, kRightShoulder);
    if (!leftBaked)
        place(overlay(keyOf("arm", static_cast<int>(pose.left), 1),
                      [&pose](QPainter& p) { drawArm(p, pose.left, true); }),
              move + leftShift);
    if (!rightBaked)
        place(overlay(keyOf("arm", static_cast<int>(pose.right), 0),
                      [&pose](QPainter& p) { drawArm(p, pose.right, false); }),
              move + rightShift);
    place(overlay(keyOf("face", static_cast<int>(pose.eyes), static_cast<int>(pose.mouth)),
                  [&pose](QPainter& p) {
                      drawEyes(p, pose.eyes);
                      drawMouth(p, pose.mouth);
                  }),
          move + shiftOf(t, kFaceCenter) + QPoint(pose.faceDx, pose.faceDy));
    place(overlay(keyOf("leaf", static_cast<int>(pose.leaf)),
                  [&pose](QPainter& p) { drawLeaf(p, pose.leaf); }),
          move + shiftOf(t, kLeafBase));
    place(standalone(keyOf("body", static_cast<int>(pose.body), leftBaked * 2 + rightBaked),
                     [&](QPainter& p) {
                         drawBody(p, pose.body);
                         if (leftBaked) {
                             p.save();
                             p.translate(leftShift);
                             drawArm(p, Arm::Down, true);
                             p.restore();
                         }
                         if (rightBaked) {
                             p.save();
                             p.translate(rightShift);
                             drawArm(p, Arm::Down, false);
                             p.restore();
                         }
                     }),
          move);
    return out;
}

std::vector<QImage> Atlas::images() const {
    std::vector<QImage> out;
    out.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        out.push_back(e.image);
    return out;
}

}  // namespace mascot
