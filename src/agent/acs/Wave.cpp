#include "agent/acs/Wave.h"

#include "agent/acs/ByteReader.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace acs {

namespace {

constexpr std::uint32_t kRiff = 0x46464952;  // "RIFF"
constexpr std::uint32_t kWave = 0x45564157;  // "WAVE"
constexpr std::uint32_t kFmt = 0x20746D66;   // "fmt "
constexpr std::uint32_t kData = 0x61746164;  // "data"
constexpr std::uint32_t kFact = 0x74636166;  // "fact"
constexpr int kAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                            768, 614, 512, 409, 307, 230, 230, 230};

struct Format {
    std::uint64_t at = 12;  // offset of the format chunk's fields
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    std::uint16_t samplesPerBlock = 0;
    std::vector<std::pair<int, int>> coefficients;
};

std::int16_t clamp16(std::int64_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

struct AdpcmChannel {
    std::int64_t coef1 = 0, coef2 = 0, delta = 0, sample1 = 0, sample2 = 0;

    std::int16_t next(unsigned nibble) {
        const std::int64_t s = nibble >= 8 ? std::int64_t(nibble) - 16 : std::int64_t(nibble);
        // Arithmetic shifts: the prediction and the new step are rounded down (towards minus
        // infinity), not towards zero.
        const std::int64_t predicted = (sample1 * coef1 + sample2 * coef2) >> 8;
        const std::int16_t x = clamp16(predicted + s * delta);
        sample2 = sample1;
        sample1 = x;
        // Corrupt streams could grow delta without end; keep it in a range that cannot overflow.
        delta = std::clamp<std::int64_t>((kAdapt[nibble] * delta) >> 8, 16, 0x7FFFFFFF);
        return x;
    }
};

Error decodeAdpcm(const Format& f, std::span<const std::uint8_t> data, std::uint64_t dataAt,
                  std::vector<std::int16_t>& out) {
    const std::size_t ch = f.channels;
    if (f.bits != 4) {
        return {ErrorCode::BadSound, f.at + 14,
                "ADPCM with " + std::to_string(f.bits) + " bits per sample is not supported"};
    }
    if (f.blockAlign < 7 * ch) {
        return {ErrorCode::BadSound, f.at + 12,
                "ADPCM block size " + std::to_string(f.blockAlign) +
                    " cannot hold the block header of " + std::to_string(7 * ch) + " bytes"};
    }
    std::size_t perBlock = (std::size_t{f.blockAlign} - 7 * ch) * 8 / (4 * ch) + 2;
    if (f.samplesPerBlock > 0) {
        perBlock = std::min<std::size_t>(perBlock, f.samplesPerBlock);
    }
    out.reserve(data.size() / f.blockAlign * perBlock * ch + perBlock * ch);
    for (std::size_t start = 0; start < data.size(); start += f.blockAlign) {
        // The last block may be short: it is decoded as far as its bytes go.
        const auto block =
            data.subspan(start, std::min<std::size_t>(f.blockAlign, data.size() - start));
        if (block.size() < 7 * ch) {
            return {ErrorCode::BadSound, dataAt + start,
                    "the last ADPCM block ends inside its header (" + std::to_string(block.size()) +
                        " of " + std::to_string(7 * ch) + " bytes)"};
        }
        AdpcmChannel state[2];
        const auto i16 = [&](std::size_t at) {
            return static_cast<std::int16_t>(block[at] | (block[at + 1] << 8));
        };
        for (std::size_t c = 0; c < ch; ++c) {
            const std::size_t predictor = block[c];
            if (predictor >= f.coefficients.size()) {
                return {ErrorCode::BadSound, dataAt + start + c,
                        "ADPCM predictor " + std::to_string(predictor) + " is beyond the " +
                            std::to_string(f.coefficients.size()) + " coefficient pairs"};
            }
            state[c].coef1 = f.coefficients[predictor].first;
            state[c].coef2 = f.coefficients[predictor].second;
            state[c].delta = i16(ch + 2 * c);
            state[c].sample1 = i16(3 * ch + 2 * c);
            state[c].sample2 = i16(5 * ch + 2 * c);
        }
        for (std::size_t c = 0; c < ch; ++c) {
            out.push_back(static_cast<std::int16_t>(state[c].sample2));
        }
        for (std::size_t c = 0; c < ch; ++c) {
            out.push_back(static_cast<std::int16_t>(state[c].sample1));
        }
        // High nibble first; in stereo the high nibble is the left channel.
        std::size_t produced = 2 * ch;
        const std::size_t wanted = perBlock * ch;
        for (std::size_t i = 7 * ch; i < block.size() && produced < wanted; ++i) {
            out.push_back(state[0].next(block[i] >> 4));
            ++produced;
            if (produced < wanted) {
                out.push_back(state[ch - 1].next(block[i] & 0x0F));
                ++produced;
            }
        }
    }
    return {};
}

void put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

}  // namespace

WaveResult decodeWave(std::span<const std::uint8_t> riff) {
    WaveResult result;
    ByteReader r(riff, 0, riff.size());
    const std::uint32_t riffId = r.u32();
    (void)r.u32();  // RIFF size: the chunks are walked within the bytes there are
    if (riffId != kRiff || r.u32() != kWave) {
        result.error = {ErrorCode::BadSound, 0, "not a RIFF WAVE file"};
        return result;
    }
    Format f;
    bool haveFormat = false;
    std::span<const std::uint8_t> data;
    std::uint64_t dataAt = 0;
    std::optional<std::uint32_t> factFrames;
    while (r.ok() && r.remaining() >= 8) {
        const std::uint32_t id = r.u32();
        const std::uint64_t size = r.u32();
        const std::uint64_t start = r.pos();
        // Some writers give the data chunk a size past the end; take what is there.
        const std::uint64_t have = std::min(size, r.remaining());
        if (id == kFmt && !haveFormat) {
            ByteReader fr(riff, start, start + have);
            f.at = start;
            f.tag = fr.u16();
            f.channels = fr.u16();
            f.rate = fr.u32();
            (void)fr.u32();  // bytes per second
            f.blockAlign = fr.u16();
            f.bits = fr.u16();
            if (f.tag == 2) {
                (void)fr.u16();  // cbSize
                f.samplesPerBlock = fr.u16();
                const std::uint16_t count = fr.u16();
                if (fr.checkCount(count, 4, 256, "ADPCM coefficient pairs")) {
                    for (std::uint16_t i = 0; i < count; ++i) {
                        const int c1 = fr.i16();
                        const int c2 = fr.i16();
                        f.coefficients.emplace_back(c1, c2);
                    }
                }
            }
            if (!fr.ok()) {
                result.error = fr.error();
                return result;
            }
            haveFormat = true;
        } else if (id == kFact && have >= 4 && !factFrames) {
            ByteReader fr(riff, start, start + 4);
            factFrames = fr.u32();
        } else if (id == kData && data.empty()) {
            data = riff.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(have));
            dataAt = start;
        }
        r.skip(std::min(have + (size & 1u), r.remaining()));
    }
    if (!haveFormat) {
        result.error = {ErrorCode::BadSound, 12, "WAVE file without a format chunk"};
        return result;
    }
    if (f.channels < 1 || f.channels > 2 || f.rate == 0) {
        result.error = {ErrorCode::BadSound, f.at + 2,
                        std::to_string(f.channels) + " channels at " + std::to_string(f.rate) +
                            " Hz are not supported"};
        return result;
    }
    result.sound.channels = f.channels;
    result.sound.sampleRate = f.rate;
    auto& out = result.sound.samples;
    if (f.tag == 1 && f.bits == 8) {
        out.reserve(data.size());
        for (const std::uint8_t b : data) {
            out.push_back(static_cast<std::int16_t>((int{b} - 128) * 256));
        }
    } else if (f.tag == 1 && f.bits == 16) {
        out.reserve(data.size() / 2);
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            out.push_back(static_cast<std::int16_t>(data[i] | (data[i + 1] << 8)));
        }
    } else if (f.tag == 2) {
        result.error = decodeAdpcm(f, data, dataAt, out);
        // The fact chunk counts the samples per channel the encoder put in; the last block is
        // usually padded past them. A count beyond the data only means the data was cut.
        if (factFrames && *factFrames < out.size() / f.channels) {
            out.resize(std::size_t{*factFrames} * f.channels);
        }
    } else {
        result.error = {ErrorCode::BadSound, f.at,
                        "format tag " + std::to_string(f.tag) + " with " + std::to_string(f.bits) +
                            " bits per sample is not supported"};
    }
    // A stereo sound cut in the middle of a frame loses the lone left sample.
    out.resize(out.size() / f.channels * f.channels);
    if (result.error) {
        out.clear();
    }
    return result;
}

std::vector<std::uint8_t> encodeWave(const PcmSound& sound) {
    const std::size_t frames = sound.channels == 0 ? 0 : sound.samples.size() / sound.channels;
    const auto dataSize = static_cast<std::uint32_t>(frames * sound.channels * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataSize);
    put(out, kRiff, 4);
    put(out, 36 + dataSize, 4);
    put(out, kWave, 4);
    put(out, kFmt, 4);
    put(out, 16, 4);
    put(out, 1, 2);  // PCM
    put(out, sound.channels, 2);
    put(out, sound.sampleRate, 4);
    put(out, sound.sampleRate * sound.channels * 2, 4);  // bytes per second
    put(out, sound.channels * 2u, 2);                    // block align
    put(out, 16, 2);                                     // bits per sample
    put(out, kData, 4);
    put(out, dataSize, 4);
    for (std::size_t i = 0; i < frames * sound.channels; ++i) {
        put(out, static_cast<std::uint16_t>(sound.samples[i]), 2);
    }
    return out;
}

}  // namespace acs
