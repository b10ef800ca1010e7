#pragma once

// What a Character holds; filled by the reader (Reader.cpp), used by Character.cpp.

#include "agent/acs/Character.h"

#include <map>
#include <mutex>

namespace acs {

struct Character::Private {
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    CharacterInfo info;
    std::vector<Animation> animations;
    std::vector<ImageInfo> images;
    std::vector<SoundInfo> sounds;
    std::map<std::string, std::size_t> animationByFoldedName;  // first of each folded name

    // Caches of decoded images and composed frames, bounded so that a whole character is
    // never expanded at once. Entries are evicted least recently used first.
    struct CachedImage {
        std::size_t index;
        std::uint64_t used;
        std::shared_ptr<const ImageData> image;
    };
    struct CachedFrame {
        std::size_t anim;
        std::size_t frame;
        int mouth;
        std::uint64_t used;
        std::shared_ptr<const ComposedFrame> composed;
    };
    mutable std::mutex mutex;
    mutable std::vector<CachedImage> imageCache;
    mutable std::vector<CachedFrame> frameCache;
    mutable std::uint64_t clock = 0;
};

// Decodes one image record from the file: pixels (and the region when `withRegion`). Never
// fails: a broken or undecodable image comes back filled with `fill` (short output padded).
// Returns the error met, if any, through `error`.
ImageData decodeImage(std::span<const std::uint8_t> file, const ImageInfo& info, std::uint8_t fill,
                      bool withRegion, Error* error = nullptr);

}  // namespace acs
