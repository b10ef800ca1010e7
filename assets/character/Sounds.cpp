#include "Sounds.h"

#include "bytes/Writer.h"

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
    bytes::Writer b;
    b.u8(static_cast<std::uint8_t>(predictor));
    b.u16(static_cast<std::uint16_t>(delta0));
    b.i16(s[1]);  // sample1
    b.i16(s[0]);  // sample2: played first
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
            b.u8(static_cast<std::uint8_t>(pending | nibble));
    }
    block.bytes = b.take();
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
    bytes::Writer w;
    const std::size_t riff = w.openChunk("RIFF", "WAVE");
    const std::size_t fmt = w.openChunk("fmt ");
    w.u16(1);  // PCM
    w.u16(1);  // mono
    w.u32(kSampleRate);
    w.u32(kSampleRate * 2);
    w.u16(2);
    w.u16(16);
    w.closeChunk(fmt);
    const std::size_t data = w.openChunk("data");
    for (std::int16_t sample : samples)
        w.i16(sample);
    w.closeChunk(data);
    w.closeChunk(riff);
    return w.take();
}

std::vector<std::uint8_t> adpcmWave(const Samples& samples) {
    bytes::Writer w;
    const std::size_t riff = w.openChunk("RIFF", "WAVE");
    const std::size_t fmt = w.openChunk("fmt ");
    w.u16(2);  // Microsoft ADPCM
    w.u16(1);
    w.u32(kSampleRate);
    w.u32(static_cast<std::uint32_t>(kSampleRate * kBlockAlign / kSamplesPerBlock));
    w.u16(kBlockAlign);
    w.u16(4);
    w.u16(static_cast<std::uint16_t>(4 + 4 * kCoefficients.size()));  // cbSize
    w.u16(kSamplesPerBlock);
    w.u16(static_cast<std::uint16_t>(kCoefficients.size()));
    for (const auto& [c1, c2] : kCoefficients) {
        w.i16(static_cast<std::int16_t>(c1));
        w.i16(static_cast<std::int16_t>(c2));
    }
    w.closeChunk(fmt);
    const std::size_t fact = w.openChunk("fact");
    w.size32(samples.size());
    w.closeChunk(fact);

    // Whole blocks only: the tail is padded with silence, the fact chunk keeps the true length.
    Samples padded = samples;
    const std::size_t blocks = (samples.size() + kSamplesPerBlock - 1) / kSamplesPerBlock;
    padded.resize(blocks * kSamplesPerBlock, 0);
    const std::size_t data = w.openChunk("data");
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
        w.raw(best.bytes);
    }
    w.closeChunk(data);
    w.closeChunk(riff);
    return w.take();
}

}  // namespace mascot
