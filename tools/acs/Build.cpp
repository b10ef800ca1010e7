// `build`: compiles a manifest (JSON, images as PNG, sounds as WAV) into a character file.

#include "Commands.h"

#include "agent/acs/Writer.h"
#include "names/NameFold.h"

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
#include <tuple>
#include <utility>

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

std::uint32_t u32Of(const QJsonValue& v, const std::string& what) {
    if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > 4294967295.0 ||
        v.toDouble() != static_cast<double>(static_cast<std::uint32_t>(v.toDouble()))) {
        bad(what + " must be a whole number in 0..4294967295");
    }
    return static_cast<std::uint32_t>(v.toDouble());
}

acs::Rgb rgbOf(const QJsonValue& v, const std::string& what) {
    const QJsonArray rgb = arrayOf(v, what);
    if (rgb.size() != 3) {
        bad(what + " is not [r, g, b]");
    }
    return {static_cast<std::uint8_t>(intIn(rgb[0], 0, 255, what)),
            static_cast<std::uint8_t>(intIn(rgb[1], 0, 255, what)),
            static_cast<std::uint8_t>(intIn(rgb[2], 0, 255, what))};
}

std::uint16_t langIdOf(const std::string& id, const std::string& what) {
    if (id.size() != 6 || id.rfind("0x", 0) != 0 ||
        id.find_first_not_of("0123456789abcdef", 2) != std::string::npos) {
        bad(what + " \"" + id + "\" is not 0x followed by 4 lower-case hex digits");
    }
    return static_cast<std::uint16_t>(std::stoul(id.substr(2), nullptr, 16));
}

// A whole file named by the manifest.
std::vector<std::uint8_t> fileOf(const QDir& base, const QJsonValue& v, const std::string& what) {
    const std::string path = base.filePath(QString::fromStdString(text(v, what))).toStdString();
    std::string bytes;
    if (!readFile(path, bytes)) {
        bad(what + ": cannot read " + path);
    }
    return {bytes.begin(), bytes.end()};
}

// A tray icon kept as two BMP files: their DIBs are stored unchanged.
acs::TrayIcon trayIconFromBmp(const QDir& base, const QJsonObject& o) {
    acs::TrayIcon icon;
    for (auto [key, dib] : {std::pair{"color", &icon.color}, std::pair{"mask", &icon.mask}}) {
        const std::string what = std::string("trayIcon.") + key;
        std::vector<std::uint8_t> bytes = fileOf(base, o[QLatin1String(key)], what);
        if (bytes.size() < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M') {
            bad(what + " is not a BMP file");
        }
        dib->assign(bytes.begin() + 14, bytes.end());
    }
    return icon;
}

acs::BalloonInfo balloonOf(const QJsonValue& v) {
    const QJsonObject o = v.toObject();
    acs::BalloonInfo b;
    b.lines = static_cast<std::uint8_t>(intIn(o["lines"], 0, 255, "balloon.lines"));
    b.charsPerLine =
        static_cast<std::uint8_t>(intIn(o["charsPerLine"], 0, 255, "balloon.charsPerLine"));
    b.text = rgbOf(o["text"], "balloon.text");
    b.background = rgbOf(o["background"], "balloon.background");
    b.border = rgbOf(o["border"], "balloon.border");
    b.fontFace = text(o["fontFace"], "balloon.fontFace");
    b.fontHeight = static_cast<std::int32_t>(
        intIn(o["fontHeight"], -2147483647L - 1, 2147483647L, "balloon.fontHeight"));
    b.fontWeight = static_cast<std::int32_t>(
        intIn(o["fontWeight"], -2147483647L - 1, 2147483647L, "balloon.fontWeight"));
    b.italic = static_cast<std::uint8_t>(intIn(o["italic"], 0, 255, "balloon.italic"));
    b.unknown = static_cast<std::uint8_t>(intIn(o["unknown"], 0, 255, "balloon.unknown"));
    return b;
}

acs::VoiceInfo voiceOf(const QJsonValue& v) {
    const QJsonObject o = v.toObject();
    acs::VoiceInfo voice;
    voice.engine = parseGuid(text(o["engine"], "voice.engine"));
    voice.mode = parseGuid(text(o["mode"], "voice.mode"));
    voice.speed = u32Of(o["speed"], "voice.speed");
    voice.pitch = static_cast<std::uint16_t>(intIn(o["pitch"], 0, 65535, "voice.pitch"));
    voice.hasExtra = o.contains("langId");
    if (voice.hasExtra) {
        voice.langId = langIdOf(text(o["langId"], "voice.langId"), "voice.langId");
        voice.dialect = text(o["dialect"], "voice.dialect");
        voice.gender = static_cast<std::uint16_t>(intIn(o["gender"], 0, 65535, "voice.gender"));
        voice.age = static_cast<std::uint16_t>(intIn(o["age"], 0, 65535, "voice.age"));
        voice.style = text(o["style"], "voice.style");
    }
    return voice;
}

// "names" and "states" are objects, or lists of objects where the stored order matters
// (an object's keys come back sorted).
std::vector<std::pair<std::string, QJsonValue>> entriesOf(const QJsonValue& v, const char* keyField,
                                                          const char* valueField,
                                                          const std::string& what) {
    std::vector<std::pair<std::string, QJsonValue>> out;
    if (v.isArray()) {
        const QJsonArray list = v.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QJsonObject o = list[i].toObject();
            const std::string where = what + "[" + std::to_string(i) + "]";
            out.emplace_back(text(o[QLatin1String(keyField)], where + "." + keyField),
                             valueField ? o[QLatin1String(valueField)] : QJsonValue(o));
        }
        return out;
    }
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        out.emplace_back(it.key().toStdString(), it.value());
    }
    return out;
}

acs::MouthOverlay overlayOf(const QDir& base, const QJsonValue& v, std::size_t imageCount,
                            const std::string& what) {
    const QJsonObject o = v.toObject();
    acs::MouthOverlay overlay;
    overlay.mouth = static_cast<std::uint8_t>(intIn(o["mouth"], 0, 6, what + ": mouth"));
    overlay.replace = o["replace"].toBool();
    overlay.image = static_cast<std::uint16_t>(intIn(
        o["image"], 0, std::min(65535L, static_cast<long>(imageCount) - 1), what + ": image"));
    overlay.x = static_cast<std::int16_t>(intIn(o["x"], -32768, 32767, what + ": x"));
    overlay.y = static_cast<std::int16_t>(intIn(o["y"], -32768, 32767, what + ": y"));
    overlay.centerX = static_cast<std::uint16_t>(intIn(o["centerX"], 0, 65535, what + ": centerX"));
    overlay.centerY = static_cast<std::uint16_t>(intIn(o["centerY"], 0, 65535, what + ": centerY"));
    overlay.unknown = static_cast<std::uint8_t>(
        o.contains("unknown") ? intIn(o["unknown"], 0, 255, what + ": unknown") : 0);
    if (o.contains("region")) {
        overlay.region = fileOf(base, o["region"], what + ": region");
    }
    return overlay;
}

QJsonObject parseManifest(const std::string& manifestPath) {
    std::string raw;
    if (!readFile(manifestPath, raw)) {
        bad("cannot read the manifest");
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(raw), &parseError);
    if (!doc.isObject()) {
        bad("not a JSON object: " + parseError.errorString().toStdString());
    }
    return doc.object();
}

void readInfoFields(const QJsonObject& m, acs::CharacterInfo& info) {
    info.width = static_cast<std::uint16_t>(intIn(m["width"], 1, 4096, "width"));
    info.height = static_cast<std::uint16_t>(intIn(m["height"], 1, 4096, "height"));
    info.transparentIndex =
        static_cast<std::uint8_t>(intIn(m["transparentIndex"], 0, 255, "transparentIndex"));
    info.flags = m.contains("flags") ? u32Of(m["flags"], "flags")
                                     : 0x10 | acs::kFlagBalloon;  // voice off, balloon on
    if (!m.contains("balloon")) {
        info.balloon = acs::BalloonInfo{};
    } else if (!m["balloon"].isNull()) {
        info.balloon = balloonOf(m["balloon"]);
    }
    if (m.contains("voice")) {
        info.voice = voiceOf(m["voice"]);
    }
    if (m.contains("guid")) {
        info.guid = parseGuid(text(m["guid"], "guid"));
    }
    for (auto [key, major, minor] :
         {std::tuple{"formatVersion", &info.majorVersion, &info.minorVersion},
          std::tuple{"animationSetVersion", &info.animationSetMajor, &info.animationSetMinor}}) {
        if (m.contains(QLatin1String(key))) {
            const QJsonArray v = arrayOf(m[QLatin1String(key)], key);
            if (v.size() != 2) {
                bad(std::string(key) + " is not [major, minor]");
            }
            *major = static_cast<std::uint16_t>(intIn(v[0], 0, 65535, key));
            *minor = static_cast<std::uint16_t>(intIn(v[1], 0, 65535, key));
        }
    }
}

// Real characters store state names, their entries and return animations in upper case;
// an unpacked character keeps whatever its file stored.
std::string stored(bool upperCase, std::string name) {
    return upperCase ? upper(std::move(name)) : name;
}

// The manifest's images as loaded, each with its options object (empty for a bare file name);
// an image without pixels is a null QImage.
struct SourceImages {
    std::vector<QImage> images;
    std::vector<QJsonObject> options;
};

// An image is a PNG file name, or an object: {"file", "region" (a file of stored region
// data, or null for none; default: computed), "leading"}, or {"width", "height"} for an
// image without pixels.
SourceImages readImageList(const QDir& base, const QJsonObject& m) {
    const QJsonArray imageList = arrayOf(m["images"], "images");
    SourceImages out;
    for (qsizetype i = 0; i < imageList.size(); ++i) {
        const std::string what = "images[" + std::to_string(i) + "]";
        const QJsonObject o = imageList[i].isObject() ? imageList[i].toObject() : QJsonObject{};
        const QJsonValue file = imageList[i].isObject() ? o["file"] : imageList[i];
        if (file.isUndefined()) {
            const int w = intIn(o["width"], 0, 65535, what + ".width");
            const int h = intIn(o["height"], 0, 65535, what + ".height");
            if (w != 0 && h != 0) {
                bad(what + " has no file");
            }
            out.images.emplace_back();
            out.options.push_back(o);
            continue;
        }
        out.images.push_back(
            loadImage(base.filePath(QString::fromStdString(text(file, what))), what));
        out.options.push_back(o);
    }
    return out;
}

using ColourLookup = std::map<std::uint32_t, std::uint8_t>;  // colour -> index (first wins)

// A palette of the images' colours in order of first use, skipping the transparent slot
// (drawn magenta).
ColourLookup derivePalette(const std::vector<QImage>& images, acs::CharacterInfo& info) {
    ColourLookup lookup;
    std::vector<std::uint32_t> colours;
    for (const QImage& img : images) {
        if (img.isNull()) {
            continue;
        }
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
    return lookup;
}

ColourLookup readPalette(const QJsonValue& palette, acs::CharacterInfo& info) {
    ColourLookup lookup;
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
    return lookup;
}

void convertImages(const QDir& base, const SourceImages& source, const ColourLookup& lookup,
                   bool paletteGiven, std::uint8_t transparentIndex,
                   std::vector<acs::ImageData>& images) {
    for (std::size_t i = 0; i < source.images.size(); ++i) {
        const std::string what = "images[" + std::to_string(i) + "]";
        const QJsonObject& o = source.options[i];
        const QImage& src = source.images[i];
        if (src.isNull()) {
            acs::ImageData empty;
            empty.width = static_cast<std::uint16_t>(o["width"].toInt());
            empty.height = static_cast<std::uint16_t>(o["height"].toInt());
            images.push_back(std::move(empty));
        } else {
            const bool indexed = paletteGiven && src.format() == QImage::Format_Indexed8;
            images.push_back(toIndexed(src, indexed, lookup, transparentIndex, what));
        }
        acs::ImageData& image = images.back();
        if (!o.contains("region")) {
            image.region = acs::buildRegion(image, transparentIndex);
        } else if (!o["region"].isNull()) {
            image.region = fileOf(base, o["region"], what + ".region");
        }
        if (o.contains("leading")) {
            image.leading =
                static_cast<std::uint8_t>(intIn(o["leading"], 0, 255, what + ".leading"));
        }
    }
}

void readTrayIcon(const QDir& base, const QJsonObject& m, acs::CharacterInfo& info) {
    if (m["trayIcon"].isObject()) {
        info.trayIcon = trayIconFromBmp(base, m["trayIcon"].toObject());
    } else if (m.contains("trayIcon")) {
        info.trayIcon = trayIcon(loadImage(
            base.filePath(QString::fromStdString(text(m["trayIcon"], "trayIcon"))), "trayIcon"));
    }
}

void readNames(const QJsonObject& m, acs::CharacterInfo& info) {
    for (const auto& [id, value] : entriesOf(m["names"], "langId", nullptr, "names")) {
        const QJsonObject e = value.toObject();
        info.localized.push_back({langIdOf(id, "names key"),
                                  text(e["name"], "names." + id + ".name"),
                                  text(e["description"], "names." + id + ".description"),
                                  text(e["extra"], "names." + id + ".extra")});
    }
}

void readSounds(const QDir& base, const QJsonObject& m,
                std::vector<std::vector<std::uint8_t>>& out) {
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
        out.emplace_back(bytes.begin(), bytes.end());
    }
}

void readBranches(const QJsonObject& fo, long frameCount, const std::string& fwhere,
                  acs::Frame& frame) {
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
}

acs::Frame readFrame(const QDir& base, const QJsonObject& fo, const acs::CharacterData& c,
                     long frameCount, const std::string& fwhere) {
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
            {static_cast<std::uint32_t>(
                 intIn(l[0], 0, static_cast<long>(c.images.size()) - 1, fwhere + ": image index")),
             static_cast<std::int16_t>(intIn(l[1], -32768, 32767, fwhere + ": x")),
             static_cast<std::int16_t>(intIn(l[2], -32768, 32767, fwhere + ": y"))});
    }
    const int sound =
        fo.contains("sound")
            ? intIn(fo["sound"], -1, static_cast<long>(c.sounds.size()) - 1, fwhere + ": sound")
            : -1;
    frame.sound = sound < 0 ? acs::kNoSound : static_cast<std::uint16_t>(sound);
    frame.exitValue = static_cast<std::int16_t>(
        fo.contains("exitBranch")
            ? intIn(fo["exitBranch"], -2, frameCount - 1, fwhere + ": exitBranch")
            : -1);
    readBranches(fo, frameCount, fwhere, frame);
    const QJsonArray overlays = fo["overlays"].toArray();
    for (qsizetype k = 0; k < overlays.size(); ++k) {
        frame.overlays.push_back(overlayOf(base, overlays[k], c.images.size(),
                                           fwhere + " overlay " + std::to_string(k)));
    }
    return frame;
}

using AnimationIndex = std::map<std::string, std::size_t>;  // folded name -> index

void readAnimations(const QDir& base, const QJsonObject& m, bool upperCase, acs::CharacterData& c,
                    AnimationIndex& byName) {
    const QJsonArray anims = arrayOf(m["animations"], "animations");
    for (qsizetype a = 0; a < anims.size(); ++a) {
        const QJsonObject o = anims[a].toObject();
        acs::Animation anim;
        anim.name = text(o["name"], "animations[" + std::to_string(a) + "].name");
        const std::string where = "animation \"" + anim.name + "\"";
        if (anim.name.empty()) {
            bad("animations[" + std::to_string(a) + "] has no name");
        }
        if (!byName.emplace(names::fold(anim.name), static_cast<std::size_t>(a)).second) {
            bad(where + " is defined twice");
        }
        anim.recordName = o.contains("recordName") ? text(o["recordName"], where + ": recordName")
                                                   : upper(anim.name);
        anim.transition = static_cast<std::uint8_t>(
            o.contains("transition") ? intIn(o["transition"], 0, 2, where + ": transition") : 2);
        anim.returnAnimation =
            stored(upperCase, text(o["returnAnimation"], where + ": returnAnimation"));
        const QJsonArray frames = arrayOf(o["frames"], where + ": frames");
        if (frames.size() > 0xFFFF) {
            bad(where + " has too many frames");
        }
        const long frameCount = static_cast<long>(frames.size());
        for (qsizetype f = 0; f < frames.size(); ++f) {
            anim.frames.push_back(readFrame(base, frames[f].toObject(), c, frameCount,
                                            where + " frame " + std::to_string(f)));
        }
        c.animations.push_back(std::move(anim));
    }
}

void checkReturnAnimations(const std::vector<acs::Animation>& animations,
                           const AnimationIndex& byName) {
    for (const acs::Animation& anim : animations) {
        if (!anim.returnAnimation.empty() &&
            (anim.transition != 0 || !byName.count(names::fold(anim.returnAnimation)))) {
            bad("animation \"" + anim.name + "\": returnAnimation \"" + anim.returnAnimation +
                "\" needs transition 0 and an existing animation");
        }
    }
}

void readStates(const QJsonObject& m, bool upperCase, const AnimationIndex& byName,
                acs::CharacterInfo& info) {
    for (const auto& [key, list] : entriesOf(m["states"], "name", "animations", "states")) {
        acs::State s;
        s.name = stored(upperCase, key);
        for (const QJsonValue& v : arrayOf(list, "states." + key)) {
            const std::string name = stored(upperCase, text(v, "states." + s.name));
            if (!byName.count(names::fold(name))) {
                bad("state " + key + " names animation \"" + name + "\", which does not exist");
            }
            s.animations.push_back(name);
        }
        info.states.push_back(std::move(s));
    }
}

acs::CharacterData readManifest(const std::string& manifestPath) {
    const QJsonObject m = parseManifest(manifestPath);
    const QDir base = QFileInfo(QString::fromStdString(manifestPath)).absoluteDir();

    acs::CharacterData c;
    acs::CharacterInfo& info = c.info;
    readInfoFields(m, info);
    const bool upperCase = m["upperCaseNames"].toBool(true);

    // Images first: a derived palette needs their colours.
    const SourceImages source = readImageList(base, m);
    const QJsonValue palette = m["palette"];
    const ColourLookup lookup = palette.isString() && palette.toString() == QLatin1String("derive")
                                    ? derivePalette(source.images, info)
                                    : readPalette(palette, info);
    convertImages(base, source, lookup, !palette.isString(), info.transparentIndex, c.images);

    readTrayIcon(base, m, info);
    readNames(m, info);
    readSounds(base, m, c.sounds);

    AnimationIndex byName;
    readAnimations(base, m, upperCase, c, byName);
    checkReturnAnimations(c.animations, byName);
    readStates(m, upperCase, byName, info);
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
