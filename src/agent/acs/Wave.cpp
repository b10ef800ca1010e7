#include "agent/acs/Wave.h"

#include "bytes/Reader.h"
#include "bytes/Riff.h"
#include "bytes/Writer.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace acs {

namespace {

constexpr std::uint32_t kFact = bytes::fourcc("fact");
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

// The fmt chunk: PCM fields, and for ADPCM the samples per block and coefficient pairs.
Error readFormat(std::span<const std::uint8_t> riff, const bytes::Chunk& c, Format& f) {
    bytes::Reader fr(riff, c.data, c.data + c.size);
    f.at = c.data;
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

// The chunks decodeWave needs: the first format chunk, the first fact count and data chunk.
struct Chunks {
    Format format;
    bool haveFormat = false;
    std::span<const std::uint8_t> data;
    std::uint64_t dataAt = 0;
    std::optional<std::uint32_t> factFrames;
};

Error readChunks(std::span<const std::uint8_t> riff, Chunks& out) {
    // Some writers give the data chunk a size past the end; take what is there.
    bytes::ChunkWalker walker(riff, 12, riff.size(), bytes::ChunkWalker::Overrun::Clip);
    bytes::Chunk c;
    while (walker.next(c)) {
        if (c.id == bytes::riff::kFmt && !out.haveFormat) {
            if (Error error = readFormat(riff, c, out.format)) {
                return error;
            }
            out.haveFormat = true;
        } else if (c.id == kFact && c.size >= 4 && !out.factFrames) {
            out.factFrames = bytes::le32(riff, c.data);
        } else if (c.id == bytes::riff::kData && out.data.empty()) {
            out.data = riff.subspan(c.data, c.size);
            out.dataAt = c.data;
        }
    }
    return {};
}

Error decodeSamples(const Chunks& chunks, std::vector<std::int16_t>& out) {
    const Format& f = chunks.format;
    const std::span<const std::uint8_t> data = chunks.data;
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
        Error error = decodeAdpcm(f, data, chunks.dataAt, out);
        // The fact chunk counts the samples per channel the encoder put in; the last block is
        // usually padded past them. A count beyond the data only means the data was cut.
        if (chunks.factFrames && *chunks.factFrames < out.size() / f.channels) {
            out.resize(std::size_t{*chunks.factFrames} * f.channels);
        }
        return error;
    }
    return {ErrorCode::BadSound, f.at,
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
    Chunks chunks;
    if (Error error = readChunks(riff, chunks)) {
        return error;
    }
    const Format& f = chunks.format;
    if (!chunks.haveFormat) {
        return Error{ErrorCode::BadSound, 12, "WAVE file without a format chunk"};
    }
    if (f.channels < 1 || f.channels > 2 || f.rate == 0) {
        return Error{ErrorCode::BadSound, f.at + 2,
                     std::to_string(f.channels) + " channels at " + std::to_string(f.rate) +
                         " Hz are not supported"};
    }
    PcmSound sound;
    sound.channels = f.channels;
    sound.sampleRate = f.rate;
    if (Error error = decodeSamples(chunks, sound.samples)) {
        return error;
    }
    // A stereo sound cut in the middle of a frame loses the lone left sample.
    sound.samples.resize(sound.samples.size() / f.channels * f.channels);
    return sound;
}

std::vector<std::uint8_t> encodeWave(const PcmSound& sound) {
    const std::size_t frames = sound.channels == 0 ? 0 : sound.samples.size() / sound.channels;
    bytes::Writer w;
    const std::size_t riff = w.openChunk("RIFF", "WAVE");
    const std::size_t fmt = w.openChunk("fmt ");
    w.u16(1);  // PCM
    w.u16(sound.channels);
    w.u32(sound.sampleRate);
    w.u32(sound.sampleRate * sound.channels * 2);            // bytes per second
    w.u16(static_cast<std::uint16_t>(sound.channels * 2u));  // block align
    w.u16(16);                                               // bits per sample
    w.closeChunk(fmt);
    const std::size_t data = w.openChunk("data");
    for (std::size_t i = 0; i < frames * sound.channels; ++i) {
        w.i16(sound.samples[i]);
    }
    w.closeChunk(data);
    w.closeChunk(riff);
    return w.take();
}

}  // namespace acs
