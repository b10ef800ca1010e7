// `unpack`: the inverse of `build`. Writes a manifest with every image as an 8-bit indexed
// PNG, every sound as its WAVE file and the tray icon as two BMP files, keeping everything the
// file holds, so that building the folder again gives the same character.

#include "Commands.h"

#include "agent/acs/Writer.h"

#include <QList>

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace acstool {

namespace {

struct UnpackError {
    std::string detail;
};

std::string rgb(const acs::Rgb& c) {
    return "[" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           "]";
}

std::string hex(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*x", digits, value);
    return buf;
}

std::string guid(const acs::Guid& g) {
    std::string s = "{" + hex(g.data1, 8) + "-" + hex(g.data2, 4) + "-" + hex(g.data3, 4) + "-";
    for (std::size_t i = 0; i < 8; ++i) {
        s += (i == 2 ? "-" : "") + hex(g.data4[i], 2);
    }
    return s + "}";
}

std::string langKey(std::uint16_t id) {
    return "0x" + hex(id, 4);
}

std::string upper(std::string s) {
    for (char& ch : s) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return s;
}

class Folder {
public:
    explicit Folder(const std::string& dir) : m_dir(QString::fromStdString(dir)) {}

    void write(const std::string& name, const std::uint8_t* data, std::size_t size) const {
        const std::string path = m_dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!file) {
            throw UnpackError{"cannot write " + path};
        }
    }
    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        write(name, bytes.data(), bytes.size());
    }
    void writeText(const std::string& name, const std::string& text) const {
        write(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    void writePng(const std::string& name, const QImage& image) const {
        if (!image.save(m_dir.filePath(QString::fromStdString(name)), "PNG")) {
            throw UnpackError{"cannot write " + name};
        }
    }

private:
    QDir m_dir;
};

// The image as an 8-bit indexed PNG carrying the whole palette, padded to 256 entries; the
// transparent index is see-through.
QImage indexedImage(const acs::ImageData& image, const acs::CharacterInfo& info) {
    QImage out(image.width, image.height, QImage::Format_Indexed8);
    QList<QRgb> colours(256, qRgb(0, 0, 0));
    for (std::size_t i = 0; i < info.palette.size() && i < 256; ++i) {
        colours[static_cast<qsizetype>(i)] =
            qRgb(info.palette[i].r, info.palette[i].g, info.palette[i].b);
    }
    colours[info.transparentIndex] = colours[info.transparentIndex] & 0x00FFFFFFu;
    out.setColorTable(colours);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            out.scanLine(y)[x] = image.at(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
        }
    }
    return out;
}

// A stored DIB (no file header) as a .bmp file.
std::vector<std::uint8_t> bmpFile(const std::vector<std::uint8_t>& dib) {
    const auto u32 = [&](std::size_t at) -> std::uint32_t {
        if (at + 4 > dib.size()) {
            return 0;
        }
        return std::uint32_t{dib[at]} | std::uint32_t{dib[at + 1]} << 8 |
               std::uint32_t{dib[at + 2]} << 16 | std::uint32_t{dib[at + 3]} << 24;
    };
    const std::uint32_t headerSize = u32(0);
    const std::uint32_t bits = dib.size() >= 16 ? (std::uint32_t{dib[14]} | dib[15] << 8) : 0;
    std::uint32_t colours = u32(32);
    if (colours == 0 && bits <= 8) {
        colours = 1u << bits;
    }
    const std::uint32_t masks = u32(16) == 3 && headerSize == 40 ? 12 : 0;  // BI_BITFIELDS
    const auto fileSize = static_cast<std::uint32_t>(14 + dib.size());
    const std::uint32_t offset = 14 + headerSize + masks + colours * 4;
    std::vector<std::uint8_t> out = {'B', 'M'};
    for (const std::uint32_t v : {fileSize, 0u, offset}) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::string joined(const std::vector<std::string>& items, const std::string& separator) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i ? separator : "") + items[i];
    }
    return out;
}

// Build reads an object's keys back sorted, so an object serves only when the stored order is
// that order (ASCII keys, so that the order is plain byte order, and no key twice); otherwise
// the list form keeps the order.
bool objectKeepsOrder(const std::vector<std::string>& keys) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (const char ch : keys[i]) {
            if (static_cast<unsigned char>(ch) >= 0x80) {
                return false;
            }
        }
        if (i > 0 && !(keys[i - 1] < keys[i])) {
            return false;
        }
    }
    return true;
}

std::string namesJson(const acs::CharacterInfo& info) {
    std::vector<std::string> keys;
    std::vector<std::string> items;
    for (const acs::LocalizedInfo& l : info.localized) {
        keys.push_back(langKey(l.langId));
        items.push_back("\"name\": " + jsonString(l.name) + ", \"description\": " +
                        jsonString(l.description) + ", \"extra\": " + jsonString(l.extra) + "}");
    }
    if (objectKeepsOrder(keys)) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            items[i] = jsonString(keys[i]) + ": {" + items[i];
        }
        return "{" + (items.empty() ? "" : "\n    " + joined(items, ",\n    ") + "\n  ") + "}";
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i] = "{\"langId\": " + jsonString(keys[i]) + ", " + items[i];
    }
    return "[" + (items.empty() ? "" : "\n    " + joined(items, ",\n    ") + "\n  ") + "]";
}

std::string statesJson(const acs::CharacterInfo& info) {
    std::vector<std::string> keys;
    std::vector<std::string> lists;
    for (const acs::State& s : info.states) {
        std::vector<std::string> entries;
        for (const std::string& name : s.animations) {
            entries.push_back(jsonString(name));
        }
        keys.push_back(s.name);
        lists.push_back("[" + joined(entries, ", ") + "]");
    }
    std::vector<std::string> items;
    const bool asObject = objectKeepsOrder(keys);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        items.push_back(asObject ? jsonString(keys[i]) + ": " + lists[i]
                                 : "{\"name\": " + jsonString(keys[i]) +
                                       ", \"animations\": " + lists[i] + "}");
    }
    const std::string open = asObject ? "{" : "[";
    const std::string close = asObject ? "}" : "]";
    return open + (items.empty() ? "" : "\n    " + joined(items, ",\n    ") + "\n  ") + close;
}

std::string balloonJson(const acs::BalloonInfo& b) {
    return "{\"lines\": " + std::to_string(b.lines) +
           ", \"charsPerLine\": " + std::to_string(b.charsPerLine) + ", \"text\": " + rgb(b.text) +
           ", \"background\": " + rgb(b.background) + ", \"border\": " + rgb(b.border) +
           ",\n    \"fontFace\": " + jsonString(b.fontFace) +
           ", \"fontHeight\": " + std::to_string(b.fontHeight) +
           ", \"fontWeight\": " + std::to_string(b.fontWeight) +
           ", \"italic\": " + std::to_string(b.italic) +
           ", \"unknown\": " + std::to_string(b.unknown) + "}";
}

std::string voiceJson(const acs::VoiceInfo& v) {
    std::string s =
        "{\"engine\": " + jsonString(guid(v.engine)) + ", \"mode\": " + jsonString(guid(v.mode)) +
        ", \"speed\": " + std::to_string(v.speed) + ", \"pitch\": " + std::to_string(v.pitch);
    if (v.hasExtra) {
        s += ",\n    \"langId\": " + jsonString(langKey(v.langId)) +
             ", \"dialect\": " + jsonString(v.dialect) +
             ", \"gender\": " + std::to_string(v.gender) + ", \"age\": " + std::to_string(v.age) +
             ", \"style\": " + jsonString(v.style);
    }
    return s + "}";
}

std::string frameJson(const acs::Frame& f, const std::string& overlayPrefix, const Folder& out) {
    std::vector<std::string> images;
    for (const acs::FrameImage& i : f.images) {
        images.push_back("[" + std::to_string(i.image) + ", " + std::to_string(i.x) + ", " +
                         std::to_string(i.y) + "]");
    }
    std::vector<std::string> branches;
    for (const acs::Branch& b : f.branches) {
        branches.push_back("[" + std::to_string(b.frame) + ", " + std::to_string(b.percent) + "]");
    }
    std::string s = "{\"durationMs\": " + std::to_string(f.duration * 10) + ", \"images\": [" +
                    joined(images, ", ") + "], \"sound\": " +
                    std::to_string(f.sound == acs::kNoSound ? -1 : int{f.sound}) +
                    ", \"exitBranch\": " + std::to_string(f.exitValue) + ", \"branches\": [" +
                    joined(branches, ", ") + "]";
    if (!f.overlays.empty()) {
        std::vector<std::string> overlays;
        for (std::size_t k = 0; k < f.overlays.size(); ++k) {
            const acs::MouthOverlay& o = f.overlays[k];
            std::string item =
                "{\"mouth\": " + std::to_string(o.mouth) +
                ", \"replace\": " + (o.replace ? "true" : "false") +
                ", \"image\": " + std::to_string(o.image) + ", \"x\": " + std::to_string(o.x) +
                ", \"y\": " + std::to_string(o.y) + ", \"centerX\": " + std::to_string(o.centerX) +
                ", \"centerY\": " + std::to_string(o.centerY) +
                ", \"unknown\": " + std::to_string(o.unknown);
            if (o.region) {
                const std::string name = overlayPrefix + "-" + std::to_string(k) + ".rgn";
                out.write(name, *o.region);
                item += ", \"region\": " + jsonString(name);
            }
            overlays.push_back(item + "}");
        }
        s += ",\n        \"overlays\": [" + joined(overlays, ",\n          ") + "]";
    }
    return s + "}";
}

std::string paletteJson(const acs::CharacterInfo& info) {
    std::vector<std::string> palette;  // eight colours a line
    for (std::size_t i = 0; i < info.palette.size(); i += 8) {
        std::vector<std::string> line;
        for (std::size_t k = i; k < i + 8 && k < info.palette.size(); ++k) {
            line.push_back(rgb(info.palette[k]));
        }
        palette.push_back(joined(line, ", "));
    }
    return joined(palette, ",\n    ");
}

// The character's own fields, from "width" through "states"; writes the tray icon files.
void writeInfo(std::ostream& m, const acs::CharacterInfo& info, const Folder& out) {
    m << "{\n  \"width\": " << info.width << ", \"height\": " << info.height
      << ",\n  \"transparentIndex\": " << int{info.transparentIndex} << ",\n  \"palette\": [\n    "
      << paletteJson(info) << "],\n  \"guid\": " << jsonString(guid(info.guid))
      << ",\n  \"formatVersion\": [" << info.majorVersion << ", " << info.minorVersion
      << "], \"animationSetVersion\": [" << info.animationSetMajor << ", " << info.animationSetMinor
      << "],\n  \"flags\": " << info.flags
      << ",\n  \"balloon\": " << (info.balloon ? balloonJson(*info.balloon) : "null");
    if (info.voice) {
        m << ",\n  \"voice\": " << voiceJson(*info.voice);
    }
    m << ",\n  \"names\": " << namesJson(info);
    if (info.trayIcon) {
        out.write("trayicon.bmp", bmpFile(info.trayIcon->color));
        out.write("trayicon-mask.bmp", bmpFile(info.trayIcon->mask));
        m << ",\n  \"trayIcon\": {\"color\": \"trayicon.bmp\", \"mask\": \"trayicon-mask.bmp\"}";
    }
    m << ",\n  \"upperCaseNames\": false,\n  \"states\": " << statesJson(info);
}

// One image's manifest entry; writes its PNG and, where it differs from the computed one,
// its region.
std::string imageEntry(const acs::ImageData& image, std::size_t i, const acs::CharacterInfo& info,
                       const Folder& out) {
    char base[32];
    std::snprintf(base, sizeof base, "images/%04zu", i);
    const std::string png = std::string(base) + ".png";
    std::string entry = jsonString(png);
    if (image.width == 0 || image.height == 0) {
        entry = "{\"width\": " + std::to_string(image.width) +
                ", \"height\": " + std::to_string(image.height);
    } else {
        out.writePng(png, indexedImage(image, info));
        if (image.region != acs::buildRegion(image, info.transparentIndex) || image.leading != 1) {
            entry = "{\"file\": " + entry;
        }
    }
    const bool object = entry[0] == '{';
    if (object) {
        if (image.region.empty()) {
            entry += ", \"region\": null";
        } else if (image.region != acs::buildRegion(image, info.transparentIndex)) {
            const std::string rgn = std::string(base) + ".rgn";
            out.write(rgn, image.region);
            entry += ", \"region\": " + jsonString(rgn);
        }
        if (image.leading != 1) {
            entry += ", \"leading\": " + std::to_string(image.leading);
        }
        entry += "}";
    }
    return entry;
}

std::string soundsJson(const acs::CharacterData& c, const Folder& out) {
    std::vector<std::string> sounds;
    for (std::size_t i = 0; i < c.sounds.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "sounds/%03zu.wav", i);
        out.write(name, c.sounds[i]);
        sounds.push_back(jsonString(name));
    }
    return joined(sounds, ", ");
}

void writeAnimation(std::ostream& m, const acs::Animation& anim, std::size_t a, const Folder& out) {
    m << (a ? ",\n" : "\n") << "    {\"name\": " << jsonString(anim.name);
    if (anim.recordName != upper(anim.name)) {
        m << ", \"recordName\": " << jsonString(anim.recordName);
    }
    m << ", \"transition\": " << int{anim.transition}
      << ", \"returnAnimation\": " << jsonString(anim.returnAnimation) << ", \"frames\": [";
    for (std::size_t f = 0; f < anim.frames.size(); ++f) {
        const std::string prefix = "overlays/" + std::to_string(a) + "-" + std::to_string(f);
        m << (f ? ",\n" : "\n") << "      " << frameJson(anim.frames[f], prefix, out);
    }
    m << (anim.frames.empty() ? "" : "\n    ") << "]}";
}

std::string manifest(const acs::CharacterData& c, const Folder& out) {
    std::ostringstream m;
    writeInfo(m, c.info, out);

    std::vector<std::string> images;
    for (std::size_t i = 0; i < c.images.size(); ++i) {
        images.push_back(imageEntry(c.images[i], i, c.info, out));
    }
    m << ",\n  \"images\": [" << (images.empty() ? "" : "\n    " + joined(images, ",\n    "))
      << "]";

    m << ",\n  \"sounds\": [" << soundsJson(c, out) << "],\n  \"animations\": [";
    for (std::size_t a = 0; a < c.animations.size(); ++a) {
        writeAnimation(m, c.animations[a], a, out);
    }
    m << (c.animations.empty() ? "" : "\n  ") << "]\n}\n";
    return m.str();
}

}  // namespace

int runUnpack(const std::string& file, const std::string& dir) {
    const auto character = loadStrict(file);
    if (!character) {
        return 1;
    }
    QDir folder(QString::fromStdString(dir));
    if (folder.exists() && !folder.isEmpty()) {
        return fail(dir, "the folder exists and is not empty");
    }
    for (const char* sub : {"images", "sounds", "overlays"}) {
        if (!folder.mkpath(QString::fromLatin1(sub))) {
            return fail(dir, "cannot create the folder");
        }
    }
    try {
        const Folder out(dir);
        out.writeText("manifest.json", manifest(character->toData(), out));
    } catch (const UnpackError& e) {
        return fail(dir, e.detail);
    }
    folder.rmdir(QStringLiteral("overlays"));  // only kept when it holds overlay regions
    return 0;
}

}  // namespace acstool
