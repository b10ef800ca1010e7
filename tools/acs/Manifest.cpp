// The manifest of `build`: JSON naming PNG images and WAV sounds, read into a character model
// one section at a time.

#include "Manifest.h"

#include "Commands.h"
#include "ManifestImages.h"
#include "agent/acs/Writer.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cctype>
#include <map>

namespace acstool {

[[noreturn]] void bad(const std::string& detail) {
    throw ManifestError{detail};
}

namespace {

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

std::string upper(std::string s) {
    for (char& ch : s) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return s;
}

QJsonObject readJson(const std::string& manifestPath) {
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

void readFrameFields(const QJsonObject& m, acs::CharacterInfo& info) {
    info.width = static_cast<std::uint16_t>(intIn(m["width"], 1, 4096, "width"));
    info.height = static_cast<std::uint16_t>(intIn(m["height"], 1, 4096, "height"));
    info.transparentIndex =
        static_cast<std::uint8_t>(intIn(m["transparentIndex"], 0, 255, "transparentIndex"));
    info.flags = 0x10 | acs::kFlagBalloon;  // voice off, balloon on
    info.balloon = acs::BalloonInfo{};
    if (m.contains("guid")) {
        info.guid = parseGuid(text(m["guid"], "guid"));
    }
}

std::vector<QImage> readImages(const QJsonObject& m, const QDir& base) {
    const QJsonArray imageList = arrayOf(m["images"], "images");
    std::vector<QImage> images;
    for (qsizetype i = 0; i < imageList.size(); ++i) {
        const std::string what = "images[" + std::to_string(i) + "]";
        images.push_back(
            loadImage(base.filePath(QString::fromStdString(text(imageList[i], what))), what));
    }
    return images;
}

using ColourLookup = std::map<std::uint32_t, std::uint8_t>;  // colour -> index (first wins)

// "palette": "derive": the images' colours in order of first use, skipping the transparent
// slot (drawn magenta).
void derivePalette(const std::vector<QImage>& images, acs::CharacterInfo& info,
                   ColourLookup& lookup) {
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
}

// "palette": [[r, g, b], ...]: 1..256 entries given in the manifest.
void readPalette(const QJsonValue& palette, acs::CharacterInfo& info, ColourLookup& lookup) {
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

void readPaletteAndImages(const QJsonObject& m, const QDir& base, acs::CharacterData& c) {
    // Images first: a derived palette needs their colours.
    const std::vector<QImage> images = readImages(m, base);
    ColourLookup lookup;
    const QJsonValue palette = m["palette"];
    if (palette.isString() && palette.toString() == QLatin1String("derive")) {
        derivePalette(images, c.info, lookup);
    } else {
        readPalette(palette, c.info, lookup);
    }
    const bool paletteGiven = !palette.isString();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string what = "images[" + std::to_string(i) + "]";
        const bool indexed = paletteGiven && images[i].format() == QImage::Format_Indexed8;
        c.images.push_back(toIndexed(images[i], indexed, lookup, c.info.transparentIndex, what));
        c.images.back().region = acs::buildRegion(c.images.back(), c.info.transparentIndex);
    }
}

void readNames(const QJsonObject& m, acs::CharacterInfo& info) {
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
}

void readSounds(const QJsonObject& m, const QDir& base, acs::CharacterData& c) {
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
}

void readLayers(const QJsonObject& fo, const std::string& fwhere, std::size_t imageCount,
                acs::Frame& frame) {
    for (const QJsonValue& layer : arrayOf(fo["images"], fwhere + ": images")) {
        const QJsonArray l = arrayOf(layer, fwhere + ": image");
        if (l.size() != 3) {
            bad(fwhere + ": an image is not [imageIndex, x, y]");
        }
        frame.images.push_back(
            {static_cast<std::uint32_t>(
                 intIn(l[0], 0, static_cast<long>(imageCount) - 1, fwhere + ": image index")),
             static_cast<std::int16_t>(intIn(l[1], -32768, 32767, fwhere + ": x")),
             static_cast<std::int16_t>(intIn(l[2], -32768, 32767, fwhere + ": y"))});
    }
}

void readBranches(const QJsonObject& fo, const std::string& fwhere, long frameCount,
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

acs::Frame readFrame(const QJsonObject& fo, const std::string& fwhere, long frameCount,
                     const acs::CharacterData& c) {
    acs::Frame frame;
    const int ms = intIn(fo["durationMs"], 0, 655350, fwhere + ": durationMs");
    if (ms % 10 != 0) {
        bad(fwhere + ": durationMs " + std::to_string(ms) + " is not a multiple of 10");
    }
    frame.duration = static_cast<std::uint16_t>(ms / 10);
    readLayers(fo, fwhere, c.images.size(), frame);
    const int sound =
        fo.contains("sound")
            ? intIn(fo["sound"], -1, static_cast<long>(c.sounds.size()) - 1, fwhere + ": sound")
            : -1;
    frame.sound = sound < 0 ? acs::kNoSound : static_cast<std::uint16_t>(sound);
    frame.exitValue = static_cast<std::int16_t>(
        fo.contains("exitBranch")
            ? intIn(fo["exitBranch"], -2, frameCount - 1, fwhere + ": exitBranch")
            : -1);
    readBranches(fo, fwhere, frameCount, frame);
    return frame;
}

acs::Animation readAnimation(const QJsonObject& o, qsizetype a, const acs::CharacterData& c) {
    acs::Animation anim;
    anim.name = text(o["name"], "animations[" + std::to_string(a) + "].name");
    const std::string where = "animation \"" + anim.name + "\"";
    if (anim.name.empty()) {
        bad("animations[" + std::to_string(a) + "] has no name");
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
        anim.frames.push_back(
            readFrame(frames[f].toObject(), where + " frame " + std::to_string(f), frameCount, c));
    }
    return anim;
}

// Animations by their upper-case name, for the return animations and the states.
using AnimationNames = std::map<std::string, std::size_t>;

AnimationNames readAnimations(const QJsonObject& m, acs::CharacterData& c) {
    const QJsonArray anims = arrayOf(m["animations"], "animations");
    AnimationNames byName;
    for (qsizetype a = 0; a < anims.size(); ++a) {
        const QJsonObject o = anims[a].toObject();
        const std::string name = text(o["name"], "animations[" + std::to_string(a) + "].name");
        if (!name.empty() && !byName.emplace(upper(name), static_cast<std::size_t>(a)).second) {
            bad("animation \"" + name + "\" is defined twice");
        }
        c.animations.push_back(readAnimation(o, a, c));
    }
    for (const acs::Animation& anim : c.animations) {
        if (!anim.returnAnimation.empty() &&
            (anim.transition != 0 || !byName.count(anim.returnAnimation))) {
            bad("animation \"" + anim.name + "\": returnAnimation \"" + anim.returnAnimation +
                "\" needs transition 0 and an existing animation");
        }
    }
    return byName;
}

void readStates(const QJsonObject& m, const AnimationNames& byName, acs::CharacterInfo& info) {
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
}

}  // namespace

acs::CharacterData readManifest(const std::string& manifestPath) {
    const QJsonObject m = readJson(manifestPath);
    const QDir base = QFileInfo(QString::fromStdString(manifestPath)).absoluteDir();
    acs::CharacterData c;
    readFrameFields(m, c.info);
    readPaletteAndImages(m, base, c);
    if (m.contains("trayIcon")) {
        c.info.trayIcon = trayIcon(loadImage(
            base.filePath(QString::fromStdString(text(m["trayIcon"], "trayIcon"))), "trayIcon"));
    }
    readNames(m, c.info);
    readSounds(m, base, c);
    const AnimationNames byName = readAnimations(m, c);
    readStates(m, byName, c.info);
    return c;
}

}  // namespace acstool
