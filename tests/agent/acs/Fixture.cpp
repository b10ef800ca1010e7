#include "Fixture.h"

#include "agent/acs/Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace acs::test {

namespace {

std::uint32_t get32(const std::vector<std::uint8_t>& f, std::size_t at) {
    return std::uint32_t{f[at]} | (std::uint32_t{f[at + 1]} << 8) |
           (std::uint32_t{f[at + 2]} << 16) | (std::uint32_t{f[at + 3]} << 24);
}
// Bytes of the STRING at `at`.
std::size_t stringSize(const std::vector<std::uint8_t>& f, std::size_t at) {
    const std::uint32_t n = get32(f, at);
    return n == 0 ? 4 : 4 + 2 * (std::size_t{n} + 1);
}

void put(std::vector<std::uint8_t>& w, long v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        w.push_back(static_cast<std::uint8_t>(static_cast<unsigned long>(v) >> (8 * i)));
    }
}

}  // namespace

ImageData imageFromRows(const std::vector<std::vector<std::uint8_t>>& rows) {
    ImageData img;
    img.height = static_cast<std::uint16_t>(rows.size());
    img.width = rows.empty() ? 0 : static_cast<std::uint16_t>(rows[0].size());
    const std::size_t stride = ImageData::stride(img.width);
    img.pixels.assign(stride * img.height, 0);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            img.pixels[(img.height - 1 - y) * stride + x] = rows[y][x];
        }
    }
    return img;
}

ImageData solidImage(std::uint16_t width, std::uint16_t height, std::uint8_t index) {
    return imageFromRows(
        std::vector<std::vector<std::uint8_t>>(height, std::vector<std::uint8_t>(width, index)));
}

std::vector<std::uint8_t> pcmWave(std::size_t samples, std::uint32_t rate) {
    const std::size_t data = samples + (samples & 1);
    std::vector<std::uint8_t> w = {'R', 'I', 'F', 'F'};
    put(w, static_cast<long>(4 + 8 + 16 + 8 + data), 4);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0});
    put(w, rate, 4);
    put(w, rate, 4);                                      // bytes per second
    w.insert(w.end(), {1, 0, 8, 0, 'd', 'a', 't', 'a'});  // block align 1, 8 bits
    put(w, static_cast<long>(samples), 4);
    for (std::size_t i = 0; i < data; ++i) {
        w.push_back(static_cast<std::uint8_t>(128 + ((i / 4) % 2 ? 40 : -40)));
    }
    return w;
}

std::vector<std::uint8_t> adpcmWave(const AdpcmFormat& f, const std::vector<std::uint8_t>& data) {
    const long extra = 4 + 4 * static_cast<long>(f.coefficients.size());
    const long padded = static_cast<long>(data.size() + data.size() % 2);
    std::vector<std::uint8_t> w = {'R', 'I', 'F', 'F'};
    put(w, 4 + 8 + 18 + extra + (f.fact ? 12 : 0) + 8 + padded, 4);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(w, 18 + extra, 4);
    put(w, 2, 2);  // Microsoft ADPCM
    put(w, f.channels, 2);
    put(w, f.rate, 4);
    put(w, static_cast<long>(f.rate) * f.blockAlign / std::max(1, f.samplesPerBlock()), 4);
    put(w, f.blockAlign, 2);
    put(w, 4, 2);  // bits per sample
    put(w, extra, 2);
    put(w, f.storedSamplesPerBlock ? *f.storedSamplesPerBlock : f.samplesPerBlock(), 2);
    put(w, static_cast<long>(f.coefficients.size()), 2);
    for (const auto& [c1, c2] : f.coefficients) {
        put(w, c1, 2);
        put(w, c2, 2);
    }
    if (f.fact) {
        w.insert(w.end(), {'f', 'a', 'c', 't', 4, 0, 0, 0});
        put(w, *f.fact, 4);
    }
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    put(w, static_cast<long>(data.size()), 4);
    w.insert(w.end(), data.begin(), data.end());
    put(w, 0, static_cast<int>(data.size() % 2));  // chunk padding
    return w;
}

std::vector<std::uint8_t> adpcmWave(std::uint16_t channels, std::uint16_t blockAlign,
                                    const std::vector<std::uint8_t>& data) {
    AdpcmFormat f;
    f.channels = channels;
    f.blockAlign = blockAlign;
    return adpcmWave(f, data);
}

std::vector<std::uint8_t> encodeAdpcm(const AdpcmFormat& f, std::vector<std::int16_t> samples) {
    static constexpr int kAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                       768, 614, 512, 409, 307, 230, 230, 230};
    const std::size_t ch = f.channels;
    const auto perBlock = static_cast<std::size_t>(f.samplesPerBlock());
    const std::size_t frames = samples.size() / ch;
    const std::size_t blocks = (frames + perBlock - 1) / perBlock;
    samples.resize(blocks * perBlock * ch, 0);
    std::vector<std::uint8_t> out;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::int16_t* in = samples.data() + b * perBlock * ch;
        struct State {
            long c1, c2, delta, s1, s2;
        } st[2] = {};
        std::vector<std::uint8_t> block(f.blockAlign, 0);
        for (std::size_t c = 0; c < ch; ++c) {
            // Every pair in turn, and a starting step from how fast the block begins.
            const std::size_t predictor = (b + c) % f.coefficients.size();
            const long s2 = in[c], s1 = in[ch + c];
            st[c] = {f.coefficients[predictor].first, f.coefficients[predictor].second,
                     std::clamp(std::abs(s1 - s2) / 2, 16L, 0x7FFFL), s1, s2};
            block[c] = static_cast<std::uint8_t>(predictor);
            for (const auto& [at, v] : {std::pair{ch, st[c].delta}, {3 * ch, s1}, {5 * ch, s2}}) {
                block[at + 2 * c] = static_cast<std::uint8_t>(v & 0xFF);
                block[at + 2 * c + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
            }
        }
        for (std::size_t n = 2 * ch; n < perBlock * ch; ++n) {
            State& s = st[n % ch];
            const long predicted = (s.s1 * s.c1 + s.s2 * s.c2) >> 8;
            const double ratio =
                static_cast<double>(in[n] - predicted) / static_cast<double>(s.delta);
            const long code = std::clamp(std::lround(ratio), -8L, 7L);
            const long x = std::clamp(predicted + code * s.delta, -32768L, 32767L);
            const unsigned nibble = static_cast<unsigned>(code) & 0x0F;
            s.delta = std::max(16L, (kAdapt[nibble] * s.delta) >> 8);
            s.s2 = s.s1;
            s.s1 = x;
            const std::size_t at = 7 * ch + (n - 2 * ch) / 2;
            block[at] = static_cast<std::uint8_t>(block[at] | (n % 2 == 0 ? nibble << 4 : nibble));
        }
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

CharacterData smallCharacter() {
    CharacterData c;
    CharacterInfo& info = c.info;
    info.guid = Guid{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    info.width = 8;
    info.height = 6;
    info.transparentIndex = 0;
    info.flags = 0x110000 | kFlagVoice | kFlagBalloon;
    info.animationSetMajor = 2;
    // Engine, mode, speed, pitch, extra data: language, dialect, gender, age, style.
    info.voice = VoiceInfo{{}, {}, 0xFFFFFFFF, 0, true, 0x0411, "標準", 0, 0, ""};
    info.balloon = BalloonInfo{};
    info.palette = {{255, 0, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    info.trayIcon = TrayIcon{std::vector<std::uint8_t>(112, 0), std::vector<std::uint8_t>(232, 7)};
    info.states = {{"SHOWING", {"SHOW"}, {}},
                   {"HIDING", {"HIDE"}, {}},
                   {"IDLINGLEVEL1", {"IDLE (1)", "SHOW"}, {}}};
    info.localized = {{0x0409, "Pico", "A test character", ""},
                      {0x0411, "ピコ", "テスト用のキャラクター", "extra"}};

    // Image 0: a 3x2 patch of colour 2 with a transparent hole; image 1: the 8x6 body in
    // colour 1; image 2: a 5x3 mouth in colour 3 (width not a multiple of 4); image 3: a
    // 2x2 image using index 9, beyond the palette.
    c.images.push_back(imageFromRows({{2, 0, 2}, {2, 2, 2}}));
    c.images.push_back(solidImage(8, 6, 1));
    c.images.push_back(imageFromRows({{3, 3, 3, 3, 3}, {3, 0, 0, 0, 3}, {3, 3, 3, 3, 3}}));
    c.images.push_back(imageFromRows({{9, 2}, {2, 9}}));
    c.images[1].region = buildRegion(c.images[1], 0);
    c.sounds.push_back(pcmWave(21));

    // Fields in declaration order. Show 0: the patch on top, sticking out at the top right;
    // Show 1: image 3 (index 9) on the body.
    const Frame show0{{{0, 6, -1}, {1, 0, 0}}, 0, 10, kExitNextFrame, {{1, 60}, {0, 40}}, {}};
    const Frame show1{{{3, 6, 4}, {1, 0, 0}}, kNoSound, 0, 0, {}, {}};
    // Mouth 1 replaces image 0 with the mouth at (1,1); mouth 6 draws it over all at (4,4).
    const MouthOverlay open{1, true, 2, 0, 1, 1, 2, 1, {}};
    const MouthOverlay narrow{6, false, 2, 0, 4, 4, 2, 1, {}};
    const Frame idle0{{{0, 2, 2}, {1, 0, 0}}, kNoSound, 25, kExitEnd, {}, {open, narrow}};
    const Frame empty{{}, kNoSound, 5, kExitEnd, {}, {}};  // the character vanishes for 50 ms
    c.animations = {{"Show", "SHOW", 1, "", {show0, show1}, {}},
                    {"Idle (1)", "IDLE (1)", 2, "", {idle0}, {}},
                    {"Hide", "HIDE", 0, "SHOW", {empty}, {}}};
    return c;
}

namespace {

// Bytes of each field, in the order of Field.
constexpr std::size_t kWidths[] = {4, 4, 4, 4, 4, 4, 4, 4, 4, 2, 4, 1, 2, 2, 4,
                                   4, 4, 2, 4, 1, 4, 4, 4, 2, 4, 4, 1, 4, 4};

}  // namespace

std::size_t fieldOffset(const std::vector<std::uint8_t>& file, Field f) {
    const auto index = static_cast<std::size_t>(f);
    if (f <= Field::AudioDirSize) {
        return 4 * index;  // the header: four locators
    }
    const std::size_t info = get32(file, 4);
    // The walk assumes voice (with extra data) and balloon are present, as in smallCharacter().
    std::size_t palette = info + 41 + 16 + 16 + 4 + 2 + 1 + 2;
    palette += stringSize(file, palette);  // dialect
    palette += 4;                          // gender, age
    palette += stringSize(file, palette);  // style
    palette += 1 + 1 + 12;                 // balloon lines, chars, colours
    palette += stringSize(file, palette);  // font
    palette += 4 + 4 + 1 + 1;
    const std::size_t tray = palette + 4 + 4 * std::size_t{get32(file, palette)};
    std::size_t state = tray + 1;
    if (file[tray] == 1) {
        state += 4 + get32(file, state);
        state += 4 + get32(file, state);
    }
    const std::size_t animDir = get32(file, 12);
    const std::size_t animLocator = animDir + 4 + stringSize(file, animDir + 4);
    std::size_t frames = get32(file, animLocator);
    frames += stringSize(file, frames) + 1;
    frames += stringSize(file, frames);
    const std::size_t branches =
        frames + 4 + 8 * static_cast<std::size_t>(file[frames + 2] | (file[frames + 3] << 8)) + 6;
    const std::size_t imageDir = get32(file, 20);
    const std::size_t image = get32(file, imageDir + 4);
    const std::size_t audioDir = get32(file, 28);
    // clang-format off
    const std::size_t rest[] = {
        info + 28, palette, tray, state, get32(file, info + 4),                // ..LocalizedCount
        animDir, animLocator, animLocator + 4, frames, frames + 4, branches,  // ..BranchCount
        imageDir, imageDir + 4, imageDir + 8, image + 1, image + 6,           // ..ImagePixelSize
        image + 14 + get32(file, image + 6), image + 10, audioDir, get32(file, audioDir + 4) + 4};
    // clang-format on
    return rest[index - static_cast<std::size_t>(Field::FrameWidth)];
}

std::uint32_t fieldValue(const std::vector<std::uint8_t>& file, Field f) {
    const std::size_t at = fieldOffset(file, f);
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < kWidths[static_cast<std::size_t>(f)] && at + i < file.size(); ++i) {
        v |= std::uint32_t{file[at + i]} << (8 * i);
    }
    return v;
}

std::vector<std::uint8_t> corrupt(std::vector<std::uint8_t> file, Field f, std::uint32_t value) {
    const std::size_t at = fieldOffset(file, f);
    for (std::size_t i = 0; i < kWidths[static_cast<std::size_t>(f)] && at + i < file.size(); ++i) {
        file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return file;
}

}  // namespace acs::test
