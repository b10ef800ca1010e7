#include "agent/acs/Writer.h"

#include "agent/acs/Character.h"
#include "agent/acs/Decompressor.h"
#include "agent/acs/Fields.h"
#include "bytes/Writer.h"

#include <algorithm>
#include <limits>

namespace acs {

namespace {

struct Loc {
    std::size_t offset = 0;
    std::size_t size = 0;
};

template <typename T>
std::uint16_t count16(const std::vector<T>& v) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(v.size(), 0xFFFF));
}
template <typename T>
std::uint8_t count8(const std::vector<T>& v) {
    return static_cast<std::uint8_t>(std::min<std::size_t>(v.size(), 0xFF));
}

void writeAnimationRecord(bytes::Writer& w, const Animation& a) {
    writeString(w, a.recordName.empty() ? upperAscii(a.name) : a.recordName);
    w.u8(a.transition);
    writeString(w, a.returnAnimation);
    w.u16(count16(a.frames));
    for (std::size_t fi = 0; fi < count16(a.frames); ++fi) {
        const Frame& f = a.frames[fi];
        w.u16(count16(f.images));
        for (std::size_t k = 0; k < count16(f.images); ++k) {
            w.u32(f.images[k].image);
            w.i16(f.images[k].x);
            w.i16(f.images[k].y);
        }
        w.u16(f.sound);
        w.u16(f.duration);
        w.i16(f.exitValue);
        w.u8(count8(f.branches));
        for (std::size_t k = 0; k < count8(f.branches); ++k) {
            w.u16(f.branches[k].frame);
            w.u16(f.branches[k].percent);
        }
        w.u8(count8(f.overlays));
        for (std::size_t k = 0; k < count8(f.overlays); ++k) {
            const MouthOverlay& o = f.overlays[k];
            w.u8(o.mouth);
            w.u8(o.replace ? 1 : 0);
            w.u16(o.image);
            w.u8(o.unknown);
            w.u8(o.region ? 1 : 0);
            w.i16(o.x);
            w.i16(o.y);
            w.u16(o.centerX);
            w.u16(o.centerY);
            if (o.region) {
                writeDatablock(w, *o.region);
            }
        }
    }
}

void writeImageRecord(bytes::Writer& w, const ImageData& img) {
    w.u8(img.leading);
    w.u16(img.width);
    w.u16(img.height);
    w.u8(1);  // compressed, as in every real file
    writeDatablock(w, compress(img.pixels));
    if (img.region.empty()) {
        w.u32(0);
        w.u32(0);
    } else {
        const auto packed = compress(img.region);
        w.size32(packed.size());
        w.size32(img.region.size());
        w.raw(packed);
    }
}

void writeCharacterInfo(bytes::Writer& w, const CharacterInfo& info) {
    const std::size_t start = w.pos();
    std::uint32_t flags = info.flags & ~(kFlagVoice | kFlagBalloon);
    if (info.voice) {
        flags |= kFlagVoice;
    }
    if (info.balloon) {
        flags |= kFlagBalloon;
    }
    w.u16(info.minorVersion);
    w.u16(info.majorVersion);
    const std::size_t localizedLocator = w.pos();
    w.u32(0);
    w.u32(0);
    writeGuid(w, info.guid);
    w.u16(info.width);
    w.u16(info.height);
    w.u8(info.transparentIndex);
    w.u32(flags);
    w.u16(info.animationSetMajor);
    w.u16(info.animationSetMinor);
    if (info.voice) {
        const VoiceInfo& v = *info.voice;
        writeGuid(w, v.engine);
        writeGuid(w, v.mode);
        w.u32(v.speed);
        w.u16(v.pitch);
        w.u8(v.hasExtra ? 1 : 0);
        if (v.hasExtra) {
            w.u16(v.langId);
            writeString(w, v.dialect);
            w.u16(v.gender);
            w.u16(v.age);
            writeString(w, v.style);
        }
    }
    if (info.balloon) {
        const BalloonInfo& b = *info.balloon;
        w.u8(b.lines);
        w.u8(b.charsPerLine);
        writeRgbx(w, b.text);
        writeRgbx(w, b.background);
        writeRgbx(w, b.border);
        writeString(w, b.fontFace);
        w.i32(b.fontHeight);
        w.i32(b.fontWeight);
        w.u8(b.italic);
        w.u8(b.unknown);
    }
    w.size32(info.palette.size());
    for (const Rgb& c : info.palette) {
        writeBgrx(w, c);
    }
    w.u8(info.trayIcon ? 1 : 0);
    if (info.trayIcon) {
        writeDatablock(w, info.trayIcon->mask);
        writeDatablock(w, info.trayIcon->color);
    }
    w.u16(count16(info.states));
    for (std::size_t i = 0; i < count16(info.states); ++i) {
        const State& s = info.states[i];
        writeString(w, s.name);
        w.u16(count16(s.animations));
        for (std::size_t k = 0; k < count16(s.animations); ++k) {
            writeString(w, s.animations[k]);
        }
    }
    const std::size_t localizedStart = w.pos();
    w.u16(count16(info.localized));
    for (std::size_t i = 0; i < count16(info.localized); ++i) {
        const LocalizedInfo& l = info.localized[i];
        w.u16(l.langId);
        writeString(w, l.name);
        writeString(w, l.description);
        writeString(w, l.extra);
    }
    w.patch32(localizedLocator, localizedStart);
    w.patch32(localizedLocator + 4, w.pos() - localizedStart);
    (void)start;
}

}  // namespace

std::vector<std::uint8_t> writeCharacterUnchecked(const CharacterData& data) {
    bytes::Writer w;
    w.u32(0xABCDABC3);
    for (int i = 0; i < 8; ++i) {
        w.u32(0);  // four locators, patched at the end
    }
    // Data first, directories last, as in real files.
    std::vector<Loc> images;
    for (const ImageData& img : data.images) {
        const std::size_t at = w.pos();
        writeImageRecord(w, img);
        images.push_back({at, w.pos() - at});
    }
    std::vector<Loc> sounds;
    for (const auto& sound : data.sounds) {
        sounds.push_back({w.pos(), sound.size()});
        w.raw(sound);
    }
    std::vector<Loc> anims;
    for (const Animation& a : data.animations) {
        const std::size_t at = w.pos();
        writeAnimationRecord(w, a);
        anims.push_back({at, w.pos() - at});
    }
    Loc header[4];
    header[0].offset = w.pos();
    writeCharacterInfo(w, data.info);
    header[0].size = w.pos() - header[0].offset;

    header[1].offset = w.pos();
    w.size32(anims.size());
    for (std::size_t i = 0; i < anims.size(); ++i) {
        writeString(w, data.animations[i].name);
        w.size32(anims[i].offset);
        w.size32(anims[i].size);
    }
    header[1].size = w.pos() - header[1].offset;

    header[2].offset = w.pos();
    w.size32(images.size());
    for (const Loc& l : images) {
        w.size32(l.offset);
        w.size32(l.size);
        w.u32(0);  // checksum: its algorithm is unknown and nothing reads it
    }
    header[2].size = w.pos() - header[2].offset;

    header[3].offset = w.pos();
    w.size32(sounds.size());
    for (const Loc& l : sounds) {
        w.size32(l.offset);
        w.size32(l.size);
        w.u32(0);
    }
    header[3].size = w.pos() - header[3].offset;

    for (std::size_t i = 0; i < 4; ++i) {
        w.patch32(4 + 8 * i, header[i].offset);
        w.patch32(8 + 8 * i, header[i].size);
    }
    return w.take();
}

WriteResult writeCharacter(const CharacterData& data) {
    const auto fail = [](std::string detail) {
        return WriteResult(Error{ErrorCode::WriteFailed, 0, std::move(detail)});
    };
    // Counts the format stores in fewer bits than a vector can hold would be cut silently.
    if (data.info.states.size() > 0xFFFF || data.info.localized.size() > 0xFFFF) {
        return fail("too many states or localized entries");
    }
    for (const Animation& a : data.animations) {
        if (a.frames.size() > 0xFFFF) {
            return fail("animation \"" + a.name + "\" has too many frames");
        }
        for (const Frame& f : a.frames) {
            if (f.images.size() > 0xFFFF || f.branches.size() > 0xFF || f.overlays.size() > 0xFF) {
                return fail("animation \"" + a.name + "\" has a frame with too many entries");
            }
        }
    }
    for (std::size_t i = 0; i < data.images.size(); ++i) {
        const ImageData& img = data.images[i];
        if (img.pixels.size() != ImageData::stride(img.width) * img.height) {
            return fail("image " + std::to_string(i) + " holds " +
                        std::to_string(img.pixels.size()) + " bytes, not stride x height");
        }
    }
    auto bytes = writeCharacterUnchecked(data);
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return fail("the character does not fit in 4 GiB");
    }
    const LoadResult check = loadCharacter(bytes, Mode::Strict);
    if (!check.ok()) {
        return check.error;
    }
    return bytes;
}

std::vector<std::uint8_t> buildRegion(const ImageData& image, std::uint8_t transparentIndex) {
    struct Rect {
        std::int32_t left, top, right, bottom;
    };
    std::vector<Rect> rects;
    std::vector<Rect> previousRow;  // rects that ended on the previous row, open for merging
    for (std::size_t row = 0; row < image.height; ++row) {
        std::vector<Rect> current;
        for (std::size_t col = 0; col < image.width;) {
            if (image.at(col, row) == transparentIndex) {
                ++col;
                continue;
            }
            const std::size_t startCol = col;
            while (col < image.width && image.at(col, row) != transparentIndex) {
                ++col;
            }
            current.push_back({static_cast<std::int32_t>(startCol), static_cast<std::int32_t>(row),
                               static_cast<std::int32_t>(col), static_cast<std::int32_t>(row + 1)});
        }
        const bool same = current.size() == previousRow.size() &&
                          std::equal(current.begin(), current.end(), previousRow.begin(),
                                     [](const Rect& a, const Rect& b) {
                                         return a.left == b.left && a.right == b.right;
                                     });
        if (same && !current.empty()) {
            for (Rect& r : previousRow) {
                r.bottom += 1;
            }
        } else {
            rects.insert(rects.end(), previousRow.begin(), previousRow.end());
            previousRow = std::move(current);
        }
    }
    rects.insert(rects.end(), previousRow.begin(), previousRow.end());

    bytes::Writer w;
    Rect bound{0, 0, 0, 0};
    if (!rects.empty()) {
        bound = rects.front();
        for (const Rect& r : rects) {
            bound.left = std::min(bound.left, r.left);
            bound.top = std::min(bound.top, r.top);
            bound.right = std::max(bound.right, r.right);
            bound.bottom = std::max(bound.bottom, r.bottom);
        }
    }
    w.u32(32);
    w.u32(1);
    w.size32(rects.size());
    w.size32(rects.size() * 16);
    for (const std::int32_t v : {bound.left, bound.top, bound.right, bound.bottom}) {
        w.i32(v);
    }
    for (const Rect& r : rects) {
        for (const std::int32_t v : {r.left, r.top, r.right, r.bottom}) {
            w.i32(v);
        }
    }
    return w.take();
}

}  // namespace acs
