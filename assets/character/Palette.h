#pragma once

// The character's one fixed palette and the quantiser that maps drawn RGBA pixels onto it.
// A fixed palette keeps the output deterministic and lets us put colour ramps exactly where
// antialiased edges need them (outline into body, eye into body, leaf into outline ...).

#include "bytes/Colour.h"

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace mascot {

inline constexpr int kTransparentIndex = 0;

// Key colours of the drawing. Every colour a shape is filled or stroked with is one of these,
// so flat areas quantise exactly and only edges and gradients need the ramps.
namespace ink {
inline constexpr QRgb kOutline = 0xff5c403a;
inline constexpr QRgb kBodyHigh = 0xfffffef8;
inline constexpr QRgb kBody = 0xfffcf2e2;
inline constexpr QRgb kBodyLow = 0xffeedcc6;
inline constexpr QRgb kBodyDeep = 0xffdcc2a8;
inline constexpr QRgb kCheek = 0xfff9aeb0;
inline constexpr QRgb kEye = 0xff2e2226;
inline constexpr QRgb kWhite = 0xffffffff;
inline constexpr QRgb kMouth = 0xffb0484c;
inline constexpr QRgb kTongue = 0xfff08282;
inline constexpr QRgb kLeaf = 0xff78be5a;
inline constexpr QRgb kLeafLight = 0xffaadc78;
inline constexpr QRgb kLeafDark = 0xff3e8046;
inline constexpr QRgb kStem = 0xff785a3c;
inline constexpr QRgb kYellow = 0xffffd650;
inline constexpr QRgb kOrange = 0xfffa963c;
inline constexpr QRgb kRed = 0xffe65046;
inline constexpr QRgb kBlue = 0xff5096e6;
inline constexpr QRgb kSky = 0xffa0d2fa;
inline constexpr QRgb kPink = 0xfff06482;
inline constexpr QRgb kGrey = 0xff9696a0;
inline constexpr QRgb kSilver = 0xffd2d7e1;
}  // namespace ink

class Palette {
public:
    Palette();

    // Index 0 is the transparent colour (magenta, never drawn); at most 256 entries.
    const std::vector<QRgb>& colors() const { return m_colors; }

    // Maps an image drawn with antialiasing to palette indices: alpha below 128 becomes the
    // transparent index, every other pixel the nearest palette colour (ties: lowest index). The
    // threshold keeps the transparent colour from leaking into edges as a fringe.
    QImage quantize(const QImage& image);

    // The colour table for an indexed QImage (transparent entry with alpha 0).
    QList<QRgb> colorTable() const;

private:
    std::uint8_t nearest(QRgb color);

    std::vector<QRgb> m_colors;
    std::vector<bytes::Rgb> m_entries;  // m_colors for the nearest-colour search
    std::unordered_map<QRgb, std::uint8_t> m_cache;
};

}  // namespace mascot
