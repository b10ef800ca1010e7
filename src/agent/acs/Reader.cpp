// loadCharacter: parse every block by its locator, then validate every cross-reference once.

#include "agent/acs/Decompressor.h"
#include "agent/acs/Fields.h"
#include "agent/acs/Loader.h"

#include <cstdio>
#include <cstring>

namespace acs {

namespace detail {

// A directory entry's locator. In lenient mode one that points outside the file spoils only
// its own entry: `usable` turns false and the directory is read on.
bool Loader::readEntryLocator(bytes::Reader& r, Locator& loc, bool& usable, const char* what) {
    const std::uint64_t at = r.pos();
    loc.offset = r.u32();
    loc.size = r.u32();
    usable = true;
    if (!r.ok() || bytes::locatorFits(loc.offset, loc.size, m_file.size())) {
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

bool Loader::readLocator(bytes::Reader& r, Locator& loc, const char* what) {
    const std::uint64_t at = r.pos();
    loc.offset = r.u32();
    loc.size = r.u32();
    if (!r.ok()) {
        return false;
    }
    if (!bytes::locatorFits(loc.offset, loc.size, m_file.size())) {
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
        bytes::Reader r(m_file, 0, kHeaderSize);
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

// Records of the character info block, one function each. Readers with a sticky error: the
// caller looks at r.ok() once they are done.

bool Loader::parseAnimations(const Locator& loc) {
    bytes::Reader r(m_file, loc.offset, loc.end());
    const std::uint32_t count = r.u32();
    if (!r.checkCount(count, 12, kMaxAnimations, "animation directory entries")) {
        return fatal(r.error());
    }
    std::vector<std::pair<std::string, Locator>> entries;
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        std::string name = readString(r, m_strict);
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
    bytes::Reader r(m_file, loc.offset, loc.end());
    anim.recordName = readString(r, m_strict);
    anim.transition = r.u8();
    anim.returnAnimation = readString(r, m_strict);
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
    bytes::Reader r(m_file, loc.offset, loc.end());
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
    bytes::Reader r(m_file, loc.offset, loc.end());
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
    bytes::Reader rgn(out, 0, out.size());
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
    bytes::Reader r(m_file, loc.offset, loc.end());
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
        bytes::Reader w(m_file, s.offset, s.offset + s.size);
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

// Cross-references, one check per record kind. Each returns false when loading must stop; in
// lenient mode a broken reference is dropped or cleared with a warning instead.

}  // namespace detail

LoadResult loadCharacter(std::shared_ptr<const std::vector<std::uint8_t>> bytes, Mode mode) {
    if (!bytes) {
        bytes = std::make_shared<const std::vector<std::uint8_t>>();
    }
    return detail::Loader(std::move(bytes), mode).run();
}

LoadResult loadCharacter(std::vector<std::uint8_t> bytes, Mode mode) {
    return loadCharacter(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)), mode);
}

}  // namespace acs
