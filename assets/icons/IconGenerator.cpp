// Draws the program icon in every hicolor size from our own character: its resting frame,
// cropped to the drawn pixels, centred on a square and scaled down. Same input, same bytes.
// usage: porukane-icon-generator CHARACTER.acs OUTPUT_DIR
//   writes OUTPUT_DIR/hicolor/<N>x<N>/apps/org.porukane.Porukane.png

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "agent/acs/Character.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

int fail(const char* what) {
    std::fprintf(stderr, "porukane-icon-generator: %s\n", what);
    return 1;
}

// The frame's drawn pixels on a transparent square, with a small margin.
QImage squareCrop(const acs::ComposedFrame& frame) {
    QImage image(frame.width, frame.height, QImage::Format_RGBA8888);
    for (int y = 0; y < frame.height; ++y) {
        std::copy_n(frame.rgba.data() + std::size_t(y) * frame.width * 4,
                    std::size_t(frame.width) * 4, image.scanLine(y));
    }
    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                drawn |= QRect(x, y, 1, 1);
            }
        }
    }
    if (drawn.isEmpty()) {
        return {};
    }
    const int side = std::max(drawn.width(), drawn.height()) * 17 / 16 + 2;
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage(QPoint((side - drawn.width()) / 2, (side - drawn.height()) / 2), image,
                      drawn);
    return square;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return fail("usage: porukane-icon-generator CHARACTER.acs OUTPUT_DIR");
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        return fail("cannot read the character file");
    }
    const QByteArray data = file.readAll();
    acs::LoadResult loaded =
        acs::loadCharacter(std::vector<std::uint8_t>(data.begin(), data.end()), acs::Mode::Strict);
    if (!loaded.ok()) {
        return fail("the character file is not valid");
    }
    const acs::Character& character = *loaded.character;
    const std::optional<std::size_t> rest = character.findAnimation("RestPose");
    if (!rest || character.animations()[*rest].frames.empty()) {
        return fail("the character has no RestPose frame");
    }
    const auto frame = character.composeFrame(*rest, 0);
    if (!frame) {
        return fail("cannot compose the resting frame");
    }
    const QImage square = squareCrop(*frame);
    if (square.isNull()) {
        return fail("the resting frame is empty");
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    for (const int size : kSizes) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(folder)) {
            return fail("cannot create the output folder");
        }
        const QImage icon =
            square.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32);
        if (!icon.save(out.filePath(folder + QStringLiteral("/org.porukane.Porukane.png")),
                       "PNG")) {
            return fail("cannot write an icon");
        }
    }
    return 0;
}
