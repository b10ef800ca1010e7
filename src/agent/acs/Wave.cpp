#include "agent/acs/Wave.h"

#include "bytes/Reader.h"
#include "bytes/Riff.h"

#include <algorithm>
#include <limits>

namespace acs {

namespace {

constexpr int kAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                            768, 614, 512, 409, 307, 230, 230, 230};

struct Format {
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
        const std::int64_t predicted = (sample1 * coef1 + sample2 * coef2) / 256;
        const std::int16_t x = clamp16(predicted + s * delta);
        sample2 = sample1;
        sample1 = x;
        // Corrupt streams could grow delta without end; keep it in a range that cannot overflow.
        delta = std::clamp<std::int64_t>(kAdapt[nibble] * delta / 256, 16, 0x7FFFFFFF);
        return x;
    }
};

Error decodeAdpcm(const Format& f, std::span<const std::uint8_t> data, std::uint64_t dataAt,
                  std::vector<std::int16_t>& out) {
    const std::size_t ch = f.channels;
    if (f.blockAlign < 7 * ch || f.bits != 4) {
        return {ErrorCode::BadSound, dataAt, "ADPCM block layout is not valid"};
    }
    std::size_t perBlock = (std::size_t{f.blockAlign} - 7 * ch) * 8 / (4 * ch) + 2;
    if (f.samplesPerBlock > 0) {
        perBlock = std::min<std::size_t>(perBlock, f.samplesPerBlock);
    }
    out.reserve(data.size() / f.blockAlign * perBlock * ch + perBlock * ch);
    for (std::size_t start = 0; start < data.size(); start += f.blockAlign) {
        const auto block =
            data.subspan(start, std::min<std::size_t>(f.blockAlign, data.size() - start));
        if (block.size() < 7 * ch) {
            break;  // a partial header at the very end carries no samples
        }
        AdpcmChannel state[2];
        const auto i16 = [&](std::size_t at) {
            return static_cast<std::int16_t>(block[at] | (block[at + 1] << 8));
        };
        for (std::size_t c = 0; c < ch; ++c) {
            const std::size_t predictor = block[c];
            if (predictor >= f.coefficients.size()) {
                return {ErrorCode::BadSound, dataAt + start + c,
                        "ADPCM predictor " + std::to_string(predictor) + " has no coefficients"};
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

// The fmt chunk: PCM fields, and for ADPCM the samples per block and coefficient pairs.
Error readFormat(std::span<const std::uint8_t> riff, const bytes::Chunk& c, Format& f) {
    bytes::Reader fr(riff, c.data, c.data + c.size);
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
    return fr.error();
}

Error decodeSamples(const Format& f, std::span<const std::uint8_t> data, std::uint64_t dataAt,
                    std::vector<std::int16_t>& out) {
    if (f.tag == 1 && f.bits == 8) {
        out.reserve(data.size());
        for (const std::uint8_t b : data) {
            out.push_back(static_cast<std::int16_t>((int{b} - 128) * 256));
        }
        return {};
    }
    if (f.tag == 1 && f.bits == 16) {
        out.reserve(data.size() / 2);
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            out.push_back(static_cast<std::int16_t>(data[i] | (data[i + 1] << 8)));
        }
        return {};
    }
    if (f.tag == 2) {
        return decodeAdpcm(f, data, dataAt, out);
    }
    return {ErrorCode::BadSound, 20,
            "format tag " + std::to_string(f.tag) + " with " + std::to_string(f.bits) +
                " bits per sample is not supported"};
}

}  // namespace

WaveResult decodeWave(std::span<const std::uint8_t> riff) {
    bytes::Reader r(riff);
    const std::uint32_t riffId = r.u32();
    (void)r.u32();  // RIFF size: the chunks are walked within the bytes there are
    if (riffId != bytes::riff::kRiff || r.u32() != bytes::riff::kWave) {
        return Error{ErrorCode::BadSound, 0, "not a RIFF WAVE file"};
    }
    Format f;
    bool haveFormat = false;
    std::span<const std::uint8_t> data;
    std::uint64_t dataAt = 0;
    // Some writers give the data chunk a size past the end; take what is there.
    bytes::ChunkWalker walker(riff, 12, riff.size(), bytes::ChunkWalker::Overrun::Clip);
    bytes::Chunk c;
    while (walker.next(c)) {
        if (c.id == bytes::riff::kFmt) {
            if (Error error = readFormat(riff, c, f)) {
                return error;
            }
            haveFormat = true;
        } else if (c.id == bytes::riff::kData && data.empty()) {
            data = riff.subspan(c.data, c.size);
            dataAt = c.data;
        }
    }
    if (!haveFormat) {
        return Error{ErrorCode::BadSound, 12, "WAVE file without a format chunk"};
    }
    if (f.channels < 1 || f.channels > 2 || f.rate == 0) {
        return Error{ErrorCode::BadSound, 12,
                     std::to_string(f.channels) + " channels at " + std::to_string(f.rate) +
                         " Hz are not supported"};
    }
    PcmSound sound;
    sound.channels = f.channels;
    sound.sampleRate = f.rate;
    if (Error error = decodeSamples(f, data, dataAt, sound.samples)) {
        return error;
    }
    return sound;
}

}  // namespace acs
