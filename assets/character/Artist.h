#pragma once

// Draws the parts of the character as vector shapes with QPainter, in the coordinates of the
// 128 × 128 frame at rest. Every function only draws; placement and layering are the atlas's.

#include "Pose.h"

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QTransform>

namespace mascot {

inline constexpr int kFrameSize = 128;

// Anchors of the rest pose; body variants move them by their transform.
inline constexpr QPointF kFaceCenter{64.0, 88.0};
inline constexpr QPointF kLeftShoulder{25.0, 93.0};
inline constexpr QPointF kRightShoulder{103.0, 93.0};
inline constexpr QPointF kLeafBase{64.0, 52.0};

// The squash, stretch or lean of a body variant, about the middle of the bottom edge.
QTransform bodyTransform(Body body);

void drawBody(QPainter& p, Body body);
void drawEyes(QPainter& p, Eyes eyes);
void drawMouth(QPainter& p, Mouth mouth);
void drawArm(QPainter& p, Arm arm, bool left);
void drawLeaf(QPainter& p, Leaf leaf);
void drawEffect(QPainter& p, Effect effect);

// The 16 × 16 taskbar icon: a plain, unantialiased mochi in the 16 standard colours the
// icon is stored with, so nothing is lost on the way.
QImage trayIcon();

// Everything of a pose at once (used for the scaled Show/Hide pictures).
void drawWhole(QPainter& p, const Pose& pose);

}  // namespace mascot
