// `build`: compiles a manifest (JSON, images as PNG, sounds as WAV) into a character file.

#include "Commands.h"

#include "agent/acs/Writer.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fstream>
#include <map>
#include <optional>

namespace acstool {

namespace {

// Thrown only inside this file and caught in runBuild: the manifest problem, one line.
struct ManifestError {
    std::string detail;
};

[[noreturn]] void bad(const std::string& detail) {
    throw ManifestError{detail};
}

int intIn(const QJsonValue& v, long min, long max, const std::string& what) {
    if (!v.isDouble()) {
        bad(what + " is not a number");
    }
    const double d = v.toDouble();
    if (d != static_cast<double>(static_cast<long>(d)) || d < static_cast<double>(min) ||
        d > static_cast<double>(max)) {
        bad(what + " must be a whole number in " + std::to_string(min) + ".." +
            std::to_string(max));
    }
    return static_cast<int>(d);
}

QJsonArray arrayOf(const QJsonValue& v, const std::string& what) {
    if (!v.isArray()) {
        bad(what + " is not a list");
    }
    return v.toArray();
}

std::string text(const QJsonValue& v, const std::string& what) {
    if (v.isUndefined()) {
        return {};
    }
    if (!v.isString()) {
        bad(what + " is not a string");
    }
    return v.toString().toStdString();
}

acs::Guid parseGuid(const std::string& s) {
    // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
    std::string hex;
    for (const char ch : s) {
        if (std::isxdigit(static_cast<unsigned char>(ch))) {
            hex += ch;
        } else if (ch != '{' && ch != '}' && ch != '-') {
            hex.clear();
            break;
        }
    }
    if (hex.size() != 32) {
        bad("guid \"" + s + "\" is not {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}");
    }
    const auto part = [&](std::size_t at, std::size_t n) {
        return static_cast<std::uint32_t>(std::stoul(hex.substr(at, n), nullptr, 16));
    };
    acs::Guid g;
    g.data1 = part(0, 8);
    g.data2 = static_cast<std::uint16_t>(part(8, 4));
    g.data3 = static_cast<std::uint16_t>(part(12, 4));
    for (std::size_t i = 0; i < 8; ++i) {
        g.data4[i] = static_cast<std::uint8_t>(part(16 + 2 * i, 2));
    }
    return g;
}

QImage loadImage(const QString& path, const std::string& what) {
    QImage img(path);
    if (img.isNull()) {
        bad(what + ": cannot read PNG " + path.toStdString());
    }
    if (img.width() > 0xFFFF || img.height() > 0xFFFF) {
        bad(what + " is too large");
    }
    return img;
}

std::uint32_t key(QRgb c) {
    return c & 0xFFFFFFu;
}

// Builds the image's palette indexes: an indexed PNG keeps its indexes (with a given
// palette); otherwise alpha 0 becomes the transparent index and every other pixel must match
// a palette colour exactly.
acs::ImageData toIndexed(const QImage& src, bool usePngIndexes,
                         const std::map<std::uint32_t, std::uint8_t>& lookup,
                         std::uint8_t transparent, const std::string& what) {
    acs::ImageData out;
    out.width = static_cast<std::uint16_t>(src.width());
    out.height = static_cast<std::uint16_t>(src.height());
    const std::size_t stride = acs::ImageData::stride(out.width);
    out.pixels.assign(stride * out.height, transparent);
    const QImage rgba = usePngIndexes ? src : src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        std::uint8_t* row = out.pixels.data() + std::size_t(out.height - 1 - y) * stride;
        for (int x = 0; x < src.width(); ++x) {
            if (usePngIndexes) {
                row[x] = static_cast<std::uint8_t>(src.pixelIndex(x, y));
                continue;
            }
            const QRgb c = rgba.pixel(x, y);
            if (qAlpha(c) == 0) {
                row[x] = transparent;
                continue;
            }
            const auto it = lookup.find(key(c));
            if (it == lookup.end()) {
                bad(what + ": pixel (" + std::to_string(x) + "," + std::to_string(y) +
                    ") has colour " + QColor(c).name().toStdString() +
                    ", which is not in the palette");
            }
            row[x] = it->second;
        }
    }
    return out;
}

// A 16x16 or 32x32 PNG as the two DIBs of a tray icon (1-bpp AND mask, 4-bpp colour image
// in the 16 standard colours).
acs::TrayIcon trayIcon(const QImage& src) {
    if (!((src.width() == 16 && src.height() == 16) || (src.width() == 32 && src.height() == 32))) {
        bad("trayIcon must be 16x16 or 32x32");
    }
    static const QRgb vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int n = img.width();
    const auto header = [&](std::vector<std::uint8_t>& out, int bits, int colours,
                            std::size_t imageSize) {
        const auto put = [&](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) {
                out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
            }
        };
        put(40, 4);
        put(static_cast<std::uint32_t>(n), 4);
        put(static_cast<std::uint32_t>(n), 4);  // not doubled, unlike .ico files
        put(1, 2);
        put(static_cast<std::uint32_t>(bits), 2);
        put(0, 4);
        put(static_cast<std::uint32_t>(imageSize), 4);
        put(0, 4);
        put(0, 4);
        put(static_cast<std::uint32_t>(colours), 4);
        put(0, 4);
    };
    const std::size_t maskStride = ((std::size_t(n) + 31) / 32) * 4;
    const std::size_t colourStride = ((std::size_t(n) * 4 + 31) / 32) * 4;
    acs::TrayIcon icon;
    header(icon.mask, 1, 2, maskStride * std::size_t(n));
    icon.mask.insert(icon.mask.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    header(icon.color, 4, 16, colourStride * std::size_t(n));
    for (const QRgb c : vga) {
        icon.color.insert(icon.color.end(), {static_cast<std::uint8_t>(qBlue(c)),
                                             static_cast<std::uint8_t>(qGreen(c)),
                                             static_cast<std::uint8_t>(qRed(c)), 0});
    }
    const std::size_t maskStart = icon.mask.size();
    const std::size_t colourStart = icon.color.size();
    icon.mask.resize(maskStart + maskStride * std::size_t(n), 0);
    icon.color.resize(colourStart + colourStride * std::size_t(n), 0);
    for (int y = 0; y < n; ++y) {
        const std::size_t row = std::size_t(n - 1 - y);  // bottom-up
        for (int x = 0; x < n; ++x) {
            const QRgb c = img.pixel(x, y);
            if (qAlpha(c) < 128) {
                icon.mask[maskStart + row * maskStride + std::size_t(x) / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
                continue;
            }
            int best = 0;
            long bestDistance = -1;
            for (int i = 0; i < 16; ++i) {
                const long dr = qRed(c) - qRed(vga[i]);
                const long dg = qGreen(c) - qGreen(vga[i]);
                const long db = qBlue(c) - qBlue(vga[i]);
                const long distance = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || distance < bestDistance) {
                    best = i;
                    bestDistance = distance;
                }
            }
            std::uint8_t& b = icon.color[colourStart + row * colourStride + std::size_t(x) / 2];
            b |= static_cast<std::uint8_t>(x % 2 == 0 ? best << 4 : best);
        }
    }
    return icon;
}

std::string upper(std::string s) {
    for (char& ch : s) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return s;
}

acs::CharacterData readManifest(const std::string& manifestPath) {
    std::string raw;
    if (!readFile(manifestPath, raw)) {
        bad("cannot read the manifest");
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(raw), &parseError);
    if (!doc.isObject()) {
        bad("not a JSON object: " + parseError.errorString().toStdString());
    }
    const QJsonObject m = doc.object();
    const QDir base = QFileInfo(QString::fromStdString(manifestPath)).absoluteDir();

    acs::CharacterData c;
    acs::CharacterInfo& info = c.info;
    info.width = static_cast<std::uint16_t>(intIn(m["width"], 1, 4096, "width"));
    info.height = static_cast<std::uint16_t>(intIn(m["height"], 1, 4096, "height"));
    info.transparentIndex =
        static_cast<std::uint8_t>(intIn(m["transparentIndex"], 0, 255, "transparentIndex"));
    info.flags = 0x10 | acs::kFlagBalloon;  // voice off, balloon on
    info.balloon = acs::BalloonInfo{};
    if (m.contains("guid")) {
        info.guid = parseGuid(text(m["guid"], "guid"));
    }

    // Images first: a derived palette needs their colours.
    const QJsonArray imageList = arrayOf(m["images"], "images");
    std::vector<QImage> images;
    for (qsizetype i = 0; i < imageList.size(); ++i) {
        const std::string what = "images[" + std::to_string(i) + "]";
        images.push_back(
            loadImage(base.filePath(QString::fromStdString(text(imageList[i], what))), what));
    }
    std::map<std::uint32_t, std::uint8_t> lookup;  // colour -> index (first wins)
    const QJsonValue palette = m["palette"];
    if (palette.isString() && palette.toString() == QLatin1String("derive")) {
        std::vector<std::uint32_t> colours;
        for (const QImage& img : images) {
            const QImage rgba = img.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < rgba.height(); ++y) {
                for (int x = 0; x < rgba.width(); ++x) {
                    const QRgb p = rgba.pixel(x, y);
                    if (qAlpha(p) != 0 && lookup.emplace(key(p), 0).second) {
                        colours.push_back(key(p));
                    }
                }
            }
        }
        if (colours.size() > 255) {
            bad("the images use " + std::to_string(colours.size()) +
                " colours; a palette holds 255 besides the transparent index");
        }
        // Colours in order of first use, skipping the transparent slot (drawn magenta).
        std::size_t next = 0;
        info.palette.clear();
        for (const std::uint32_t colour : colours) {
            if (next == info.transparentIndex) {
                info.palette.push_back({255, 0, 255});
                ++next;
            }
            lookup[colour] = static_cast<std::uint8_t>(next++);
            info.palette.push_back({static_cast<std::uint8_t>(colour >> 16),
                                    static_cast<std::uint8_t>(colour >> 8),
                                    static_cast<std::uint8_t>(colour)});
        }
        while (info.palette.size() <= info.transparentIndex) {
            info.palette.push_back({255, 0, 255});
        }
    } else {
        const QJsonArray entries = arrayOf(palette, "palette");
        if (entries.isEmpty() || entries.size() > 256) {
            bad("palette must hold 1..256 colours");
        }
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const std::string what = "palette[" + std::to_string(i) + "]";
            const QJsonArray rgb = arrayOf(entries[i], what);
            if (rgb.size() != 3) {
                bad(what + " is not [r, g, b]");
            }
            const acs::Rgb colour{static_cast<std::uint8_t>(intIn(rgb[0], 0, 255, what)),
                                  static_cast<std::uint8_t>(intIn(rgb[1], 0, 255, what)),
                                  static_cast<std::uint8_t>(intIn(rgb[2], 0, 255, what))};
            info.palette.push_back(colour);
            if (i != info.transparentIndex) {
                lookup.emplace(
                    (std::uint32_t{colour.r} << 16) | (std::uint32_t{colour.g} << 8) | colour.b,
                    static_cast<std::uint8_t>(i));
            }
        }
    }
    const bool paletteGiven = !palette.isString();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string what = "images[" + std::to_string(i) + "]";
        const bool indexed = paletteGiven && images[i].format() == QImage::Format_Indexed8;
        c.images.push_back(toIndexed(images[i], indexed, lookup, info.transparentIndex, what));
        c.images.back().region = acs::buildRegion(c.images.back(), info.transparentIndex);
    }

    if (m.contains("trayIcon")) {
        info.trayIcon = trayIcon(loadImage(
            base.filePath(QString::fromStdString(text(m["trayIcon"], "trayIcon"))), "trayIcon"));
    }

    const QJsonObject names = m["names"].toObject();
    for (auto it = names.begin(); it != names.end(); ++it) {
        const std::string id = it.key().toStdString();
        if (id.size() != 6 || id.rfind("0x", 0) != 0 ||
            id.find_first_not_of("0123456789abcdef", 2) != std::string::npos) {
            bad("names key \"" + id + "\" is not 0x followed by 4 lower-case hex digits");
        }
        const QJsonObject e = it.value().toObject();
        info.localized.push_back({static_cast<std::uint16_t>(std::stoul(id.substr(2), nullptr, 16)),
                                  text(e["name"], "names." + id + ".name"),
                                  text(e["description"], "names." + id + ".description"),
                                  text(e["extra"], "names." + id + ".extra")});
    }

    const QJsonArray sounds = m["sounds"].toArray();
    for (qsizetype i = 0; i < sounds.size(); ++i) {
        const std::string what = "sounds[" + std::to_string(i) + "]";
        std::string bytes;
        const std::string path =
            base.filePath(QString::fromStdString(text(sounds[i], what))).toStdString();
        if (!readFile(path, bytes)) {
            bad(what + ": cannot read " + path);
        }
        if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 ||
            bytes.compare(8, 4, "WAVE") != 0) {
            bad(what + ": " + path + " is not a RIFF WAVE file");
        }
        c.sounds.emplace_back(bytes.begin(), bytes.end());
    }

    const QJsonArray anims = arrayOf(m["animations"], "animations");
    std::map<std::string, std::size_t> byName;
    for (qsizetype a = 0; a < anims.size(); ++a) {
        const QJsonObject o = anims[a].toObject();
        acs::Animation anim;
        anim.name = text(o["name"], "animations[" + std::to_string(a) + "].name");
        const std::string where = "animation \"" + anim.name + "\"";
        if (anim.name.empty()) {
            bad("animations[" + std::to_string(a) + "] has no name");
        }
        if (!byName.emplace(upper(anim.name), static_cast<std::size_t>(a)).second) {
            bad(where + " is defined twice");
        }
        anim.recordName = upper(anim.name);
        anim.transition = static_cast<std::uint8_t>(
            o.contains("transition") ? intIn(o["transition"], 0, 2, where + ": transition") : 2);
        anim.returnAnimation = upper(text(o["returnAnimation"], where + ": returnAnimation"));
        const QJsonArray frames = arrayOf(o["frames"], where + ": frames");
        if (frames.size() > 0xFFFF) {
            bad(where + " has too many frames");
        }
        const long frameCount = static_cast<long>(frames.size());
        for (qsizetype f = 0; f < frames.size(); ++f) {
            const QJsonObject fo = frames[f].toObject();
            const std::string fwhere = where + " frame " + std::to_string(f);
            acs::Frame frame;
            const int ms = intIn(fo["durationMs"], 0, 655350, fwhere + ": durationMs");
            if (ms % 10 != 0) {
                bad(fwhere + ": durationMs " + std::to_string(ms) + " is not a multiple of 10");
            }
            frame.duration = static_cast<std::uint16_t>(ms / 10);
            for (const QJsonValue& layer : arrayOf(fo["images"], fwhere + ": images")) {
                const QJsonArray l = arrayOf(layer, fwhere + ": image");
                if (l.size() != 3) {
                    bad(fwhere + ": an image is not [imageIndex, x, y]");
                }
                frame.images.push_back(
                    {static_cast<std::uint32_t>(intIn(l[0], 0,
                                                      static_cast<long>(c.images.size()) - 1,
                                                      fwhere + ": image index")),
                     static_cast<std::int16_t>(intIn(l[1], -32768, 32767, fwhere + ": x")),
                     static_cast<std::int16_t>(intIn(l[2], -32768, 32767, fwhere + ": y"))});
            }
            const int sound = fo.contains("sound")
                                  ? intIn(fo["sound"], -1, static_cast<long>(c.sounds.size()) - 1,
                                          fwhere + ": sound")
                                  : -1;
            frame.sound = sound < 0 ? acs::kNoSound : static_cast<std::uint16_t>(sound);
            frame.exitValue = static_cast<std::int16_t>(
                fo.contains("exitBranch")
                    ? intIn(fo["exitBranch"], -2, frameCount - 1, fwhere + ": exitBranch")
                    : -1);
            int total = 0;
            for (const QJsonValue& branch : fo["branches"].toArray()) {
                const QJsonArray b = arrayOf(branch, fwhere + ": branch");
                if (b.size() != 2) {
                    bad(fwhere + ": a branch is not [frame, percent]");
                }
                const int target = intIn(b[0], 0, frameCount - 1, fwhere + ": branch frame");
                const int percent = intIn(b[1], 0, 100, fwhere + ": branch percent");
                total += percent;
                frame.branches.push_back(
                    {static_cast<std::uint16_t>(target), static_cast<std::uint16_t>(percent)});
            }
            if (total > 100) {
                bad(fwhere + ": branch percentages add up to " + std::to_string(total));
            }
            if (frame.branches.size() > 255) {
                bad(fwhere + ": too many branches");
            }
            anim.frames.push_back(std::move(frame));
        }
        c.animations.push_back(std::move(anim));
    }
    for (const acs::Animation& anim : c.animations) {
        if (!anim.returnAnimation.empty() &&
            (anim.transition != 0 || !byName.count(anim.returnAnimation))) {
            bad("animation \"" + anim.name + "\": returnAnimation \"" + anim.returnAnimation +
                "\" needs transition 0 and an existing animation");
        }
    }

    const QJsonObject states = m["states"].toObject();
    for (auto it = states.begin(); it != states.end(); ++it) {
        acs::State s;
        s.name = upper(it.key().toStdString());
        for (const QJsonValue& v : arrayOf(it.value(), "states." + it.key().toStdString())) {
            const std::string name = upper(text(v, "states." + s.name));
            if (!byName.count(name)) {
                bad("state " + it.key().toStdString() + " names animation \"" + name +
                    "\", which does not exist");
            }
            s.animations.push_back(name);
        }
        info.states.push_back(std::move(s));
    }
    return c;
}

}  // namespace

int runBuild(const std::string& manifest, const std::string& out) {
    acs::CharacterData data;
    try {
        data = readManifest(manifest);
    } catch (const ManifestError& e) {
        return fail(manifest, e.detail);
    } catch (const std::exception& e) {
        return fail(manifest, e.what());
    }
    const acs::WriteResult written = acs::writeCharacter(data);
    if (!written.ok()) {
        return fail(manifest, written.error().message());
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(written.value().data()),
               static_cast<std::streamsize>(written.value().size()));
    if (!file) {
        return fail(out, "cannot write the file");
    }
    return 0;
}

}  // namespace acstool
