#include "agent/acs/Character.h"

#include "agent/acs/ByteReader.h"
#include "agent/acs/CharacterPrivate.h"
#include "agent/acs/Compositor.h"
#include "agent/acs/Decompressor.h"
#include "names/NameFold.h"

#include <algorithm>

namespace acs {

namespace {

constexpr std::size_t kImageCacheBytes = 8u * 1024u * 1024u;
constexpr std::size_t kFrameCacheEntries = 16;

std::string hexOffset(std::uint64_t v) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return out;
}

}  // namespace

ImageData decodeImage(std::span<const std::uint8_t> file, const ImageInfo& info, std::uint8_t fill,
                      bool withRegion, Error* error) {
    ImageData img;
    img.leading = info.leading;
    img.width = info.width;
    img.height = info.height;
    const std::size_t expected = ImageData::stride(info.width) * info.height;
    if (expected > kMaxDecompressedSize) {
        img.width = img.height = 0;
        return img;
    }
    Error err;
    const bool inFile = locatorFits(info.pixelOffset, info.pixelSize, file.size());
    if (info.broken || !inFile) {
        img.pixels.assign(expected, fill);
    } else {
        const auto block = file.subspan(static_cast<std::size_t>(info.pixelOffset), info.pixelSize);
        if (info.compressed) {
            bool wasShort = false;
            err = decompress(block, expected, img.pixels, true, fill, &wasShort);
            if (err) {
                img.pixels.assign(expected, fill);
            } else if (wasShort) {
                err = Error{ErrorCode::BadCompressedData, 0, "pixels end short of the image size"};
            }
        } else {
            img.pixels.assign(block.begin(), block.end());
            img.pixels.resize(expected, fill);
        }
    }
    if (withRegion && !info.broken && info.regionSize > 0 &&
        locatorFits(info.regionOffset, info.regionStoredSize, file.size())) {
        const auto block =
            file.subspan(static_cast<std::size_t>(info.regionOffset), info.regionStoredSize);
        if (info.regionCompressed) {
            const Error regionErr = decompress(block, info.regionSize, img.region);
            if (regionErr) {
                img.region.clear();
                if (!err) {
                    err = regionErr;
                }
            }
        } else {
            img.region.assign(block.begin(), block.end());
        }
    }
    if (error) {
        *error = err;
    }
    return img;
}

Character::Character(std::unique_ptr<Private> p) : d(std::move(p)) {}
Character::~Character() = default;

const CharacterInfo& Character::info() const {
    return d->info;
}
const std::vector<Animation>& Character::animations() const {
    return d->animations;
}
const std::vector<ImageInfo>& Character::images() const {
    return d->images;
}
const std::vector<SoundInfo>& Character::sounds() const {
    return d->sounds;
}
std::span<const std::uint8_t> Character::fileBytes() const {
    return *d->bytes;
}

std::optional<std::size_t> Character::findAnimation(std::string_view name) const {
    const auto it = d->animationByFoldedName.find(names::fold(name));
    if (it == d->animationByFoldedName.end()) {
        return std::nullopt;
    }
    return it->second;
}

const State* Character::findState(std::string_view name) const {
    const std::string key = names::fold(name);
    for (const State& s : d->info.states) {
        if (names::fold(s.name) == key) {
            return &s;
        }
    }
    return nullptr;
}

const LocalizedInfo* Character::preferredLocalizedInfo() const {
    const auto& list = d->info.localized;
    if (list.empty()) {
        return nullptr;
    }
    const auto find = [&](auto pred) -> const LocalizedInfo* {
        const auto it = std::find_if(list.begin(), list.end(), pred);
        return it == list.end() ? nullptr : &*it;
    };
    for (const std::uint16_t primary : {std::uint16_t{0x11}, std::uint16_t{0x09}}) {
        const auto full = static_cast<std::uint16_t>(primary == 0x11 ? 0x0411 : 0x0409);
        if (const auto* e = find([&](const LocalizedInfo& l) { return l.langId == full; })) {
            return e;
        }
        if (const auto* e =
                find([&](const LocalizedInfo& l) { return (l.langId & 0x3FF) == primary; })) {
            return e;
        }
    }
    return &list.front();
}

std::shared_ptr<const ImageData> Character::image(std::size_t index) const {
    if (index >= d->images.size()) {
        return nullptr;
    }
    std::lock_guard lock(d->mutex);
    auto& cache = d->imageCache;
    for (auto& entry : cache) {
        if (entry.index == index) {
            entry.used = ++d->clock;
            return entry.image;
        }
    }
    auto decoded = std::make_shared<const ImageData>(
        decodeImage(*d->bytes, d->images[index], d->info.transparentIndex, false));
    std::size_t total = decoded->pixels.size();
    for (const auto& entry : cache) {
        total += entry.image->pixels.size();
    }
    // The newest image stays even when it alone is over the budget: frames often repeat it.
    while (total > kImageCacheBytes && !cache.empty()) {
        const auto oldest = std::min_element(cache.begin(), cache.end(),
                                             [](auto& a, auto& b) { return a.used < b.used; });
        total -= oldest->image->pixels.size();
        cache.erase(oldest);
    }
    cache.push_back({index, ++d->clock, decoded});
    return decoded;
}

std::span<const std::uint8_t> Character::soundBytes(std::size_t index) const {
    if (index >= d->sounds.size()) {
        return {};
    }
    const SoundInfo& s = d->sounds[index];
    if (!locatorFits(s.offset, s.size, d->bytes->size())) {
        return {};
    }
    return std::span<const std::uint8_t>(*d->bytes).subspan(static_cast<std::size_t>(s.offset),
                                                            s.size);
}

std::shared_ptr<const ComposedFrame> Character::composeFrame(std::size_t animIndex,
                                                             std::size_t frameIndex,
                                                             int mouth) const {
    {
        std::lock_guard lock(d->mutex);
        for (auto& entry : d->frameCache) {
            if (entry.anim == animIndex && entry.frame == frameIndex && entry.mouth == mouth) {
                entry.used = ++d->clock;
                return entry.composed;
            }
        }
    }
    const Frame* frame = nullptr;
    if (animIndex < d->animations.size() && frameIndex < d->animations[animIndex].frames.size()) {
        frame = &d->animations[animIndex].frames[frameIndex];
    }
    // Layers are painted one at a time (last first), so that only one decoded image at a
    // time has to be held, whatever the number of layers.
    auto composed = std::make_shared<ComposedFrame>(composeLayers(
        d->info.width, d->info.height, d->info.palette, d->info.transparentIndex, {}));
    const auto paint = [&](std::size_t imageIndex, int x, int y) {
        const auto img = image(imageIndex);
        const Layer layer{img.get(), x, y};
        paintLayers(*composed, d->info.palette, d->info.transparentIndex, {&layer, 1});
    };
    if (frame) {
        const MouthOverlay* overlay = nullptr;
        if (mouth != kNoMouth) {
            for (const auto& o : frame->overlays) {
                if (o.mouth == mouth) {
                    overlay = &o;
                    break;
                }
            }
        }
        const std::size_t first = (overlay && overlay->replace) ? 1 : 0;
        for (std::size_t i = frame->images.size(); i-- > first;) {
            const FrameImage& fi = frame->images[i];
            paint(fi.image, fi.x, fi.y);
        }
        if (overlay) {
            paint(overlay->image, overlay->x, overlay->y);
        }
    }

    std::lock_guard lock(d->mutex);
    auto& cache = d->frameCache;
    if (cache.size() >= kFrameCacheEntries) {
        cache.erase(std::min_element(cache.begin(), cache.end(),
                                     [](auto& a, auto& b) { return a.used < b.used; }));
    }
    cache.push_back({animIndex, frameIndex, mouth, ++d->clock, composed});
    return composed;
}

std::vector<std::string> Character::verifyImages() const {
    std::vector<std::string> warnings;
    for (std::size_t i = 0; i < d->images.size(); ++i) {
        const ImageInfo& info = d->images[i];
        if (info.broken) {
            continue;  // already reported at load
        }
        Error err;
        (void)decodeImage(*d->bytes, info, d->info.transparentIndex, false, &err);
        if (err) {
            warnings.push_back("offset 0x" + hexOffset(info.pixelOffset + err.offset) + ": image " +
                               std::to_string(i) + ": " + err.detail);
        }
    }
    return warnings;
}

CharacterData Character::toData() const {
    CharacterData data;
    data.info = d->info;
    data.animations = d->animations;
    data.images.reserve(d->images.size());
    for (const ImageInfo& info : d->images) {
        data.images.push_back(decodeImage(*d->bytes, info, d->info.transparentIndex, true));
    }
    for (std::size_t i = 0; i < d->sounds.size(); ++i) {
        const auto bytes = soundBytes(i);
        data.sounds.emplace_back(bytes.begin(), bytes.end());
    }
    return data;
}

}  // namespace acs
