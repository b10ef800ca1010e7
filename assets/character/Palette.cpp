#include "Palette.h"

#include <algorithm>
#include <utility>

namespace mascot {

namespace {

QRgb mix(QRgb a, QRgb b, double t) {
    auto lerp = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return qRgb(lerp(qRed(a), qRed(b)), lerp(qGreen(a), qGreen(b)), lerp(qBlue(a), qBlue(b)));
}

}  // namespace

Palette::Palette() {
    using namespace ink;
    m_colors.push_back(qRgb(255, 0, 255));
    auto add = [this](QRgb c) {
        c = c | 0xff000000u;
        if (std::find(m_colors.begin(), m_colors.end(), c) == m_colors.end())
            m_colors.push_back(c);
    };
    const QRgb keys[] = {kOutline,  kBodyHigh, kBody,   kBodyLow, kBodyDeep, kCheek,
                         kEye,      kWhite,    kMouth,  kTongue,  kLeaf,     kLeafLight,
                         kLeafDark, kStem,     kYellow, kOrange,  kRed,      kBlue,
                         kSky,      kPink,     kGrey,   kSilver};
    for (QRgb c : keys)
        add(c);
    // The body's shading gradient gets a fine ramp: it covers the largest area, and coarse
    // steps there would show as bands.
    const QRgb body[] = {kBodyHigh, kBody, kBodyLow, kBodyDeep};
    for (int i = 0; i + 1 < 4; ++i)
        for (int s = 1; s < 10; ++s)
            add(mix(body[i], body[i + 1], s / 10.0));
    // Colour pairs that meet along antialiased edges.
    const std::pair<QRgb, QRgb> edges[] = {
        {kOutline, kBodyHigh}, {kOutline, kBody},   {kOutline, kBodyLow}, {kOutline, kBodyDeep},
        {kEye, kBody},         {kEye, kBodyLow},    {kEye, kWhite},       {kCheek, kBody},
        {kCheek, kBodyLow},    {kMouth, kBody},     {kMouth, kOutline},   {kMouth, kTongue},
        {kEye, kCheek},        {kLeaf, kLeafLight}, {kLeaf, kLeafDark},   {kLeafDark, kOutline},
        {kLeafDark, kBody},    {kStem, kBody},      {kStem, kLeafDark},   {kYellow, kOutline},
        {kOrange, kOutline},   {kYellow, kOrange},  {kRed, kOutline},     {kBlue, kOutline},
        {kSky, kOutline},      {kSky, kWhite},      {kPink, kOutline},    {kGrey, kOutline},
        {kSilver, kOutline},   {kWhite, kOutline},  {kSky, kBody},        {kPink, kBody},
        {kEye, kBodyHigh},     {kBlue, kWhite},     {kSilver, kSky},      {kGrey, kSilver},
    };
    for (const auto& [a, b] : edges)
        for (int s = 1; s < 6; ++s)
            add(mix(a, b, s / 6.0));
    // The rest of the 256 entries: neutral greys, for the odd pixel no ramp covers.
    for (int level = 0; m_colors.size() < 256 && level < 256; level += 7)
        add(qRgb(level, level, level));
}

std::uint8_t Palette::nearest(QRgb color) {
    color |= 0xff000000u;
    if (auto it = m_cache.find(color); it != m_cache.end())
        return it->second;
    if (m_entries.size() != m_colors.size()) {
        m_entries.clear();
        for (const QRgb c : m_colors) {
            m_entries.push_back({static_cast<std::uint8_t>(qRed(c)),
                                 static_cast<std::uint8_t>(qGreen(c)),
                                 static_cast<std::uint8_t>(qBlue(c))});
        }
    }
    const bytes::Rgb wanted{static_cast<std::uint8_t>(qRed(color)),
                            static_cast<std::uint8_t>(qGreen(color)),
                            static_cast<std::uint8_t>(qBlue(color))};
    // Never the transparent colour (index 0).
    const std::size_t best = bytes::nearestColour(m_entries, wanted, 1, bytes::kPerceptualWeights);
    const auto index = static_cast<std::uint8_t>(best);
    m_cache.emplace(color, index);
    return index;
}

QImage Palette::quantize(const QImage& image) {
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(straight.size(), QImage::Format_Indexed8);
    out.setColorTable(colorTable());
    for (int y = 0; y < straight.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < straight.width(); ++x)
            dst[x] = qAlpha(src[x]) >= 128 ? nearest(src[x]) : kTransparentIndex;
    }
    return out;
}

QList<QRgb> Palette::colorTable() const {
    QList<QRgb> table(m_colors.begin(), m_colors.end());
    table[kTransparentIndex] = qRgba(255, 0, 255, 0);
    return table;
}

}  // namespace mascot
