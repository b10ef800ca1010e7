// The character info block: one function per record.

#include "agent/acs/Loader.h"

#include "agent/acs/Fields.h"

namespace acs::detail {

namespace {

void readVoice(bytes::Reader& r, bool strict, CharacterInfo& info) {
    VoiceInfo v;
    v.engine = readGuid(r);
    v.mode = readGuid(r);
    v.speed = r.u32();
    v.pitch = r.u16();
    v.hasExtra = r.u8() != 0;
    if (v.hasExtra) {
        v.langId = r.u16();
        v.dialect = readString(r, strict);
        v.gender = r.u16();
        v.age = r.u16();
        v.style = readString(r, strict);
    }
    info.voice = std::move(v);
}

void readBalloon(bytes::Reader& r, bool strict, CharacterInfo& info) {
    BalloonInfo b;
    b.lines = r.u8();
    b.charsPerLine = r.u8();
    b.text = readRgbx(r);
    b.background = readRgbx(r);
    b.border = readRgbx(r);
    b.fontFace = readString(r, strict);
    b.fontHeight = r.i32();
    b.fontWeight = r.i32();
    b.italic = r.u8();
    b.unknown = r.u8();
    info.balloon = std::move(b);
}

void readPalette(bytes::Reader& r, CharacterInfo& info) {
    const std::uint64_t at = r.pos();
    const std::uint32_t count = r.u32();
    if (r.ok() && (count == 0 || count > 256)) {
        r.failAt(ErrorCode::BadValue, at,
                 "palette of " + std::to_string(count) + " entries (1..256 allowed)");
        return;
    }
    if (r.checkCount(count, 4, 256, "palette entries")) {
        info.palette.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            info.palette.push_back(readBgrx(r));
        }
    }
}

void readTrayIcon(bytes::Reader& r, CharacterInfo& info) {
    const std::uint64_t at = r.pos();
    const std::uint8_t tray = r.u8();
    if (r.ok() && tray > 1) {
        r.failAt(ErrorCode::BadValue, at, "tray-icon flag " + std::to_string(tray));
        return;
    }
    if (tray == 1) {
        TrayIcon icon;
        const auto mask = r.bytes(r.u32());
        icon.mask.assign(mask.begin(), mask.end());
        const auto colour = r.bytes(r.u32());
        icon.color.assign(colour.begin(), colour.end());
        info.trayIcon = std::move(icon);
    }
}

void readStates(bytes::Reader& r, bool strict, CharacterInfo& info) {
    const std::uint16_t stateCount = r.u16();
    if (!r.checkCount(stateCount, 6, 0xFFFF, "states")) {
        return;
    }
    info.states.resize(stateCount);
    for (State& s : info.states) {
        s.name = readString(r, strict);
        const std::uint16_t n = r.u16();
        if (!r.checkCount(n, 4, 0xFFFF, "state animations")) {
            return;
        }
        s.animations.reserve(n);
        for (std::uint16_t i = 0; i < n && r.ok(); ++i) {
            s.animations.push_back(readString(r, strict));
        }
    }
}

void readLocalizedList(bytes::Reader& l, bool strict, CharacterInfo& info) {
    const std::uint16_t count = l.u16();
    if (!l.checkCount(count, 14, 0xFFFF, "localized-info entries")) {
        return;
    }
    info.localized.reserve(count);
    for (std::uint16_t i = 0; i < count && l.ok(); ++i) {
        LocalizedInfo e;
        e.langId = l.u16();
        e.name = readString(l, strict);
        e.description = readString(l, strict);
        e.extra = readString(l, strict);
        if (l.ok()) {
            info.localized.push_back(std::move(e));
        }
    }
}

}  // namespace

// The fixed fields at the start of the character info; `localized` gets the locator of the
// localized-info list.
bool Loader::parseInfoHeader(bytes::Reader& r, const Locator& loc, Locator& localized) {
    CharacterInfo& info = m_d->info;
    info.minorVersion = r.u16();
    info.majorVersion = r.u16();
    localized.offset = r.u32();
    localized.size = r.u32();
    info.guid = readGuid(r);
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
    return true;
}

bool Loader::parseCharacterInfo(const Locator& loc) {
    bytes::Reader r(m_file, loc.offset, loc.end());
    CharacterInfo& info = m_d->info;
    Locator localized;
    if (!parseInfoHeader(r, loc, localized)) {
        return false;
    }
    if (info.flags & kFlagVoice) {
        readVoice(r, m_strict, info);
    }
    if (info.flags & kFlagBalloon) {
        readBalloon(r, m_strict, info);
    }
    readPalette(r, info);
    readTrayIcon(r, info);
    readStates(r, m_strict, info);
    if (!r.ok()) {
        return fatal(r.error());
    }
    if (r.pos() != localized.offset &&
        !problem(ErrorCode::SizeMismatch, r.pos(),
                 "character info ends at " + hex(r.pos()) + ", not at the localized-info offset " +
                     hex(localized.offset))) {
        return false;
    }
    return parseLocalized(loc, localized);
}

// The localized list must stay inside its own locator and end exactly where the character
// info block ends.
bool Loader::parseLocalized(const Locator& info, const Locator& localized) {
    if (!bytes::locatorFits(localized.offset, localized.size, m_file.size())) {
        return problem(ErrorCode::BadLocator, info.offset + 4,
                       "localized-info locator lies outside the file");
    }
    bytes::Reader l(m_file, localized.offset, localized.end());
    readLocalizedList(l, m_strict, m_d->info);
    if (!l.ok()) {
        if (m_strict) {
            return fatal(l.error());
        }
        warn(l.error().offset, "localized info: " + l.error().detail);
        return true;
    }
    if (l.pos() != info.end()) {
        return problem(ErrorCode::SizeMismatch, l.pos(),
                       "localized info ends at " + hex(l.pos()) +
                           ", not at the end of the character info " + hex(info.end()));
    }
    return true;
}

}  // namespace acs::detail
