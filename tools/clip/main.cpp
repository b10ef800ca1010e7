// porukane-clip: inspects and renders progress clips with the same reader and player the
// program uses.
//   porukane-clip info FILE               prints the clip's properties as JSON
//   porukane-clip render FILE FRAME OUT   writes the picture shown at FRAME as an RGBA PNG
// Broken or unsupported clips: one line on stderr, exit status 1. Usage errors: status 2.

#include "clip/Player.h"
#include "clip/Reader.h"

#include <QFile>
#include <QImage>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Far above any progress clip; only keeps a wrong argument from filling memory.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

int usage() {
    std::fputs(
        "usage: porukane-clip info FILE\n"
        "       porukane-clip render FILE FRAME OUT.png\n",
        stderr);
    return 2;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "porukane-clip: %s\n", message.c_str());
    return 1;
}

std::optional<clip::Player> load(const char* path, std::string& error) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = std::string(path) + ": " + file.errorString().toStdString();
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        error = std::string(path) + ": file too large";
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    clip::Result<clip::Clip> r =
        clip::readClip({data, static_cast<std::size_t>(bytes.size())}, clip::ReadMode::Strict);
    if (!r) {
        error = std::string(path) + ": " + clip::describe(r.error());
        return std::nullopt;
    }
    return std::optional<clip::Player>(std::in_place, std::move(r.value()));
}

int info(clip::Player& player) {
    const clip::Clip& c = player.clip();
    const clip::Rgb key = player.key();
    std::printf(
        "{\n"
        "  \"width\": %u,\n"
        "  \"height\": %u,\n"
        "  \"frames\": %zu,\n"
        "  \"frameMicroseconds\": %u,\n"
        "  \"compression\": \"%s\",\n"
        "  \"bitsPerPixel\": %u,\n"
        "  \"paletteSize\": %zu,\n"
        "  \"key\": [%u, %u, %u]\n"
        "}\n",
        c.width, c.height, c.frames.size(), c.frameMicroseconds,
        c.compression == clip::Compression::Rle8 ? "rle8" : "raw", unsigned{c.bitsPerPixel},
        c.palette.size(), unsigned{key.r}, unsigned{key.g}, unsigned{key.b});
    return 0;
}

int render(clip::Player& player, std::string_view frameText, const char* out) {
    std::size_t frame = 0;
    const auto [end, ec] =
        std::from_chars(frameText.data(), frameText.data() + frameText.size(), frame);
    if (ec != std::errc() || end != frameText.data() + frameText.size())
        return failure("bad frame number: " + std::string(frameText));
    if (frame >= player.frameCount())
        return failure("frame " + std::to_string(frame) + " out of range (clip has " +
                       std::to_string(player.frameCount()) + " frames)");
    player.seek(frame);
    const auto& pixels = player.pixels();
    const int w = static_cast<int>(player.width());
    const int h = static_cast<int>(player.height());
    // The player's pixels are alpha 0 or 255, so premultiplied and straight ARGB agree.
    const QImage view(reinterpret_cast<const uchar*>(pixels.data()), w, h, w * 4,
                      QImage::Format_ARGB32);
    if (!view.convertToFormat(QImage::Format_RGBA8888).save(QString::fromLocal8Bit(out), "PNG"))
        return failure(std::string("cannot write ") + out);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return usage();
    const std::string_view command = argv[1];
    if (!((command == "info" && argc == 3) || (command == "render" && argc == 5)))
        return usage();
    std::string error;
    std::optional<clip::Player> player = load(argv[2], error);
    if (!player)
        return failure(error);
    return command == "info" ? info(*player) : render(*player, argv[3], argv[4]);
}
