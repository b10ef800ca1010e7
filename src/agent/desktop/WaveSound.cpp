#include "agent/desktop/WaveSound.h"

#include <algorithm>
#include <array>

namespace desktop {

namespace {

constexpr std::array<int, 16> kAdapt = {230, 230, 230, 230, 307, 409, 512, 614,
                                        768, 614, 512, 409, 307, 230, 230, 230};
constexpr std::uint32_t kMaxChannels = 2;
constexpr std::uint32_t kMaxRate = 192000;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::int16_t s16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(u16(b, at));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool fail(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
    return false;
}

struct ChannelState {
    int coef1 = 0;
    int coef2 = 0;
    int delta = 0;
    int sample1 = 0;
    int sample2 = 0;

    std::int16_t decode(int code) {
        const int signedCode = code >= 8 ? code - 16 : code;
        // Arithmetic shift: the reference encoder predicts with >> 8, and matching it keeps
        // our output bit-exact with what the sound's author heard.
        const int predicted = (sample1 * coef1 + sample2 * coef2) >> 8;
        const int value = std::clamp(predicted + signedCode * delta, -32768, 32767);
        sample2 = sample1;
        sample1 = value;
        delta = std::max(16, (kAdapt[static_cast<std::size_t>(code)] * delta) >> 8);
        return static_cast<std::int16_t>(value);
    }
};

}  // namespace

bool decodeMsAdpcm(std::span<const std::uint8_t> data, const AdpcmFormat& format,
                   std::vector<std::int16_t>& out, std::string* error) {
    const std::size_t channels = format.channels;
    const std::size_t header = 7 * channels;
    if (channels == 0 || channels > kMaxChannels) return fail(error, "unsupported channel count");
    if (format.blockAlign <= header) return fail(error, "ADPCM block smaller than its header");
    const std::size_t fullBlockSamples = (format.blockAlign - header) * 2 / channels + 2;
    const std::size_t perBlock = format.samplesPerBlock == 0
                                     ? fullBlockSamples
                                     : std::min<std::size_t>(format.samplesPerBlock,
                                                             fullBlockSamples);

    for (std::size_t at = 0; at + header <= data.size(); at += format.blockAlign) {
        const auto block =
            data.subspan(at, std::min<std::size_t>(format.blockAlign, data.size() - at));
        std::array<ChannelState, kMaxChannels> state{};
        for (std::size_t c = 0; c < channels; ++c) {
            const std::size_t predictor = block[c];
            if (predictor >= format.coefficients.size()) {
                return fail(error, "ADPCM predictor index outside the coefficient table");
            }
            state[c].coef1 = format.coefficients[predictor].first;
            state[c].coef2 = format.coefficients[predictor].second;
            state[c].delta = s16(block, channels + 2 * c);
            state[c].sample1 = s16(block, 3 * channels + 2 * c);
            state[c].sample2 = s16(block, 5 * channels + 2 * c);
        }
        for (std::size_t c = 0; c < channels; ++c) {
            out.push_back(static_cast<std::int16_t>(state[c].sample2));
        }
        if (perBlock < 2) continue;
        for (std::size_t c = 0; c < channels; ++c) {
            out.push_back(static_cast<std::int16_t>(state[c].sample1));
        }
        // Codes run across channels in order (mono: consecutive samples; stereo: left, right).
        const std::size_t codesWanted = (perBlock - 2) * channels;
        const std::size_t codesThere = (block.size() - header) * 2;
        const std::size_t codes = std::min(codesWanted, codesThere - codesThere % channels);
        for (std::size_t i = 0; i < codes; ++i) {
            const std::uint8_t byte = block[header + i / 2];
            const int code = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
            out.push_back(state[i % channels].decode(code));
        }
    }
    return true;
}

std::optional<PcmSound> decodeWave(std::span<const std::uint8_t> bytes, std::string* error) {
    auto failed = [error](const char* text) -> std::optional<PcmSound> {
        fail(error, text);
        return std::nullopt;
    };
    if (bytes.size() < 12 || u32(bytes, 0) != 0x46464952u /* RIFF */ ||
        u32(bytes, 8) != 0x45564157u /* WAVE */) {
        return failed("not a RIFF WAVE file");
    }
    std::span<const std::uint8_t> fmt;
    std::span<const std::uint8_t> data;
    std::optional<std::uint32_t> factFrames;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t id = u32(bytes, at);
        const std::size_t size = u32(bytes, at + 4);
        const std::size_t left = bytes.size() - at - 8;
        if (id == 0x61746164u /* data */) {
            data = bytes.subspan(at + 8, std::min(size, left));
        } else if (size > left) {
            return failed("WAVE chunk runs past the end of the file");
        } else if (id == 0x20746d66u /* "fmt " */) {
            fmt = bytes.subspan(at + 8, size);
        } else if (id == 0x74636166u /* fact */ && size >= 4) {
            factFrames = u32(bytes, at + 8);
        }
        if (size > left) break;
        at += 8 + size + (size & 1u);  // chunk data is padded to an even length
    }
    if (fmt.size() < 16) return failed("WAVE file without a format chunk");
    if (data.data() == nullptr) return failed("WAVE file without a data chunk");

    PcmSound sound;
    const std::uint16_t tag = u16(fmt, 0);
    sound.channels = u16(fmt, 2);
    sound.sampleRate = u32(fmt, 4);
    const std::uint16_t blockAlign = u16(fmt, 12);
    const std::uint16_t bits = u16(fmt, 14);
    if (sound.channels == 0 || sound.channels > kMaxChannels) {
        return failed("unsupported channel count");
    }
    if (sound.sampleRate == 0 || sound.sampleRate > kMaxRate) {
        return failed("unsupported sample rate");
    }

    if (tag == 1 && bits == 8) {
        sound.samples.reserve(data.size());
        for (std::uint8_t b : data) {
            sound.samples.push_back(static_cast<std::int16_t>((b - 128) * 256));
        }
    } else if (tag == 1 && bits == 16) {
        sound.samples.reserve(data.size() / 2);
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) sound.samples.push_back(s16(data, i));
    } else if (tag == 2) {
        if (fmt.size() < 22) return failed("ADPCM format chunk too short");
        AdpcmFormat adpcm;
        adpcm.channels = sound.channels;
        adpcm.blockAlign = blockAlign;
        adpcm.samplesPerBlock = u16(fmt, 18);
        const std::size_t count = u16(fmt, 20);
        if (22 + 4 * count > fmt.size()) return failed("ADPCM coefficient table runs past its chunk");
        for (std::size_t i = 0; i < count; ++i) {
            adpcm.coefficients.emplace_back(s16(fmt, 22 + 4 * i), s16(fmt, 24 + 4 * i));
        }
        std::string why;
        if (!decodeMsAdpcm(data, adpcm, sound.samples, &why) && sound.samples.empty()) {
            fail(error, why);
            return std::nullopt;
        }
    } else {
        return failed("unsupported WAVE format");
    }
    // Whole frames only; ADPCM's last block is padded beyond the true length that `fact` gives.
    std::size_t frames = sound.samples.size() / sound.channels;
    if (factFrames && *factFrames < frames) frames = *factFrames;
    sound.samples.resize(frames * sound.channels);
    return sound;
}

}  // namespace desktop
