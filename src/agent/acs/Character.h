#pragma once

// A loaded character: validated metadata plus the file bytes, from which images are decoded on
// demand. After a successful load every cross-reference resolves (image indexes, overlay
// images, sound indexes other than kNoSound, branch and exit targets, state entries,
// return animations), so playback and drawing can index without checks.

#include "agent/acs/Error.h"
#include "agent/acs/Model.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace acs {

// Where an image record's parts lie in the file. Offsets are absolute file offsets.
struct ImageInfo {
    std::uint8_t leading = 1;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    bool compressed = true;
    std::uint64_t pixelOffset = 0;  // start of the pixel bytes (after the DATABLOCK count)
    std::uint32_t pixelSize = 0;
    bool regionCompressed = true;
    std::uint64_t regionOffset = 0;
    std::uint32_t regionStoredSize = 0;  // bytes in the file
    std::uint32_t regionSize = 0;        // bytes once decompressed
    bool broken = false;  // lenient mode: the record was unusable; drawn as an empty image
};

struct SoundInfo {
    std::uint64_t offset = 0;  // absolute file offset of the RIFF WAVE file
    std::uint32_t size = 0;
    std::uint16_t formatTag = 0;  // 1 PCM, 2 MS ADPCM; 0 when unknown
    bool playable = false;        // RIFF WAVE with format tag 1 or 2
};

// A composed frame: top-down, width × height pixels. `rgba` holds 4 bytes per pixel with
// straight alpha that is either 0 (then the pixel is (0,0,0,0)) or 255. `mask` holds one byte
// per pixel: 1 where the character is opaque, 0 elsewhere.
struct ComposedFrame {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::uint8_t> rgba;
    std::vector<std::uint8_t> mask;
};

class Character {
public:
    // Use loadCharacter(); public only so that std::make_shared can reach it.
    struct Private;
    explicit Character(std::unique_ptr<Private> d);
    ~Character();
    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    const CharacterInfo& info() const;
    std::uint16_t width() const { return info().width; }
    std::uint16_t height() const { return info().height; }

    // Animations in directory order (lenient mode may have dropped broken ones).
    const std::vector<Animation>& animations() const;
    // Directory index of the animation whose name matches `name` (names::same).
    std::optional<std::size_t> findAnimation(std::string_view name) const;
    // State whose name matches `name` (names::same), or nullptr.
    const State* findState(std::string_view name) const;
    // The localized entry for a Japanese interface: 0x0411, primary 0x11, 0x0409, primary
    // 0x09, then the first entry; nullptr when the list is empty.
    const LocalizedInfo* preferredLocalizedInfo() const;

    const std::vector<ImageInfo>& images() const;
    const std::vector<SoundInfo>& sounds() const;

    // Decodes image `index` (pixels as stored, see ImageData; region left empty). Returns
    // nullptr for an index past the list. A broken image (lenient mode) decodes to an image of
    // its size filled with the transparent index. Results are cached; safe from any thread.
    std::shared_ptr<const ImageData> image(std::size_t index) const;
    // The stored bytes of sound `index` (a complete RIFF WAVE file); empty past the list.
    // The span stays valid while the Character lives.
    std::span<const std::uint8_t> soundBytes(std::size_t index) const;

    // Draws frame `frameIndex` of animation `animIndex`: layers last to first (image 0 on
    // top), clipped to the frame. With `mouth` in 0..6 the frame's first overlay of that mouth
    // type is drawn on top (replace overlays leave out image 0); without such an overlay, or
    // with kNoMouth, the plain frame is drawn. Out-of-range indexes give an empty (fully
    // transparent) frame. Results are kept in a small cache; safe from any thread.
    std::shared_ptr<const ComposedFrame> composeFrame(std::size_t animIndex, std::size_t frameIndex,
                                                      int mouth = kNoMouth) const;

    // Decodes every image once (without caching) and returns one warning line per image whose
    // data does not decode to exactly its size; such images are drawn empty or padded. Strict
    // loading already guarantees an empty list; lenient loading defers this work, so the app
    // may call it later (from any thread) to learn about damage. Time grows with pixel count.
    std::vector<std::string> verifyImages() const;

    // Everything in memory: decodes every image (with its region data) and copies every sound.
    CharacterData toData() const;

    // The file the character was read from.
    std::span<const std::uint8_t> fileBytes() const;

private:
    std::unique_ptr<Private> d;
};

struct LoadResult {
    std::shared_ptr<const Character> character;  // null on failure
    Error error;
    std::vector<std::string> warnings;  // one line each, with a file offset
    bool ok() const { return character != nullptr; }
};

// Reads a character from the bytes of a file. Never throws on bad input: every failure comes
// back as an Error with the file offset where it was found. Refuses Agent 1.5 (OLE) files and
// .acf web-delivery indexes with their own codes and messages. In strict mode every block must
// parse to exactly its locator, every image and region block must decompress to exactly its
// size, and every cross-reference must resolve. In lenient mode a broken animation is dropped,
// a broken image is kept as an empty slot, and dangling references are neutralised (layer,
// overlay or branch dropped; sound, exit value or return animation cleared), each with a
// warning. The bytes are kept by the Character for lazy image decoding.
LoadResult loadCharacter(std::vector<std::uint8_t> bytes, Mode mode);
LoadResult loadCharacter(std::shared_ptr<const std::vector<std::uint8_t>> bytes, Mode mode);

}  // namespace acs
