// loadCharacter: parse every block by its locator, then validate every cross-reference once.

#include "agent/acs/ByteReader.h"
#include "agent/acs/Character.h"
#include "agent/acs/CharacterPrivate.h"
#include "agent/acs/Decompressor.h"
#include "names/NameFold.h"

#include <cstdio>
#include <cstring>

namespace acs {

namespace {

constexpr std::uint32_t kSignature = 0xABCDABC3;
constexpr std::size_t kHeaderSize = 36;
constexpr std::uint16_t kMaxFrameSide = 4096;
// Limits beyond anything real (85 animations, ~980 images, 34 sounds); they stop absurd counts
// before the bytes-left check has to.
constexpr std::uint64_t kMaxAnimations = 65536;
constexpr std::uint64_t kMaxImages = 1u << 20;
constexpr std::uint64_t kMaxSounds = 65536;
constexpr std::uint64_t kMaxExpansion = 1100;

struct Locator {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t end() const { return offset + size; }
};

std::string hex(std::uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
    return buf;
}

class Loader {
public:
    Loader(std::shared_ptr<const std::vector<std::uint8_t>> bytes, Mode mode)
        : m_bytes(std::move(bytes)),
          m_file(*m_bytes),
          m_strict(mode == Mode::Strict),
          m_d(std::make_unique<Character::Private>()) {
        m_d->bytes = m_bytes;
    }

    LoadResult run();

private:
    bool fatal(ErrorCode code, std::uint64_t offset, std::string detail) {
        if (!m_error) {
            m_error = Error{code, offset, std::move(detail)};
        }
        return false;
    }
    bool fatal(const Error& e) { return fatal(e.code, e.offset, e.detail); }
    void warn(std::uint64_t offset, const std::string& text) {
        m_warnings.push_back("offset " + hex(offset) + ": " + text);
    }
    // A broken rule that lenient mode survives: an error in strict mode, a warning otherwise.
    // Returns true when loading may go on.
    bool problem(ErrorCode code, std::uint64_t offset, const std::string& detail) {
        if (m_strict) {
            return fatal(code, offset, detail);
        }
        warn(offset, detail);
        return true;
    }
    bool readLocator(ByteReader& r, Locator& loc, const char* what);
    bool readEntryLocator(ByteReader& r, Locator& loc, bool& usable, const char* what);

    bool parseCharacterInfo(const Locator& loc);
    bool parseAnimations(const Locator& loc);
    bool parseAnimationRecord(const Locator& loc, Animation& anim, Error& err);
    bool parseImages(const Locator& loc);
    bool parseImageRecord(const Locator& loc, ImageInfo& img, Error& err);
    bool checkImageData(const ImageInfo& img, Error& err);
    bool parseSounds(const Locator& loc);
    bool validate();

    std::shared_ptr<const std::vector<std::uint8_t>> m_bytes;
    std::span<const std::uint8_t> m_file;
    bool m_strict;
    std::unique_ptr<Character::Private> m_d;
    std::vector<std::uint64_t> m_animOffsets;  // record offset of each kept animation
    Error m_error;
    std::vector<std::string> m_warnings;
};

// A directory entry's locator. In lenient mode one that points outside the file spoils only
// its own entry: `usable` turns false and the directory is read on.
bool Loader::readEntryLocator(ByteReader& r, Locator& loc, bool& usable, const char* what) {
    const std::uint64_t at = r.pos();
    loc.offset = r.u32();
    loc.size = r.u32();
    usable = true;
    if (!r.ok() || locatorFits(loc.offset, loc.size, m_file.size())) {
        return r.ok();
    }
    const std::string detail = std::string(what) + " locator " + hex(loc.offset) + "+" +
                               hex(loc.size) + " lies outside the file of " + hex(m_file.size()) +
                               " bytes";
    if (m_strict) {
        r.failAt(ErrorCode::BadLocator, at, detail);
        return false;
    }
    warn(at, detail);
    usable = false;
    return true;
}

bool Loader::readLocator(ByteReader& r, Locator& loc, const char* what) {
    const std::uint64_t at = r.pos();
    loc.offset = r.u32();
    loc.size = r.u32();
    if (!r.ok()) {
        return false;
    }
    if (!locatorFits(loc.offset, loc.size, m_file.size())) {
        r.failAt(ErrorCode::BadLocator, at,
                 std::string(what) + " locator " + hex(loc.offset) + "+" + hex(loc.size) +
                     " lies outside the file of " + hex(m_file.size()) + " bytes");
        return false;
    }
    return true;
}

LoadResult Loader::run() {
    LoadResult result;
    const auto size = m_file.size();
    static constexpr std::uint8_t kOle[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    static constexpr std::uint8_t kAcf[4] = {0xC4, 0xAB, 0xCD, 0xAB};
    if (size >= 8 && std::memcmp(m_file.data(), kOle, 8) == 0) {
        fatal(ErrorCode::Agent15, 0,
              "Agent 1.5 character files are not supported (OLE compound file)");
    } else if (size >= 4 && std::memcmp(m_file.data(), kAcf, 4) == 0) {
        fatal(ErrorCode::WebIndex, 0, "web-delivery index (.acf), not a character file");
    } else if (size < kHeaderSize) {
        fatal(ErrorCode::NotCharacter, 0,
              "not a character file: " + std::to_string(size) + " bytes, shorter than a header");
    } else {
        ByteReader r(m_file, 0, kHeaderSize);
        if (r.u32() != kSignature) {
            fatal(ErrorCode::NotCharacter, 0, "not a character file: unknown signature");
        } else {
            Locator info, anims, images, sounds;
            if (!readLocator(r, info, "character info") ||
                !readLocator(r, anims, "animation directory") ||
                !readLocator(r, images, "image directory") ||
                !readLocator(r, sounds, "audio directory")) {
                fatal(r.error());
            } else if (parseCharacterInfo(info) && parseImages(images) && parseSounds(sounds) &&
                       parseAnimations(anims)) {
                validate();
            }
        }
    }
    result.warnings = std::move(m_warnings);
    if (m_error) {
        result.error = std::move(m_error);
        return result;
    }
    result.character = std::make_shared<const Character>(std::move(m_d));
    return result;
}

bool Loader::parseCharacterInfo(const Locator& loc) {
    ByteReader r(m_file, loc.offset, loc.end());
    CharacterInfo& info = m_d->info;
    info.minorVersion = r.u16();
    info.majorVersion = r.u16();
    Locator localized;
    localized.offset = r.u32();
    localized.size = r.u32();
    info.guid = r.guid();
    info.width = r.u16();
    info.height = r.u16();
    info.transparentIndex = r.u8();
    info.flags = r.u32();
    info.animationSetMajor = r.u16();
    info.animationSetMinor = r.u16();
    if (!r.ok()) {
        return fatal(r.error());
    }
    if (info.width == 0 || info.height == 0 || info.width > kMaxFrameSide ||
        info.height > kMaxFrameSide) {
        return fatal(ErrorCode::BadValue, loc.offset + 28,
                     "frame size " + std::to_string(info.width) + "x" +
                         std::to_string(info.height) + " is outside 1..4096");
    }
    if (info.flags & kFlagVoice) {
        VoiceInfo v;
        v.engine = r.guid();
        v.mode = r.guid();
        v.speed = r.u32();
        v.pitch = r.u16();
        v.hasExtra = r.u8() != 0;
        if (v.hasExtra) {
            v.langId = r.u16();
            v.dialect = r.string(m_strict);
            v.gender = r.u16();
            v.age = r.u16();
            v.style = r.string(m_strict);
        }
        info.voice = std::move(v);
    }
    if (info.flags & kFlagBalloon) {
        BalloonInfo b;
        b.lines = r.u8();
        b.charsPerLine = r.u8();
        b.text = r.rgbx();
        b.background = r.rgbx();
        b.border = r.rgbx();
        b.fontFace = r.string(m_strict);
        b.fontHeight = r.i32();
        b.fontWeight = r.i32();
        b.italic = r.u8();
        b.unknown = r.u8();
        info.balloon = std::move(b);
    }
    const std::uint64_t paletteAt = r.pos();
    const std::uint32_t paletteCount = r.u32();
    if (r.ok() && (paletteCount == 0 || paletteCount > 256)) {
        return fatal(ErrorCode::BadValue, paletteAt,
                     "palette of " + std::to_string(paletteCount) + " entries (1..256 allowed)");
    }
    if (r.checkCount(paletteCount, 4, 256, "palette entries")) {
        info.palette.reserve(paletteCount);
        for (std::uint32_t i = 0; i < paletteCount; ++i) {
            info.palette.push_back(r.bgrx());
        }
    }
    const std::uint64_t trayAt = r.pos();
    const std::uint8_t tray = r.u8();
    if (r.ok() && tray > 1) {
        return fatal(ErrorCode::BadValue, trayAt, "tray-icon flag " + std::to_string(tray));
    }
    if (tray == 1) {
        TrayIcon icon;
        const auto mask = r.bytes(r.u32());
        icon.mask.assign(mask.begin(), mask.end());
        const auto colour = r.bytes(r.u32());
        icon.color.assign(colour.begin(), colour.end());
        info.trayIcon = std::move(icon);
    }
    const std::uint16_t stateCount = r.u16();
    if (r.checkCount(stateCount, 6, 0xFFFF, "states")) {
        info.states.resize(stateCount);
        for (State& s : info.states) {
            s.name = r.string(m_strict);
            const std::uint16_t n = r.u16();
            if (!r.checkCount(n, 4, 0xFFFF, "state animations")) {
                break;
            }
            s.animations.reserve(n);
            for (std::uint16_t i = 0; i < n && r.ok(); ++i) {
                s.animations.push_back(r.string(m_strict));
            }
        }
    }
    if (!r.ok()) {
        return fatal(r.error());
    }
    if (r.pos() != localized.offset &&
        !problem(ErrorCode::SizeMismatch, r.pos(),
                 "character info ends at " + hex(r.pos()) + ", not at the localized-info offset " +
                     hex(localized.offset))) {
        return false;
    }
    // The localized list must stay inside its own locator and end exactly where the character
    // info block ends.
    if (!locatorFits(localized.offset, localized.size, m_file.size())) {
        return problem(ErrorCode::BadLocator, loc.offset + 4,
                       "localized-info locator lies outside the file");
    }
    ByteReader l(m_file, localized.offset, localized.end());
    const std::uint16_t count = l.u16();
    if (l.checkCount(count, 14, 0xFFFF, "localized-info entries")) {
        info.localized.reserve(count);
        for (std::uint16_t i = 0; i < count && l.ok(); ++i) {
            LocalizedInfo e;
            e.langId = l.u16();
            e.name = l.string(m_strict);
            e.description = l.string(m_strict);
            e.extra = l.string(m_strict);
            if (l.ok()) {
                info.localized.push_back(std::move(e));
            }
        }
    }
    if (!l.ok()) {
        if (m_strict) {
            return fatal(l.error());
        }
        warn(l.error().offset, "localized info: " + l.error().detail);
        return true;
    }
    if (l.pos() != loc.end()) {
        return problem(ErrorCode::SizeMismatch, l.pos(),
                       "localized info ends at " + hex(l.pos()) +
                           ", not at the end of the character info " + hex(loc.end()));
    }
    return true;
}

bool Loader::parseAnimations(const Locator& loc) {
    ByteReader r(m_file, loc.offset, loc.end());
    const std::uint32_t count = r.u32();
    if (!r.checkCount(count, 12, kMaxAnimations, "animation directory entries")) {
        return fatal(r.error());
    }
    std::vector<std::pair<std::string, Locator>> entries;
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        std::string name = r.string(m_strict);
        Locator where;
        bool usable = false;
        if (readEntryLocator(r, where, usable, "animation") && usable) {
            entries.emplace_back(std::move(name), where);
        }
    }
    if (!r.ok()) {
        return fatal(r.error());
    }
    if (r.pos() != loc.end() &&
        !problem(ErrorCode::SizeMismatch, r.pos(), "animation directory ends before its locator")) {
        return false;
    }
    for (auto& [name, where] : entries) {
        Animation anim;
        anim.name = std::move(name);
        Error err;
        if (!parseAnimationRecord(where, anim, err)) {
            if (m_strict) {
                return fatal(err);
            }
            warn(err.offset, "animation \"" + anim.name + "\" dropped: " + err.detail);
            continue;
        }
        m_d->animations.push_back(std::move(anim));
        m_animOffsets.push_back(where.offset);
    }
    return true;
}

bool Loader::parseAnimationRecord(const Locator& loc, Animation& anim, Error& err) {
    ByteReader r(m_file, loc.offset, loc.end());
    anim.recordName = r.string(m_strict);
    anim.transition = r.u8();
    anim.returnAnimation = r.string(m_strict);
    const std::uint16_t frameCount = r.u16();
    if (r.checkCount(frameCount, 10, 0xFFFF, "frames")) {
        anim.frames.resize(frameCount);
    }
    for (Frame& f : anim.frames) {
        const std::uint16_t images = r.u16();
        if (!r.checkCount(images, 8, 0xFFFF, "frame images")) {
            break;
        }
        f.images.resize(images);
        for (FrameImage& fi : f.images) {
            fi.image = r.u32();
            fi.x = r.i16();
            fi.y = r.i16();
        }
        f.sound = r.u16();
        f.duration = r.u16();
        f.exitValue = r.i16();
        const std::uint8_t branches = r.u8();
        if (!r.checkCount(branches, 4, 0xFF, "branches")) {
            break;
        }
        f.branches.resize(branches);
        for (Branch& b : f.branches) {
            b.frame = r.u16();
            b.percent = r.u16();
        }
        const std::uint8_t overlays = r.u8();
        if (!r.checkCount(overlays, 14, 0xFF, "mouth overlays")) {
            break;
        }
        f.overlays.resize(overlays);
        for (MouthOverlay& o : f.overlays) {
            const std::uint64_t at = r.pos();
            o.mouth = r.u8();
            const std::uint8_t replace = r.u8();
            o.image = r.u16();
            o.unknown = r.u8();
            const std::uint8_t regionFlag = r.u8();
            o.x = r.i16();
            o.y = r.i16();
            o.centerX = r.u16();
            o.centerY = r.u16();
            if (m_strict && r.ok() && (replace > 1 || regionFlag > 1)) {
                r.failAt(ErrorCode::BadValue, at, "mouth overlay flag is neither 0 nor 1");
            }
            o.replace = replace != 0;
            if (regionFlag != 0) {
                const auto region = r.bytes(r.u32());
                o.region.emplace(region.begin(), region.end());
            }
        }
        if (!r.ok()) {
            break;
        }
    }
    if (!r.ok()) {
        err = r.error();
        return false;
    }
    if (r.pos() != loc.end()) {
        err = Error{ErrorCode::SizeMismatch, r.pos(),
                    "animation record ends at " + hex(r.pos()) + ", not at its locator end " +
                        hex(loc.end())};
        return false;
    }
    return true;
}

bool Loader::parseImages(const Locator& loc) {
    ByteReader r(m_file, loc.offset, loc.end());
    const std::uint32_t count = r.u32();
    if (!r.checkCount(count, 12, kMaxImages, "image directory entries")) {
        return fatal(r.error());
    }
    std::vector<Locator> where;
    std::vector<bool> usable;
    where.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        Locator l;
        bool fits = false;
        if (readEntryLocator(r, l, fits, "image")) {
            where.push_back(l);
            usable.push_back(fits);
        }
        (void)r.u32();  // checksum of an unknown algorithm
    }
    if (!r.ok()) {
        return fatal(r.error());
    }
    if (r.pos() != loc.end() &&
        !problem(ErrorCode::SizeMismatch, r.pos(), "image directory ends before its locator")) {
        return false;
    }
    m_d->images.resize(where.size());
    for (std::size_t i = 0; i < where.size(); ++i) {
        ImageInfo& img = m_d->images[i];
        if (!usable[i]) {
            img.broken = true;  // warned about with the directory
            img.width = img.height = 0;
            continue;
        }
        Error err;
        if (!parseImageRecord(where[i], img, err) || (m_strict && !checkImageData(img, err))) {
            if (m_strict) {
                return fatal(err);
            }
            warn(err.offset, "image " + std::to_string(i) + " drawn empty: " + err.detail);
            img.broken = true;
            if (ImageData::stride(img.width) * img.height > kMaxDecompressedSize) {
                img.width = img.height = 0;
            }
        }
    }
    return true;
}

bool Loader::parseImageRecord(const Locator& loc, ImageInfo& img, Error& err) {
    ByteReader r(m_file, loc.offset, loc.end());
    img.leading = r.u8();
    img.width = r.u16();
    img.height = r.u16();
    img.compressed = r.u8() != 0;
    const std::uint64_t dataAt = r.pos();
    img.pixelSize = r.u32();
    img.pixelOffset = r.pos();
    r.skip(img.pixelSize);
    const std::size_t expected = ImageData::stride(img.width) * img.height;
    if (r.ok() && expected > kMaxDecompressedSize) {
        r.failAt(ErrorCode::LimitExceeded, loc.offset + 1,
                 "image of " + std::to_string(img.width) + "x" + std::to_string(img.height) +
                     " exceeds 16 MiB");
    }
    // A token of at most 31 bits expands to at most 4,096 bytes, so a stream much shorter than
    // expected/1,057 cannot be valid; refusing it here bounds the work of drawing broken images.
    if (r.ok() && img.compressed &&
        expected > std::uint64_t{img.pixelSize} * kMaxExpansion + kMaxExpansion) {
        r.failAt(ErrorCode::SizeMismatch, dataAt,
                 std::to_string(img.pixelSize) + " compressed bytes cannot hold a " +
                     std::to_string(img.width) + "x" + std::to_string(img.height) + " image");
    }
    if (r.ok() && !img.compressed && img.pixelSize != expected) {
        r.failAt(ErrorCode::SizeMismatch, dataAt,
                 "raw image holds " + std::to_string(img.pixelSize) + " bytes, not " +
                     std::to_string(expected));
    }
    const std::uint32_t regionCompressedSize = r.u32();
    img.regionSize = r.u32();
    img.regionCompressed = regionCompressedSize != 0;
    img.regionStoredSize = img.regionCompressed ? regionCompressedSize : img.regionSize;
    img.regionOffset = r.pos();
    r.skip(img.regionStoredSize);
    if (r.ok() && img.regionSize > kMaxDecompressedSize) {
        r.failAt(ErrorCode::LimitExceeded, img.regionOffset - 4, "region data exceeds 16 MiB");
    }
    if (!r.ok()) {
        err = r.error();
        return false;
    }
    if (r.pos() != loc.end()) {
        err = Error{
            ErrorCode::SizeMismatch, r.pos(),
            "image record ends at " + hex(r.pos()) + ", not at its locator end " + hex(loc.end())};
        return false;
    }
    return true;
}

// Strict mode only: every image and region block must decompress to exactly its size, and
// region data must be a well-formed RGNDATA.
bool Loader::checkImageData(const ImageInfo& img, Error& err) {
    std::vector<std::uint8_t> out;
    if (img.compressed) {
        const auto block = m_file.subspan(static_cast<std::size_t>(img.pixelOffset), img.pixelSize);
        err = decompress(block, ImageData::stride(img.width) * img.height, out);
        if (err) {
            err.offset += img.pixelOffset;
            err.detail = "image pixels: " + err.detail;
            return false;
        }
    }
    if (img.regionSize == 0) {
        return true;
    }
    const auto block =
        m_file.subspan(static_cast<std::size_t>(img.regionOffset), img.regionStoredSize);
    if (img.regionCompressed) {
        err = decompress(block, img.regionSize, out);
        if (err) {
            err.offset += img.regionOffset;
            err.detail = "region data: " + err.detail;
            return false;
        }
    } else {
        out.assign(block.begin(), block.end());
    }
    ByteReader rgn(out, 0, out.size());
    const std::uint32_t headerSize = rgn.u32();
    const std::uint32_t type = rgn.u32();
    const std::uint64_t rects = rgn.u32();
    if (!rgn.ok() || headerSize != 32 || type != 1 || 32 + 16 * rects > out.size()) {
        err = Error{ErrorCode::BadValue, img.regionOffset, "region data is not a valid RGNDATA"};
        return false;
    }
    return true;
}

bool Loader::parseSounds(const Locator& loc) {
    ByteReader r(m_file, loc.offset, loc.end());
    const std::uint32_t count = r.u32();
    if (!r.checkCount(count, 12, kMaxSounds, "audio directory entries")) {
        return fatal(r.error());
    }
    m_d->sounds.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        Locator l;
        bool fits = false;
        if (readEntryLocator(r, l, fits, "sound")) {
            // An unusable sound keeps its slot with no bytes, so frame indexes stay put.
            m_d->sounds.push_back(
                fits ? SoundInfo{l.offset, static_cast<std::uint32_t>(l.size), 0, false}
                     : SoundInfo{});
        }
        (void)r.u32();  // checksum
    }
    if (!r.ok()) {
        return fatal(r.error());
    }
    if (r.pos() != loc.end() &&
        !problem(ErrorCode::SizeMismatch, r.pos(), "audio directory ends before its locator")) {
        return false;
    }
    for (std::size_t i = 0; i < m_d->sounds.size(); ++i) {
        SoundInfo& s = m_d->sounds[i];
        ByteReader w(m_file, s.offset, s.offset + s.size);
        const std::uint32_t riff = w.u32();
        const std::uint64_t riffSize = w.u32();
        const std::uint32_t wave = w.u32();
        if (!w.ok() || riff != 0x46464952 || wave != 0x45564157 || riffSize + 8 != s.size) {
            if (!problem(ErrorCode::BadSound, s.offset,
                         "sound " + std::to_string(i) + " is not a RIFF WAVE file of its size")) {
                return false;
            }
            continue;
        }
        // Walk the chunks to the format tag; chunk data is padded to even lengths.
        while (w.ok() && w.remaining() >= 8) {
            const std::uint32_t id = w.u32();
            const std::uint32_t size = w.u32();
            if (id == 0x20746D66) {  // "fmt "
                s.formatTag = w.u16();
                break;
            }
            w.skip(std::uint64_t{size} + (size & 1u));
        }
        s.playable = w.ok() && (s.formatTag == 1 || s.formatTag == 2);
        if (!s.playable) {
            warn(s.offset, "sound " + std::to_string(i) + " has format tag " +
                               std::to_string(s.formatTag) + " and will not play");
        }
    }
    return true;
}

bool Loader::validate() {
    auto& anims = m_d->animations;
    const std::size_t imageCount = m_d->images.size();
    const std::size_t soundCount = m_d->sounds.size();
    for (std::size_t i = 0; i < anims.size(); ++i) {
        const std::string key = names::fold(anims[i].name);
        if (!m_d->animationByFoldedName.emplace(key, i).second) {
            warn(m_animOffsets[i], "animation \"" + anims[i].name +
                                       "\" has the same name as an earlier one; the first wins");
        }
    }
    for (std::size_t ai = 0; ai < anims.size(); ++ai) {
        Animation& a = anims[ai];
        const std::uint64_t at = m_animOffsets[ai];
        const std::string where = "animation \"" + a.name + "\"";
        if (!names::same(a.recordName, a.name)) {
            warn(at, where + ": record name \"" + a.recordName + "\" differs");
        }
        if (a.transition > 2) {
            if (!problem(ErrorCode::BadValue, at,
                         where + ": transition type " + std::to_string(a.transition))) {
                return false;
            }
            a.transition = 2;
        }
        if (!a.returnAnimation.empty()) {
            const auto it = m_d->animationByFoldedName.find(names::fold(a.returnAnimation));
            if (a.transition != 0) {
                if (!problem(ErrorCode::BadValue, at,
                             where + ": return animation with transition type " +
                                 std::to_string(a.transition))) {
                    return false;
                }
            } else if (it == m_d->animationByFoldedName.end()) {
                if (!problem(ErrorCode::BadReference, at,
                             where + ": return animation \"" + a.returnAnimation +
                                 "\" does not exist")) {
                    return false;
                }
            } else {
                a.returnIndex = it->second;
            }
        } else if (a.transition == 0) {
            // Owes nothing; playback sees a type 0 without returnIndex.
            warn(at, where + ": transition type 0 without a return animation");
        }
        const std::size_t frameCount = a.frames.size();
        for (std::size_t fi = 0; fi < frameCount; ++fi) {
            Frame& f = a.frames[fi];
            const std::string fwhere = where + " frame " + std::to_string(fi);
            for (std::size_t k = f.images.size(); k-- > 0;) {
                if (f.images[k].image >= imageCount) {
                    if (!problem(ErrorCode::BadReference, at,
                                 fwhere + ": image " + std::to_string(f.images[k].image) +
                                     " does not exist")) {
                        return false;
                    }
                    f.images.erase(f.images.begin() + static_cast<std::ptrdiff_t>(k));
                }
            }
            if (f.sound != kNoSound && f.sound >= soundCount) {
                warn(at, fwhere + ": sound " + std::to_string(f.sound) +
                             " does not exist; played without sound");
                f.sound = kNoSound;
            }
            if (f.exitValue < kExitNextFrame ||
                (f.exitValue >= 0 && static_cast<std::size_t>(f.exitValue) >= frameCount)) {
                if (!problem(ErrorCode::BadReference, at,
                             fwhere + ": exit value " + std::to_string(f.exitValue) +
                                 " is not a frame")) {
                    return false;
                }
                f.exitValue = kExitEnd;
            }
            unsigned total = 0;
            for (std::size_t k = 0; k < f.branches.size();) {
                const Branch& b = f.branches[k];
                std::string bad;
                if (b.frame >= frameCount) {
                    bad = "branch to frame " + std::to_string(b.frame) + " which does not exist";
                } else if (total + b.percent > 100) {
                    bad = "branch probabilities add up to more than 100";
                }
                if (bad.empty()) {
                    total += b.percent;
                    ++k;
                    continue;
                }
                if (!problem(ErrorCode::BadReference, at, fwhere + ": " + bad)) {
                    return false;
                }
                f.branches.erase(f.branches.begin() + static_cast<std::ptrdiff_t>(k));
            }
            for (std::size_t k = f.overlays.size(); k-- > 0;) {
                const MouthOverlay& o = f.overlays[k];
                std::string bad;
                if (o.mouth > 6) {
                    bad = "mouth type " + std::to_string(o.mouth);
                } else if (o.image >= imageCount) {
                    bad = "overlay image " + std::to_string(o.image) + " does not exist";
                }
                if (!bad.empty()) {
                    if (!problem(ErrorCode::BadReference, at, fwhere + ": " + bad)) {
                        return false;
                    }
                    f.overlays.erase(f.overlays.begin() + static_cast<std::ptrdiff_t>(k));
                }
            }
        }
    }
    for (State& s : m_d->info.states) {
        s.animationIndices.clear();
        for (const std::string& name : s.animations) {
            const auto it = m_d->animationByFoldedName.find(names::fold(name));
            if (it == m_d->animationByFoldedName.end()) {
                if (!problem(ErrorCode::BadReference, 0,
                             "state " + s.name + ": animation \"" + name + "\" does not exist")) {
                    return false;
                }
                continue;
            }
            s.animationIndices.push_back(it->second);
        }
    }
    return true;
}

}  // namespace

LoadResult loadCharacter(std::shared_ptr<const std::vector<std::uint8_t>> bytes, Mode mode) {
    if (!bytes) {
        bytes = std::make_shared<const std::vector<std::uint8_t>>();
    }
    return Loader(std::move(bytes), mode).run();
}

LoadResult loadCharacter(std::vector<std::uint8_t> bytes, Mode mode) {
    return loadCharacter(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)), mode);
}

}  // namespace acs
