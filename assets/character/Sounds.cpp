#include "Sounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace mascot {

namespace {

constexpr double kTau = 2.0 * std::numbers::pi;

// Calls `sample(t)` (seconds, result in -1..1) for `seconds` and scales to 16 bits with a
// short fade at both ends so that no sound starts or stops with a click.
template <typename F>
Samples synth(double seconds, double gain, F sample) {
    const int count = static_cast<int>(seconds * kSampleRate);
    Samples out(static_cast<std::size_t>(count));
    const int fade = kSampleRate / 200;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double edge = 1.0;
        if (i < fade)
            edge = static_cast<double>(i) / fade;
        if (count - i < fade)
            edge = std::min(edge, static_cast<double>(count - i) / fade);
        const double v = std::clamp(sample(t) * gain * edge, -1.0, 1.0);
        out[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(v * 32767.0));
    }
    return out;
}

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putTag(std::vector<std::uint8_t>& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}

// Wraps chunks into RIFF WAVE, padding odd chunks to an even length.
std::vector<std::uint8_t> riff(
    const std::vector<std::pair<std::string_view, std::vector<std::uint8_t>>>& chunks) {
    std::vector<std::uint8_t> body;
    putTag(body, "WAVE");
    for (const auto& [tag, data] : chunks) {
        putTag(body, tag);
        put32(body, static_cast<std::uint32_t>(data.size()));
        body.insert(body.end(), data.begin(), data.end());
        if (data.size() % 2 != 0)
            body.push_back(0);
    }
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

constexpr std::array<std::array<int, 2>, 7> kCoefficients{
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};
constexpr std::array<int, 16> kAdapt{230, 230, 230, 230, 307, 409, 512, 614,
                                     768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kBlockAlign = 256;
constexpr int kSamplesPerBlock = (kBlockAlign - 7) * 2 + 2;

struct EncodedBlock {
    std::vector<std::uint8_t> bytes;
    long long error = 0;
};

// Encodes one block with a fixed predictor and starting delta, tracking the decoder's state
// exactly so that errors do not accumulate.
EncodedBlock encodeBlock(const std::int16_t* s, int predictor, int delta0) {
    EncodedBlock block;
    auto& b = block.bytes;
    b.push_back(static_cast<std::uint8_t>(predictor));
    put16(b, static_cast<unsigned>(delta0));
    put16(b, static_cast<std::uint16_t>(s[1]));  // sample1
    put16(b, static_cast<std::uint16_t>(s[0]));  // sample2: played first
    int sample1 = s[1];
    int sample2 = s[0];
    int delta = delta0;
    const auto [c1, c2] = kCoefficients[static_cast<std::size_t>(predictor)];
    std::uint8_t pending = 0;
    for (int i = 2; i < kSamplesPerBlock; ++i) {
        const int predicted = (sample1 * c1 + sample2 * c2) / 256;
        const int wanted = s[i];
        const double ratio = static_cast<double>(wanted - predicted) / delta;
        const int code = std::clamp(static_cast<int>(std::lround(ratio)), -8, 7);
        const int x = std::clamp(predicted + code * delta, -32768, 32767);
        block.error += static_cast<long long>(x - wanted) * (x - wanted);
        sample2 = sample1;
        sample1 = x;
        const int nibble = code & 0xF;
        delta = std::max(16, kAdapt[static_cast<std::size_t>(nibble)] * delta / 256);
        if (i % 2 == 0)
            pending = static_cast<std::uint8_t>(nibble << 4);  // high nibble first
        else
            b.push_back(static_cast<std::uint8_t>(pending | nibble));
    }
    return block;
}

}  // namespace

Samples popSound() {
    double phase = 0;
    return synth(0.14, 0.7, [&phase](double t) {
        phase += kTau * (500.0 + 9000.0 * t) / kSampleRate;
        return std::sin(phase) * std::exp(-t * 28.0);
    });
}

Samples hideSound() {
    double phase = 0;
    return synth(0.22, 0.55, [&phase](double t) {
        phase += kTau * (1100.0 - 3200.0 * t) / kSampleRate;
        return std::sin(phase) * (1.0 - t / 0.22) * std::min(1.0, t * 40.0);
    });
}

Samples blipSound() {
    return synth(0.16, 0.5, [](double t) {
        const double f = t < 0.07 ? 880.0 : 1318.5;
        const double local = t < 0.07 ? t : t - 0.07;
        return std::sin(kTau * f * t) * std::exp(-local * 30.0);
    });
}

Samples chimeSound() {
    return synth(0.7, 0.45, [](double t) {
        const double bell = std::sin(kTau * 1046.5 * t) + 0.5 * std::sin(kTau * 2093.0 * t) +
                            0.25 * std::sin(kTau * 3135.9 * t);
        const double second =
            t > 0.12 ? std::sin(kTau * 1568.0 * (t - 0.12)) * std::exp(-(t - 0.12) * 6.0) : 0.0;
        return (bell * std::exp(-t * 7.0) + second) * 0.6;
    });
}

Samples boingSound() {
    double phase = 0;
    return synth(0.36, 0.6, [&phase](double t) {
        const double f = 260.0 + 120.0 * std::sin(kTau * 14.0 * t) * std::exp(-t * 5.0) + 200.0 * t;
        phase += kTau * f / kSampleRate;
        return (std::sin(phase) + 0.3 * std::sin(2 * phase)) * std::exp(-t * 7.0);
    });
}

std::vector<std::uint8_t> pcmWave(const Samples& samples) {
    std::vector<std::uint8_t> fmt;
    put16(fmt, 1);  // PCM
    put16(fmt, 1);  // mono
    put32(fmt, kSampleRate);
    put32(fmt, kSampleRate * 2);
    put16(fmt, 2);
    put16(fmt, 16);
    std::vector<std::uint8_t> data;
    for (std::int16_t s : samples)
        put16(data, static_cast<std::uint16_t>(s));
    return riff({{"fmt ", fmt}, {"data", data}});
}

std::vector<std::uint8_t> adpcmWave(const Samples& samples) {
    std::vector<std::uint8_t> fmt;
    put16(fmt, 2);  // Microsoft ADPCM
    put16(fmt, 1);
    put32(fmt, kSampleRate);
    put32(fmt, static_cast<std::uint32_t>(kSampleRate * kBlockAlign / kSamplesPerBlock));
    put16(fmt, kBlockAlign);
    put16(fmt, 4);
    put16(fmt, 4 + 4 * kCoefficients.size());  // cbSize
    put16(fmt, kSamplesPerBlock);
    put16(fmt, kCoefficients.size());
    for (const auto& [c1, c2] : kCoefficients) {
        put16(fmt, static_cast<std::uint16_t>(c1));
        put16(fmt, static_cast<std::uint16_t>(c2));
    }
    std::vector<std::uint8_t> fact;
    put32(fact, static_cast<std::uint32_t>(samples.size()));

    // Whole blocks only: the tail is padded with silence, the fact chunk keeps the true length.
    Samples padded = samples;
    const std::size_t blocks = (samples.size() + kSamplesPerBlock - 1) / kSamplesPerBlock;
    padded.resize(blocks * kSamplesPerBlock, 0);
    std::vector<std::uint8_t> data;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::int16_t* s = padded.data() + b * kSamplesPerBlock;
        EncodedBlock best;
        bool first = true;
        for (int predictor = 0; predictor < static_cast<int>(kCoefficients.size()); ++predictor)
            for (int delta = 16; delta <= 4096; delta *= 2) {
                EncodedBlock candidate = encodeBlock(s, predictor, delta);
                if (first || candidate.error < best.error) {
                    best = std::move(candidate);
                    first = false;
                }
            }
        data.insert(data.end(), best.bytes.begin(), best.bytes.end());
    }
    return riff({{"fmt ", fmt}, {"fact", fact}, {"data", data}});
}

}  // namespace mascot
