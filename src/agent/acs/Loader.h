#pragma once

// The character file loader shared by the reader's units: the file's limits, locators and the
// Loader that parses every block by its locator and then validates every cross-reference.
// Private to the library.

#include "agent/acs/Character.h"
#include "agent/acs/CharacterPrivate.h"
#include "bytes/Reader.h"

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace acs::detail {

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

inline std::string hex(std::uint64_t v) {
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
    bool readLocator(bytes::Reader& r, Locator& loc, const char* what);
    bool readEntryLocator(bytes::Reader& r, Locator& loc, bool& usable, const char* what);

    bool parseCharacterInfo(const Locator& loc);
    bool parseInfoHeader(bytes::Reader& r, const Locator& loc, Locator& localized);
    bool parseLocalized(const Locator& info, const Locator& localized);
    bool parseAnimations(const Locator& loc);
    bool parseAnimationRecord(const Locator& loc, Animation& anim, Error& err);
    bool parseImages(const Locator& loc);
    bool parseImageRecord(const Locator& loc, ImageInfo& img, Error& err);
    bool checkImageData(const ImageInfo& img, Error& err);
    bool parseSounds(const Locator& loc);
    bool validate();
    void indexAnimationNames();
    bool checkAnimation(Animation& a, std::uint64_t at);
    bool checkTransition(Animation& a, std::uint64_t at, const std::string& where);
    bool checkFrameImages(Frame& f, std::uint64_t at, const std::string& fwhere);
    bool checkSoundAndExit(Frame& f, std::size_t frameCount, std::uint64_t at,
                           const std::string& fwhere);
    bool checkBranches(Frame& f, std::size_t frameCount, std::uint64_t at,
                       const std::string& fwhere);
    bool checkOverlays(Frame& f, std::uint64_t at, const std::string& fwhere);
    bool resolveStates();

    std::shared_ptr<const std::vector<std::uint8_t>> m_bytes;
    std::span<const std::uint8_t> m_file;
    bool m_strict;
    std::unique_ptr<Character::Private> m_d;
    std::vector<std::uint64_t> m_animOffsets;  // record offset of each kept animation
    Error m_error;
    std::vector<std::string> m_warnings;
};

}  // namespace acs::detail
