// `render`: one composed frame as an RGBA PNG of the character's size.

#include "Commands.h"

#include <QImage>
#include <QString>

#include <charconv>

namespace acstool {

int runRender(const std::string& file, const std::string& animation, const std::string& frame,
              const std::string& out) {
    const auto c = loadStrict(file);
    if (!c) {
        return 1;
    }
    const auto anim = c->findAnimation(animation);
    if (!anim) {
        return fail(file, "no animation named \"" + animation + "\"");
    }
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(frame.data(), frame.data() + frame.size(), index);
    if (ec != std::errc() || end != frame.data() + frame.size() ||
        index >= c->animations()[*anim].frames.size()) {
        return fail(file,
                    "animation \"" + c->animations()[*anim].name + "\" has no frame " + frame);
    }
    const auto composed = c->composeFrame(*anim, index);
    QImage image(composed->width, composed->height, QImage::Format_RGBA8888);
    for (int y = 0; y < composed->height; ++y) {
        std::copy_n(composed->rgba.data() + std::size_t(y) * composed->width * 4,
                    std::size_t(composed->width) * 4, image.scanLine(y));
    }
    if (!image.save(QString::fromStdString(out), "PNG")) {
        return fail(out, "cannot write the PNG file");
    }
    return 0;
}

}  // namespace acstool
