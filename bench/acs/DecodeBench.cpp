// Decoding speed of the character coder on a large generated character, next to zlib inflate
// over the same pixels, and the time to parse all metadata of such a character.

#include "agent/acs/Character.h"
#include "agent/acs/Decompressor.h"
#include "agent/acs/Writer.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

namespace {

constexpr std::uint16_t kWidth = 160;
constexpr std::uint16_t kHeight = 128;
constexpr std::size_t kImages = 960;

// Sprite-like images: a shaded body on a transparent background with a few details, moved a
// little from image to image, like the frames of real animations.
acs::ImageData spriteImage(std::size_t n, std::mt19937& rng) {
    acs::ImageData img;
    img.width = kWidth;
    img.height = kHeight;
    img.pixels.assign(acs::ImageData::stride(kWidth) * kHeight, 0);
    const double cx = 80 + 10 * std::sin(double(n) * 0.3);
    const double cy = 64 + 8 * std::cos(double(n) * 0.2);
    for (std::size_t row = 0; row < kHeight; ++row) {
        for (std::size_t col = 0; col < kWidth; ++col) {
            const double dx = (double(col) - cx) / 55.0;
            const double dy = (double(row) - cy) / 50.0;
            const double d = dx * dx + dy * dy;
            std::uint8_t index = 0;
            if (d < 1.0) {
                index = static_cast<std::uint8_t>(16 + int(d * 12) + int(row / 16) * 3);
                if (d > 0.9) {
                    index = 1;  // outline
                } else if (rng() % 50 == 0) {
                    index = static_cast<std::uint8_t>(100 + rng() % 40);  // dithering
                }
            }
            img.pixels[(kHeight - 1 - row) * acs::ImageData::stride(kWidth) + col] = index;
        }
    }
    return img;
}

struct Fixture {
    std::shared_ptr<const std::vector<std::uint8_t>> file;
    std::vector<std::vector<std::uint8_t>> packed;   // our coder, per image
    std::vector<std::vector<std::uint8_t>> zlibbed;  // zlib level 6, per image
    std::size_t rawBytes = 0;
};

const Fixture& fixture() {
    static const Fixture f = [] {
        Fixture fx;
        std::mt19937 rng(99);
        acs::CharacterData c;
        c.info.width = kWidth;
        c.info.height = kHeight;
        c.info.transparentIndex = 0;
        c.info.balloon = acs::BalloonInfo{};
        for (int i = 0; i < 256; ++i) {
            c.info.palette.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
        }
        c.info.localized = {{0x0411, "ベンチ", "", ""}};
        for (std::size_t i = 0; i < kImages; ++i) {
            c.images.push_back(spriteImage(i, rng));
            fx.rawBytes += c.images.back().pixels.size();
        }
        // 80 animations of 12 frames with 1-3 layers each: every image is used.
        for (std::size_t a = 0; a < 80; ++a) {
            acs::Animation anim;
            anim.name = "Anim" + std::to_string(a);
            for (std::size_t fr = 0; fr < 12; ++fr) {
                acs::Frame frame;
                for (std::size_t l = 0; l <= fr % 3; ++l) {
                    frame.images.push_back(
                        {static_cast<std::uint32_t>((a * 12 + fr + l) % kImages), 0, 0});
                }
                frame.duration = 10;
                frame.exitValue = acs::kExitNextFrame;
                frame.branches = {{static_cast<std::uint16_t>(fr), 10}};
                anim.frames.push_back(frame);
            }
            c.animations.push_back(anim);
        }
        c.info.states = {{"IDLINGLEVEL1", {"ANIM1", "ANIM2"}, {}}};
        fx.file =
            std::make_shared<const std::vector<std::uint8_t>>(acs::writeCharacterUnchecked(c));
        for (const auto& img : c.images) {
            fx.packed.push_back(acs::compress(img.pixels));
            uLongf size = compressBound(static_cast<uLong>(img.pixels.size()));
            std::vector<std::uint8_t> z(size);
            compress2(z.data(), &size, img.pixels.data(), static_cast<uLong>(img.pixels.size()), 6);
            z.resize(size);
            fx.zlibbed.push_back(std::move(z));
        }
        return fx;
    }();
    return f;
}

void decodeOurs(const Fixture& fx, std::vector<std::uint8_t>& out) {
    const std::size_t size = acs::ImageData::stride(kWidth) * kHeight;
    for (const auto& block : fx.packed) {
        if (acs::decompress(block, size, out)) {
            std::abort();
        }
        benchmark::DoNotOptimize(out.data());
    }
}

void decodeZlib(const Fixture& fx, std::vector<std::uint8_t>& out) {
    const std::size_t size = acs::ImageData::stride(kWidth) * kHeight;
    out.resize(size);
    for (const auto& block : fx.zlibbed) {
        uLongf outSize = static_cast<uLongf>(size);
        if (uncompress(out.data(), &outSize, block.data(), static_cast<uLong>(block.size())) !=
            Z_OK) {
            std::abort();
        }
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_DecodeAllImages(benchmark::State& state) {
    const Fixture& fx = fixture();
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        decodeOurs(fx, out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.rawBytes));
}
BENCHMARK(BM_DecodeAllImages)->Unit(benchmark::kMillisecond);

void BM_ZlibInflateAllImages(benchmark::State& state) {
    const Fixture& fx = fixture();
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        decodeZlib(fx, out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.rawBytes));
}
BENCHMARK(BM_ZlibInflateAllImages)->Unit(benchmark::kMillisecond);

// Everything but pixels: header, character info, directories, every animation record and
// image record, validation. (Lenient mode: images are decoded only when drawn.)
void BM_ParseMetadata(benchmark::State& state) {
    const Fixture& fx = fixture();
    for (auto _ : state) {
        const acs::LoadResult r = acs::loadCharacter(fx.file, acs::Mode::Lenient);
        if (!r.ok()) {
            std::abort();
        }
        benchmark::DoNotOptimize(r.character.get());
    }
}
BENCHMARK(BM_ParseMetadata)->Unit(benchmark::kMillisecond);

void BM_ComposeFrameUncached(benchmark::State& state) {
    const Fixture& fx = fixture();
    const auto c = acs::loadCharacter(fx.file, acs::Mode::Lenient).character;
    std::size_t n = 0;
    for (auto _ : state) {
        // A different frame each time, beyond what the caches hold.
        const std::size_t anim = n % 80;
        const std::size_t frame = (n / 80) % 12;
        benchmark::DoNotOptimize(c->composeFrame(anim, frame).get());
        ++n;
    }
}
BENCHMARK(BM_ComposeFrameUncached)->Unit(benchmark::kMicrosecond);

double secondsFor(void (*decode)(const Fixture&, std::vector<std::uint8_t>&)) {
    const Fixture& fx = fixture();
    std::vector<std::uint8_t> out;
    double best = 1e9;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        decode(fx, out);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Fixture& fx = fixture();
    std::size_t ours = 0, zlib = 0;
    for (std::size_t i = 0; i < fx.packed.size(); ++i) {
        ours += fx.packed[i].size();
        zlib += fx.zlibbed[i].size();
    }
    const double mb = double(fx.rawBytes) / 1e6;
    const double tOurs = secondsFor(decodeOurs);
    const double tZlib = secondsFor(decodeZlib);
    std::printf("%zu images of %dx%d, %.1f MB of pixels; file %.2f MB\n", fx.packed.size(), kWidth,
                kHeight, mb, double(fx.file->size()) / 1e6);
    std::printf("compressed: ours %.2f MB, zlib-6 %.2f MB\n", double(ours) / 1e6,
                double(zlib) / 1e6);
    std::printf("decode: ours %.0f MB/s, zlib %.0f MB/s, ratio ours/zlib = %.2f (target >= 1)\n",
                mb / tOurs, mb / tZlib, tZlib / tOurs);
    return 0;
}
