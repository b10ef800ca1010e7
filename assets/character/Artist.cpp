#include "Artist.h"

#include "Palette.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace mascot {

namespace {

constexpr double kBottom = 116.0;
constexpr double kCenterX = 64.0;
constexpr double kCenterY = 84.0;
constexpr double kRadiusX = 42.0;
constexpr double kRadiusTop = 33.0;
constexpr QPointF kLeftEye{50.0, 85.0};
constexpr QPointF kRightEye{78.0, 85.0};
constexpr QPointF kMouth{64.0, 97.0};

QPen outlinePen(double width = 2.6, QRgb color = ink::kOutline) {
    QPen pen{QColor::fromRgb(color), width};
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A mochi: a round top and a flatter, wider-shouldered bottom (a superellipse below the
// middle), so it reads as something soft sitting on the ground.
QPainterPath bodyPath() {
    QPainterPath path;
    constexpr int kSteps = 144;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = 2.0 * std::numbers::pi * i / kSteps;
        const double c = std::cos(t);
        const double s = std::sin(t);
        const bool bottom = s > 0;
        const double e = bottom ? 2.0 / 2.7 : 1.0;
        const double x = kCenterX + kRadiusX * std::copysign(std::pow(std::abs(c), e), c);
        const double ry = bottom ? kBottom - kCenterY : kRadiusTop;
        const double y = kCenterY + ry * std::copysign(std::pow(std::abs(s), e), s);
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    path.closeSubpath();
    return path;
}

void fillEllipse(QPainter& p, QPointF c, double rx, double ry, QRgb color) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(color));
    p.drawEllipse(c, rx, ry);
}

void strokePath(QPainter& p, const QPainterPath& path, double width, QRgb color) {
    p.setPen(outlinePen(width, color));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void openEye(QPainter& p, QPointF c, double rx, double ry, bool twoLights) {
    fillEllipse(p, c, rx, ry, ink::kEye);
    fillEllipse(p, c + QPointF(-rx * 0.35, -ry * 0.4), rx * 0.42, rx * 0.42, ink::kWhite);
    if (twoLights)
        fillEllipse(p, c + QPointF(rx * 0.35, ry * 0.35), rx * 0.2, rx * 0.2, ink::kWhite);
}

// An arc through three points, drawn as a quadratic curve.
QPainterPath arc(QPointF from, QPointF control, QPointF to) {
    QPainterPath path(from);
    path.quadTo(control, to);
    return path;
}

void eyeArcs(QPainter& p, double lift, double width) {
    for (QPointF c : {kLeftEye, kRightEye})
        strokePath(p, arc(c + QPointF(-5, 1), c + QPointF(0, 1 + lift), c + QPointF(5, 1)), width,
                   ink::kEye);
}

void star(QPainter& p, QPointF c, double r, QRgb color) {
    QPainterPath path;
    for (int i = 0; i < 8; ++i) {
        const double a = std::numbers::pi / 4 * i - std::numbers::pi / 2;
        const double rr = i % 2 == 0 ? r : r * 0.32;
        const QPointF pt = c + QPointF(rr * std::cos(a), rr * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(outlinePen(1.4));
    p.setBrush(QColor::fromRgb(color));
    p.drawPath(path);
}

void drawZ(QPainter& p, QPointF c, double s) {
    QPainterPath z;
    z.moveTo(c + QPointF(-s, -s));
    z.lineTo(c + QPointF(s, -s));
    z.lineTo(c + QPointF(-s, s));
    z.lineTo(c + QPointF(s, s));
    strokePath(p, z, s * 0.9 + 2.6, ink::kOutline);
    strokePath(p, z, s * 0.9, ink::kSky);
}

void drawBubble(QPainter& p, QPointF c, double rx, double ry) {
    p.setPen(outlinePen(2.0));
    p.setBrush(QColor::fromRgb(ink::kWhite));
    p.drawEllipse(c, rx, ry);
}

}  // namespace

QTransform bodyTransform(Body body) {
    QTransform t;
    t.translate(kCenterX, kBottom);
    switch (body) {
        case Body::Normal:
            break;
        case Body::Squash:
            t.scale(1.1, 0.87);
            break;
        case Body::Stretch:
            t.scale(0.9, 1.1);
            break;
        case Body::LeanLeft:
            t.shear(0.2, 0.0);
            break;
        case Body::LeanRight:
            t.shear(-0.2, 0.0);
            break;
        case Body::Breathe:
            t.scale(1.03, 0.96);
            break;
    }
    t.translate(-kCenterX, -kBottom);
    return t;
}

void drawBody(QPainter& p, Body body) {
    p.save();
    p.setTransform(bodyTransform(body), true);
    const QPainterPath path = bodyPath();
    QRadialGradient shade(QPointF(50, 66), 74, QPointF(48, 62));
    shade.setColorAt(0.0, QColor::fromRgb(ink::kBodyHigh));
    shade.setColorAt(0.3, QColor::fromRgb(ink::kBody));
    shade.setColorAt(0.75, QColor::fromRgb(ink::kBodyLow));
    shade.setColorAt(1.0, QColor::fromRgb(ink::kBodyDeep));
    p.setPen(outlinePen(2.8));
    p.setBrush(shade);
    p.drawPath(path);
    fillEllipse(p, QPointF(38, 96), 7.5, 4.5, ink::kCheek);
    fillEllipse(p, QPointF(90, 96), 7.5, 4.5, ink::kCheek);
    // A soft gleam on the upper left sells the "round and squishy".
    fillEllipse(p, QPointF(42, 64), 6, 3.5, ink::kWhite);
    p.restore();
}

void drawEyes(QPainter& p, Eyes eyes) {
    const auto both = [&](QPointF shift, double rx, double ry, bool twoLights = false) {
        openEye(p, kLeftEye + shift, rx, ry, twoLights);
        openEye(p, kRightEye + shift, rx, ry, twoLights);
    };
    switch (eyes) {
        case Eyes::Open:
            both({0, 0}, 3.6, 5.2);
            break;
        case Eyes::LookLeft:
            both({-3, 0}, 3.6, 5.2);
            break;
        case Eyes::LookRight:
            both({3, 0}, 3.6, 5.2);
            break;
        case Eyes::LookUp:
            both({0, -3}, 3.6, 5.2);
            break;
        case Eyes::LookDown:
            both({0, 2.5}, 3.6, 4.8);
            break;
        case Eyes::Wide:
            both({0, -1}, 4.8, 6.4, true);
            break;
        case Eyes::Half:
            for (QPointF c : {kLeftEye, kRightEye}) {
                QPainterPath lower;
                lower.moveTo(c + QPointF(-4, 1));
                lower.quadTo(c + QPointF(0, 8), c + QPointF(4, 1));
                lower.closeSubpath();
                p.setPen(Qt::NoPen);
                p.setBrush(QColor::fromRgb(ink::kEye));
                p.drawPath(lower);
                strokePath(p, arc(c + QPointF(-5, 1), c + QPointF(0, 0), c + QPointF(5, 1)), 2.2,
                           ink::kEye);
            }
            break;
        case Eyes::Closed:
            for (QPointF c : {kLeftEye, kRightEye})
                strokePath(p, arc(c + QPointF(-5, 2), c + QPointF(0, 3.5), c + QPointF(5, 2)), 2.4,
                           ink::kEye);
            break;
        case Eyes::Happy:
            eyeArcs(p, -8, 2.6);
            break;
        case Eyes::Sleep:
            eyeArcs(p, 6, 2.2);
            break;
        case Eyes::Sad:
            both({0, 1}, 3.4, 4.6);
            for (int side : {-1, 1}) {
                const QPointF c = side < 0 ? kLeftEye : kRightEye;
                // Inner ends raised: worried, not cross.
                QPainterPath brow(c + QPointF(-5.0 * side, -11));
                brow.lineTo(c + QPointF(4.0 * side, -8));
                strokePath(p, brow, 2.0, ink::kEye);
            }
            break;
        case Eyes::Confused: {
            openEye(p, kLeftEye + QPointF(0, -1), 4.2, 5.8, false);
            const QPointF c = kRightEye;
            strokePath(p, arc(c + QPointF(-5, 1), c + QPointF(0, -1), c + QPointF(5, 2)), 2.4,
                       ink::kEye);
            QPainterPath brow(kLeftEye + QPointF(-5, -10));
            brow.quadTo(kLeftEye + QPointF(0, -13), kLeftEye + QPointF(5, -10));
            strokePath(p, brow, 2.0, ink::kEye);
            break;
        }
        case Eyes::Squeeze:
            for (int side : {-1, 1}) {
                const QPointF c = side < 0 ? kLeftEye : kRightEye;
                QPainterPath chevron(c + QPointF(-4.0 * side, -4));
                chevron.lineTo(c + QPointF(3.0 * side, 0.5));
                chevron.lineTo(c + QPointF(-4.0 * side, 5));
                strokePath(p, chevron, 2.4, ink::kEye);
            }
            break;
    }
}

void drawMouth(QPainter& p, Mouth mouth) {
    const QPointF m = kMouth;
    switch (mouth) {
        case Mouth::Smile:
            strokePath(p, arc(m + QPointF(-4.5, -1), m + QPointF(0, 4), m + QPointF(4.5, -1)), 2.0,
                       ink::kOutline);
            break;
        case Mouth::Frown:
            strokePath(p, arc(m + QPointF(-4.5, 2.5), m + QPointF(0, -2.5), m + QPointF(4.5, 2.5)),
                       2.0, ink::kOutline);
            break;
        case Mouth::Flat:
            strokePath(p, arc(m + QPointF(-3.5, 1), m + QPointF(0, 1), m + QPointF(3.5, 1)), 2.0,
                       ink::kOutline);
            break;
        case Mouth::Wavy: {
            QPainterPath w(m + QPointF(-6, 1));
            w.cubicTo(m + QPointF(-3, -2), m + QPointF(-1, 4), m + QPointF(1, 1));
            w.cubicTo(m + QPointF(3, -2), m + QPointF(5, 4), m + QPointF(7, 0));
            strokePath(p, w, 1.8, ink::kOutline);
            break;
        }
        case Mouth::Grin:
        case Mouth::Talk: {
            const double depth = mouth == Mouth::Grin ? 7.5 : 5.0;
            const double half = mouth == Mouth::Grin ? 6.0 : 4.5;
            QPainterPath d(m + QPointF(-half, -1.5));
            d.lineTo(m + QPointF(half, -1.5));
            d.cubicTo(m + QPointF(half, depth * 0.8), m + QPointF(-half, depth * 0.8),
                      m + QPointF(-half, -1.5));
            p.setPen(outlinePen(1.8));
            p.setBrush(QColor::fromRgb(ink::kMouth));
            p.drawPath(d);
            p.save();
            p.setClipPath(d);
            fillEllipse(p, m + QPointF(0, depth * 0.75), half * 0.6, depth * 0.35, ink::kTongue);
            p.restore();
            break;
        }
        case Mouth::SmallO:
        case Mouth::BigO: {
            const bool big = mouth == Mouth::BigO;
            p.setPen(outlinePen(1.8));
            p.setBrush(QColor::fromRgb(ink::kMouth));
            p.drawEllipse(m + QPointF(0, 1.5), big ? 4.6 : 3.0, big ? 5.6 : 3.4);
            break;
        }
    }
}

void drawArm(QPainter& p, Arm arm, bool left) {
    double angle = 40;
    double length = 16;
    switch (arm) {
        case Arm::Down:
            angle = 40;
            break;
        case Arm::Mid:
            angle = 85;
            length = 13;
            break;
        case Arm::Out:
            angle = 95;
            length = 13;
            break;
        case Arm::Up:
            angle = 130;
            break;
        case Arm::Wave1:
            angle = 115;
            break;
        case Arm::Wave2:
            angle = 150;
            break;
        case Arm::High:
            angle = 155;
            length = 18;
            break;
        case Arm::Chin:
            angle = -100;
            length = 13;
            break;
        case Arm::PointDown:
            angle = 20;
            length = 18;
            break;
        case Arm::Back:
            angle = 62;
            break;
        case Arm::Ear:
            angle = 160;
            length = 20;
            break;
    }
    p.save();
    p.translate(left ? kLeftShoulder : kRightShoulder);
    p.rotate(left ? angle : -angle);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(-5.5, -2.0, 11.0, length + 5.5), 5.5, 5.5);
    QLinearGradient shade(QPointF(-5.5, 0), QPointF(5.5, 0));
    shade.setColorAt(0.0, QColor::fromRgb(left ? ink::kBodyHigh : ink::kBody));
    shade.setColorAt(1.0, QColor::fromRgb(left ? ink::kBody : ink::kBodyLow));
    p.setPen(outlinePen(2.4));
    p.setBrush(shade);
    p.drawPath(capsule);
    p.restore();
}

void drawLeaf(QPainter& p, Leaf leaf) {
    double angle = 25;
    double sx = 1.0;
    switch (leaf) {
        case Leaf::Rest:
            break;
        case Leaf::SwayLeft:
            angle = 8;
            break;
        case Leaf::SwayRight:
            angle = 40;
            break;
        case Leaf::Droop:
            angle = 80;
            break;
        case Leaf::Perk:
            angle = 0;
            break;
        case Leaf::Spin1:
            angle = 0;
            sx = 0.5;
            break;
        case Leaf::Spin2:
            angle = 0;
            sx = -0.5;
            break;
        case Leaf::Spin3:
            angle = 0;
            sx = -1.0;
            break;
    }
    p.save();
    p.translate(kLeafBase);
    p.rotate(angle);
    // The stem is not scaled: a spinning leaf turns about it.
    QPainterPath stem(QPointF(0, 3));
    stem.lineTo(0, -6);
    strokePath(p, stem, 4.6, ink::kOutline);
    strokePath(p, stem, 2.2, ink::kStem);
    p.scale(sx, 1.0);
    constexpr double kLength = 28;
    constexpr double kWidth = 12;
    QPainterPath blade(QPointF(0, -5));
    blade.cubicTo(QPointF(-kWidth, -10), QPointF(-kWidth * 0.7, -kLength + 4),
                  QPointF(0, -5 - kLength));
    blade.cubicTo(QPointF(kWidth * 0.7, -kLength + 4), QPointF(kWidth, -10), QPointF(0, -5));
    QLinearGradient shade(QPointF(-kWidth, 0), QPointF(kWidth, 0));
    shade.setColorAt(0.0, QColor::fromRgb(ink::kLeafLight));
    shade.setColorAt(0.55, QColor::fromRgb(ink::kLeaf));
    shade.setColorAt(1.0, QColor::fromRgb(ink::kLeaf));
    p.setPen(outlinePen(2.2, ink::kLeafDark));
    p.setBrush(shade);
    p.drawPath(blade);
    QPainterPath vein(QPointF(0, -7));
    vein.lineTo(0, -kLength);
    strokePath(p, vein, 1.4, ink::kLeafDark);
    p.restore();
}

namespace {

void drawExclaim(QPainter& p) {
    QPainterPath bar;
    bar.moveTo(104, 20);
    bar.lineTo(100, 40);
    strokePath(p, bar, 7.8, ink::kOutline);
    strokePath(p, bar, 4.8, ink::kRed);
    p.setPen(outlinePen(1.6));
    p.setBrush(QColor::fromRgb(ink::kRed));
    p.drawEllipse(QPointF(98.5, 48), 3.4, 3.4);
}

void drawQuestion(QPainter& p) {
    QPainterPath hook(QPointF(94, 26));
    hook.cubicTo(QPointF(94, 16), QPointF(110, 16), QPointF(108, 26));
    hook.cubicTo(QPointF(107, 32), QPointF(100, 32), QPointF(100, 40));
    strokePath(p, hook, 7.4, ink::kOutline);
    strokePath(p, hook, 4.4, ink::kBlue);
    p.setPen(outlinePen(1.6));
    p.setBrush(QColor::fromRgb(ink::kBlue));
    p.drawEllipse(QPointF(100, 48), 3.3, 3.3);
}

// A sweat drop by the head, or a smaller tear under the eye.
void drawDrop(QPainter& p, Effect effect) {
    const QPointF c = effect == Effect::Sweat ? QPointF(100, 66) : QPointF(46, 96);
    const double s = effect == Effect::Sweat ? 1.0 : 0.75;
    QPainterPath drop(c + QPointF(0, -9 * s));
    drop.cubicTo(c + QPointF(3 * s, -3 * s), c + QPointF(6 * s, 0), c + QPointF(5 * s, 3 * s));
    drop.cubicTo(c + QPointF(3 * s, 8 * s), c + QPointF(-3 * s, 8 * s), c + QPointF(-5 * s, 3 * s));
    drop.cubicTo(c + QPointF(-6 * s, 0), c + QPointF(-3 * s, -3 * s), c + QPointF(0, -9 * s));
    p.setPen(outlinePen(1.6, ink::kBlue));
    p.setBrush(QColor::fromRgb(ink::kSky));
    p.drawPath(drop);
    fillEllipse(p, c + QPointF(-1.5 * s, 1.5 * s), 1.3, 1.8, ink::kWhite);
}

void drawHeart(QPainter& p) {
    const QPointF c(104, 36);
    QPainterPath h(c + QPointF(0, 9));
    h.cubicTo(c + QPointF(-12, 0), c + QPointF(-7, -10), c + QPointF(0, -4));
    h.cubicTo(c + QPointF(7, -10), c + QPointF(12, 0), c + QPointF(0, 9));
    p.setPen(outlinePen(2.0));
    p.setBrush(QColor::fromRgb(ink::kPink));
    p.drawPath(h);
    fillEllipse(p, c + QPointF(-4, -3), 1.6, 1.6, ink::kWhite);
}

void drawNote(QPainter& p) {
    // Coloured inside a dark outline, so it reads on light and dark desktops alike.
    QPainterPath stemFlag(QPointF(23.5, 43));
    stemFlag.lineTo(23.5, 28);
    stemFlag.quadTo(28, 30, 30, 36);
    strokePath(p, stemFlag, 4.8, ink::kOutline);
    p.setPen(outlinePen(1.8));
    p.setBrush(QColor::fromRgb(ink::kOrange));
    p.drawEllipse(QPointF(20, 44), 4.4, 3.4);
    strokePath(p, stemFlag, 2.0, ink::kOrange);
}

void drawMagnifier(QPainter& p) {
    // Held up to the right eye by the right hand: only the rim is drawn, so the eye shows
    // through the lens.
    QPainterPath handle(QPointF(92, 97));
    handle.lineTo(85.5, 90);
    strokePath(p, handle, 6.6, ink::kOutline);
    strokePath(p, handle, 3.6, ink::kStem);
    p.setPen(outlinePen(5.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(79, 84), 9.0, 9.0);
    p.setPen(outlinePen(2.6, ink::kSilver));
    p.drawEllipse(QPointF(79, 84), 9.0, 9.0);
    strokePath(p, arc(QPointF(73, 82), QPointF(73.5, 78.5), QPointF(77, 78)), 1.6, ink::kWhite);
}

void drawBulb(QPainter& p) {
    const QPointF c(102, 26);
    p.setPen(outlinePen(1.6));
    for (int i = 0; i < 5; ++i) {
        const double a = std::numbers::pi * (1.0 + i / 4.0);
        QPainterPath ray(c + QPointF(13 * std::cos(a), 13 * std::sin(a)));
        ray.lineTo(c + QPointF(17 * std::cos(a), 17 * std::sin(a)));
        strokePath(p, ray, 4.0, ink::kOutline);
        strokePath(p, ray, 1.8, ink::kYellow);
    }
    p.setPen(outlinePen(2.0));
    p.setBrush(QColor::fromRgb(ink::kSilver));
    p.drawRoundedRect(QRectF(c.x() - 4, c.y() + 7, 8, 7), 2, 2);
    p.setBrush(QColor::fromRgb(ink::kYellow));
    p.drawEllipse(c, 8.5, 9);
    fillEllipse(p, c + QPointF(-3, -3), 2.2, 2.6, ink::kWhite);
}

// Three waiting dots, the `lit` one (0..2) coloured.
void drawDots(QPainter& p, int lit) {
    for (int i = 0; i < 3; ++i) {
        p.setPen(outlinePen(1.4));
        p.setBrush(QColor::fromRgb(i == lit ? ink::kOrange : ink::kSilver));
        p.drawEllipse(QPointF(92 + 9 * i, 30), 3.2, 3.2);
    }
}

}  // namespace

void drawEffect(QPainter& p, Effect effect) {
    switch (effect) {
        case Effect::Exclaim:
            drawExclaim(p);
            break;
        case Effect::Question:
            drawQuestion(p);
            break;
        case Effect::SparkA:
            star(p, QPointF(18, 40), 8, ink::kYellow);
            star(p, QPointF(108, 30), 6, ink::kYellow);
            star(p, QPointF(100, 62), 4.5, ink::kOrange);
            break;
        case Effect::SparkB:
            star(p, QPointF(26, 26), 5, ink::kOrange);
            star(p, QPointF(112, 48), 8, ink::kYellow);
            star(p, QPointF(14, 66), 5, ink::kYellow);
            break;
        case Effect::Zz1:
            drawZ(p, QPointF(96, 52), 3.5);
            break;
        case Effect::Zz2:
            drawZ(p, QPointF(96, 52), 3.5);
            drawZ(p, QPointF(106, 38), 5);
            break;
        case Effect::Zz3:
            drawZ(p, QPointF(96, 52), 3.5);
            drawZ(p, QPointF(106, 38), 5);
            drawZ(p, QPointF(114, 20), 6.5);
            break;
        case Effect::Sweat:
        case Effect::Tear:
            drawDrop(p, effect);
            break;
        case Effect::Heart:
            drawHeart(p);
            break;
        case Effect::Note:
            drawNote(p);
            break;
        case Effect::Magnifier:
            drawMagnifier(p);
            break;
        case Effect::Bubble1:
            drawBubble(p, QPointF(98, 58), 2.6, 2.6);
            break;
        case Effect::Bubble2:
            drawBubble(p, QPointF(98, 58), 2.6, 2.6);
            drawBubble(p, QPointF(104, 46), 4.0, 4.0);
            break;
        case Effect::Bubble3:
            drawBubble(p, QPointF(98, 58), 2.6, 2.6);
            drawBubble(p, QPointF(104, 46), 4.0, 4.0);
            drawBubble(p, QPointF(108, 24), 15, 11);
            for (int i = 0; i < 3; ++i)
                fillEllipse(p, QPointF(102 + 6 * i, 24), 1.8, 1.8, ink::kGrey);
            break;
        case Effect::Bulb:
            drawBulb(p);
            break;
        case Effect::Dots1:
        case Effect::Dots2:
        case Effect::Dots3:
            drawDots(p, effect == Effect::Dots1 ? 0 : effect == Effect::Dots2 ? 1 : 2);
            break;
    }
}

QImage trayIcon() {
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QRect(1, 5, 13, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 0));
    p.drawEllipse(QRect(8, 0, 4, 6));
    p.setPen(QColor(128, 128, 0));
    p.drawLine(8, 4, 8, 5);
    p.setPen(QColor(0, 0, 0));
    p.drawPoint(5, 9);
    p.drawPoint(10, 9);
    p.end();
    return icon;
}

void drawWhole(QPainter& p, const Pose& pose) {
    drawBody(p, pose.body);
    drawLeaf(p, pose.leaf);
    p.save();
    p.translate(pose.faceDx, pose.faceDy);
    drawEyes(p, pose.eyes);
    drawMouth(p, pose.mouth);
    p.restore();
    drawArm(p, pose.right, false);
    drawArm(p, pose.left, true);
}

}  // namespace mascot
