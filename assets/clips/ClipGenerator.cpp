// Draws our own progress clips and writes them as 8-bit RLE8 AVI files:
//   Findcomp.avi  a magnifying glass sweeping over a row of folders (searching)
//   Filecopy.avi  sheets of paper flying from one folder to another (copying)
// Usage: porukane-clip-generator OUTPUT_DIR
//
// Each frame is painted with QPainter (antialiased) onto a transparent image and then reduced
// to a fixed palette: pixels less than half covered become the key colour, the rest take the
// nearest palette colour. The palette holds the drawing colours plus the midpoint of every
// pair of them, so edges inside the picture stay smooth while the outline against the key is
// crisp (a soft edge there would leave a magenta fringe on the dialog). Everything is
// computed from the frame number, so the output is the same on every build.

#include "bytes/Colour.h"
#include "clip/Writer.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kWidth = 272;
constexpr int kHeight = 48;
constexpr int kFrames = 24;
constexpr std::uint32_t kFrameMicroseconds = 66667;  // 15 frames per second
constexpr double kPi = std::numbers::pi;

const QColor kKey(255, 0, 255);
const QColor kOutline(52, 44, 64);
const QColor kFolderLight(255, 234, 150);
const QColor kFolderMid(247, 204, 92);
const QColor kFolderDark(214, 160, 52);
const QColor kFolderShadow(160, 110, 30);
const QColor kPaper(255, 255, 255);
const QColor kPaperShade(226, 230, 240);
const QColor kPaperEdge(140, 150, 178);
const QColor kInk(96, 128, 204);
const QColor kRingLight(226, 230, 240);
const QColor kRingDark(112, 118, 140);
const QColor kHandleLight(186, 112, 52);
const QColor kHandleDark(110, 60, 24);
const QColor kGlass(200, 228, 255);

std::vector<QColor> baseColours() {
    return {kOutline,  kFolderLight, kFolderMid,  kFolderDark, kFolderShadow,
            kPaper,    kPaperShade,  kPaperEdge,  kInk,        kRingLight,
            kRingDark, kHandleLight, kHandleDark, kGlass};
}

// Entry 0 is the key; then the base colours, then every pairwise midpoint.
std::vector<clip::Rgb> makePalette() {
    const std::vector<QColor> base = baseColours();
    std::vector<clip::Rgb> palette;
    auto add = [&](int r, int g, int b) {
        palette.push_back({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                           static_cast<std::uint8_t>(b)});
    };
    add(kKey.red(), kKey.green(), kKey.blue());
    for (const QColor& c : base)
        add(c.red(), c.green(), c.blue());
    for (std::size_t i = 0; i < base.size(); ++i)
        for (std::size_t j = i + 1; j < base.size(); ++j)
            add((base[i].red() + base[j].red()) / 2, (base[i].green() + base[j].green()) / 2,
                (base[i].blue() + base[j].blue()) / 2);
    return palette;
}

class Quantizer {
public:
    explicit Quantizer(std::vector<clip::Rgb> palette) : m_palette(std::move(palette)) {}

    std::vector<std::uint8_t> indices(const QImage& image) {
        const QImage img = image.convertToFormat(QImage::Format_ARGB32);
        std::vector<std::uint8_t> out(static_cast<std::size_t>(kWidth * kHeight));
        for (int y = 0; y < kHeight; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < kWidth; ++x)
                out[static_cast<std::size_t>(y * kWidth + x)] =
                    qAlpha(line[x]) < 128 ? 0 : nearest(line[x] & 0xFFFFFF);
        }
        return out;
    }

private:
    std::uint8_t nearest(QRgb rgb) {
        if (auto it = m_cache.find(rgb); it != m_cache.end())
            return it->second;
        const clip::Rgb colour{static_cast<std::uint8_t>(qRed(rgb)),
                               static_cast<std::uint8_t>(qGreen(rgb)),
                               static_cast<std::uint8_t>(qBlue(rgb))};
        // Never the key (index 0).
        const std::size_t best =
            bytes::nearestColour(m_palette, colour, 1, bytes::kPerceptualWeights);
        const auto index = static_cast<std::uint8_t>(best);
        m_cache.emplace(rgb, index);
        return index;
    }

    std::vector<clip::Rgb> m_palette;
    std::unordered_map<QRgb, std::uint8_t> m_cache;
};

QLinearGradient vertical(double top, double bottom, const QColor& a, const QColor& b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QPen outlinePen() {
    QPen pen(kOutline, 1.3);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A folder seen from the front, its bottom-left corner at (x, bottom), in two layers so that
// flying sheets can pass between the back (with the sheets inside) and the front flap. With
// `open` the flap leans forward.
void drawFolderBack(QPainter& p, double x, double bottom, double w, double h) {
    const double top = bottom - h;
    QPainterPath back;
    back.moveTo(x, bottom);
    back.lineTo(x, top + 5);
    back.quadTo(x, top + 3, x + 2, top + 3);
    back.lineTo(x + 4, top + 3);
    back.lineTo(x + 7, top);
    back.lineTo(x + w * 0.38, top);
    back.lineTo(x + w * 0.38 + 3, top + 3);
    back.lineTo(x + w - 2, top + 3);
    back.quadTo(x + w, top + 3, x + w, top + 5);
    back.lineTo(x + w, bottom);
    back.closeSubpath();
    p.setPen(outlinePen());
    p.setBrush(vertical(top, bottom, kFolderMid, kFolderShadow));
    p.drawPath(back);

    // Sheets standing in the folder.
    p.setPen(QPen(kPaperEdge, 1.0));
    p.setBrush(kPaperShade);
    p.drawRect(QRectF(x + 5, top + 5, w - 12, h - 8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(x + 8, top + 7, w - 14, h - 9));
}

void drawFolderFront(QPainter& p, double x, double bottom, double w, double h, bool open) {
    const double top = bottom - h;
    p.setPen(outlinePen());
    QPainterPath front;
    if (open) {
        front.moveTo(x - 3, top + 13);
        front.lineTo(x + w - 6, top + 13);
        front.lineTo(x + w, bottom);
        front.lineTo(x, bottom);
    } else {
        front.moveTo(x, top + 10);
        front.lineTo(x + w, top + 10);
        front.lineTo(x + w, bottom);
        front.lineTo(x, bottom);
    }
    front.closeSubpath();
    p.setBrush(vertical(top + 10, bottom, kFolderLight, kFolderDark));
    p.drawPath(front);
    // A highlight along the flap's upper edge.
    p.setPen(QPen(kFolderLight, 1.0));
    const double flapTop = top + (open ? 14.2 : 11.2);
    p.drawLine(QPointF(x + (open ? -1.5 : 1.5), flapTop),
               QPointF(x + w - (open ? 7 : 1.5), flapTop));
}

// A sheet of paper centred on the origin, `w` x `h`, with a folded corner and lines of text.
void drawSheet(QPainter& p, double w, double h) {
    const double l = -w / 2, t = -h / 2, r = w / 2, b = h / 2, fold = w * 0.3;
    QPainterPath sheet;
    sheet.moveTo(l, t);
    sheet.lineTo(r - fold, t);
    sheet.lineTo(r, t + fold);
    sheet.lineTo(r, b);
    sheet.lineTo(l, b);
    sheet.closeSubpath();
    // Darker than the edge of the sheets in the folders, so a flying sheet stands out on a
    // light dialog.
    p.setPen(QPen(kRingDark, 1.1));
    p.setBrush(vertical(t, b, kPaper, kPaperShade));
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r - fold, t);
    corner.lineTo(r - fold, t + fold);
    corner.lineTo(r, t + fold);
    corner.closeSubpath();
    p.setBrush(kPaperShade);
    p.drawPath(corner);
    p.setPen(QPen(kInk, 1.2));
    for (int i = 0; i < 4; ++i) {
        const double y = t + fold + 2 + i * (h - fold - 4) / 4.0;
        const double end = (i == 3) ? l + w * 0.55 : r - 2.5;
        p.drawLine(QPointF(l + 2.5, y), QPointF(end, y));
    }
}

QImage blankFrame() {
    QImage img(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// ---- Findcomp: a magnifying glass searching a row of folders ----

void drawShelf(QPainter& p) {
    for (int i = 0; i < 4; ++i) {
        drawFolderBack(p, 22 + i * 62, 46, 42, 28);
        drawFolderFront(p, 22 + i * 62, 46, 42, 28, false);
    }
}

QImage findFrame(int frame) {
    QImage img = blankFrame();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawShelf(p);

    // The glass sweeps right and back once per loop, easing at the ends, and dips a little
    // over each folder as if looking closer.
    const double t = static_cast<double>(frame) / kFrames;
    const QPointF lens(136 - 100 * std::cos(2 * kPi * t), 22 + 2.5 * std::cos(8 * kPi * t));
    const double radius = 12.5;

    // The handle, behind the ring, pointing to the lower right.
    const QPointF dir(std::cos(kPi / 4), std::sin(kPi / 4));
    const QPointF h0 = lens + dir * (radius + 1);
    const QPointF h1 = lens + dir * (radius + 16);
    p.setPen(QPen(kOutline, 6.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(h0, h1);
    p.setPen(QPen(kHandleDark, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(h0 + dir * 4, h1);
    p.setPen(QPen(kHandleLight, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(h0 + dir * 5 + QPointF(-1, 0.4), h1 + QPointF(-1, 0.4));

    // Inside the glass, the folders appear enlarged.
    QPainterPath glass;
    glass.addEllipse(lens, radius, radius);
    p.save();
    p.setClipPath(glass);
    p.translate(lens);
    p.scale(1.6, 1.6);
    p.translate(-lens);
    drawShelf(p);
    p.restore();
    // A faint tint: over the dialog it stays below half cover and turns into the key, so the
    // dialog shows through the lens; over a folder it tints the folder.
    p.setPen(Qt::NoPen);
    QColor tint = kGlass;
    tint.setAlphaF(0.3);
    p.setBrush(tint);
    p.drawPath(glass);
    // The ring, and a glint.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, 4.6));
    p.drawEllipse(lens, radius + 0.8, radius + 0.8);
    QConicalGradient ring(lens, 45);
    ring.setColorAt(0, kRingLight);
    ring.setColorAt(0.5, kRingDark);
    ring.setColorAt(1, kRingLight);
    p.setPen(QPen(QBrush(ring), 2.4));
    p.drawEllipse(lens, radius + 0.8, radius + 0.8);
    p.setPen(QPen(kPaper, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(
        QRectF(lens.x() - radius + 3.5, lens.y() - radius + 3.5, 2 * radius - 7, 2 * radius - 7),
        100 * 16, 55 * 16);
    return img;
}

// ---- Filecopy: sheets flying from the left folder to the right one ----

QImage copyFrame(int frame) {
    QImage img = blankFrame();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawFolderBack(p, 18, 46, 46, 30);
    drawFolderBack(p, 208, 46, 46, 30);

    // Two sheets in flight, half a loop apart. Each rises out of the left folder, turns over
    // once along an arc and drops into the right one.
    for (int k = 0; k < 2; ++k) {
        const double s = std::fmod(static_cast<double>(frame) / kFrames + k * 0.5, 1.0);
        const double x = 44 + (230 - 44) * (0.5 - 0.5 * std::cos(kPi * s));
        const double y = 32 - 20 * std::sin(kPi * s);
        p.save();
        p.translate(x, y);
        p.rotate(-25 + 50 * s);
        // The sheet turns about its vertical axis; never quite edge-on, so it never vanishes.
        const double turn = std::cos(2 * kPi * s);
        p.scale(std::copysign(std::max(std::abs(turn), 0.18), turn), 1.0);
        drawSheet(p, 16, 20);
        p.restore();
    }
    drawFolderFront(p, 18, 46, 46, 30, true);
    drawFolderFront(p, 208, 46, 46, 30, true);
    return img;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeClip(const std::string& path, QImage (*draw)(int)) {
    clip::Rle8Movie movie;
    movie.width = kWidth;
    movie.height = kHeight;
    movie.frameMicroseconds = kFrameMicroseconds;
    movie.palette = makePalette();
    Quantizer quantizer(movie.palette);
    for (int f = 0; f < kFrames; ++f)
        movie.frames.push_back(quantizer.indices(draw(f)));
    return writeFile(path, clip::writeRle8Clip(movie));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: porukane-clip-generator OUTPUT_DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    if (!writeClip(dir + "/Findcomp.avi", findFrame) ||
        !writeClip(dir + "/Filecopy.avi", copyFrame)) {
        std::fprintf(stderr, "porukane-clip-generator: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
