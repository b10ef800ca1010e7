#include "Fixture.h"

#include "agent/acs/Writer.h"

namespace acs::test {

namespace {

std::uint32_t get32(const std::vector<std::uint8_t>& f, std::size_t at) {
    return std::uint32_t{f[at]} | (std::uint32_t{f[at + 1]} << 8) |
           (std::uint32_t{f[at + 2]} << 16) | (std::uint32_t{f[at + 3]} << 24);
}
std::uint16_t get16(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}
// Bytes of the STRING at `at`.
std::size_t stringSize(const std::vector<std::uint8_t>& f, std::size_t at) {
    const std::uint32_t n = get32(f, at);
    return n == 0 ? 4 : 4 + 2 * (std::size_t{n} + 1);
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
    std::vector<std::uint8_t> w;
    const auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            w.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    const std::size_t data = samples + (samples & 1);
    w.insert(w.end(), {'R', 'I', 'F', 'F'});
    put(static_cast<std::uint32_t>(4 + 8 + 16 + 8 + data), 4);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(rate, 4);
    put(rate, 4);  // bytes per second
    put(1, 2);     // block align
    put(8, 2);     // bits per sample
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    put(static_cast<std::uint32_t>(samples), 4);
    for (std::size_t i = 0; i < data; ++i) {
        w.push_back(static_cast<std::uint8_t>(128 + ((i / 4) % 2 ? 40 : -40)));
    }
    return w;
}

std::vector<std::uint8_t> adpcmWave(std::uint16_t channels, std::uint16_t blockAlign,
                                    const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> w;
    const auto put = [&](long v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            w.push_back(static_cast<std::uint8_t>(static_cast<unsigned long>(v) >> (8 * i)));
        }
    };
    w.insert(w.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(50, 4);  // WAVEFORMATEX (18) + samples per block, count, 7 pairs (32)
    put(2, 2);
    put(channels, 2);
    put(22050, 4);
    put(11100, 4);
    put(blockAlign, 2);
    put(4, 2);
    put(32, 2);
    put((blockAlign - 7 * channels) * 8 / (4 * channels) + 2, 2);
    put(7, 2);
    for (const auto& [a, b] : std::vector<std::pair<int, int>>{
             {256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}) {
        put(a, 2);
        put(b, 2);
    }
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    put(static_cast<long>(data.size()), 4);
    w.insert(w.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) {
        w.push_back(0);  // chunk padding
    }
    const std::size_t riffSize = w.size() - 8;
    for (std::size_t i = 0; i < 4; ++i) {
        w[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    }
    return w;
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
    info.voice = VoiceInfo{};
    info.voice->hasExtra = true;
    info.voice->langId = 0x0411;
    info.voice->dialect = "標準";
    info.voice->speed = 0xFFFFFFFF;
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

    Animation show;
    show.name = "Show";
    show.recordName = "SHOW";
    show.transition = 1;
    Frame f0;
    f0.images = {{0, 6, -1}, {1, 0, 0}};  // patch on top, sticking out at the top right
    f0.sound = 0;
    f0.duration = 10;
    f0.exitValue = kExitNextFrame;
    f0.branches = {{1, 60}, {0, 40}};
    Frame f1;
    f1.images = {{3, 6, 4}, {1, 0, 0}};  // image 3 holds index 9, beyond the palette
    f1.duration = 0;
    f1.exitValue = 0;
    show.frames = {f0, f1};

    Animation idle;
    idle.name = "Idle (1)";
    idle.recordName = "IDLE (1)";
    Frame i0;
    i0.images = {{0, 2, 2}, {1, 0, 0}};
    i0.duration = 25;
    MouthOverlay open;
    open.mouth = 1;
    open.replace = true;
    open.image = 2;
    open.x = 1;
    open.y = 1;
    open.centerX = 2;
    open.centerY = 1;
    MouthOverlay narrow = open;
    narrow.mouth = 6;
    narrow.replace = false;
    narrow.x = 4;
    narrow.y = 4;
    i0.overlays = {open, narrow};
    idle.frames = {i0};

    Animation hide;
    hide.name = "Hide";
    hide.recordName = "HIDE";
    hide.transition = 0;
    hide.returnAnimation = "SHOW";
    Frame h0;
    h0.duration = 5;  // empty frame: the character vanishes for 50 ms
    hide.frames = {h0};

    c.animations = {show, idle, hide};
    return c;
}

std::string fieldName(Field f) {
    static const char* const names[] = {
        "Signature",      "InfoOffset",     "InfoSize",          "AnimDirOffset",
        "AnimDirSize",    "ImageDirOffset", "ImageDirSize",      "AudioDirOffset",
        "AudioDirSize",   "FrameWidth",     "PaletteCount",      "TrayIconFlag",
        "StateCount",     "LocalizedCount", "AnimDirCount",      "AnimRecordOffset",
        "AnimRecordSize", "FrameCount",     "FrameImageCount",   "FrameImageIndex",
        "BranchCount",    "ImageDirCount",  "ImageRecordOffset", "ImageRecordSize",
        "ImageWidth",     "ImagePixelSize", "ImageRegionSize",   "PixelMarker",
        "AudioDirCount",  "SoundRiffSize"};
    return names[static_cast<int>(f)];
}

std::size_t fieldWidth(Field f) {
    switch (f) {
        case Field::FrameWidth:
        case Field::StateCount:
        case Field::LocalizedCount:
        case Field::FrameCount:
        case Field::FrameImageCount:
        case Field::ImageWidth:
            return 2;
        case Field::TrayIconFlag:
        case Field::BranchCount:
        case Field::PixelMarker:
            return 1;
        default:
            return 4;
    }
}

std::size_t fieldOffset(const std::vector<std::uint8_t>& file, Field f) {
    const std::size_t info = get32(file, 4);
    const std::size_t animDir = get32(file, 12);
    const std::size_t imageDir = get32(file, 20);
    const std::size_t audioDir = get32(file, 28);
    // The walk below assumes voice (with extra data) and balloon are present, as in
    // smallCharacter().
    const auto paletteAt = [&] {
        std::size_t p = info + 41 + 16 + 16 + 4 + 2 + 1 + 2;
        p += stringSize(file, p);  // dialect
        p += 4;                    // gender, age
        p += stringSize(file, p);  // style
        p += 1 + 1 + 12;           // balloon lines, chars, colours
        p += stringSize(file, p);  // font
        return p + 4 + 4 + 1 + 1;
    };
    const auto trayAt = [&] { return paletteAt() + 4 + 4 * std::size_t{get32(file, paletteAt())}; };
    const auto stateAt = [&] {
        std::size_t p = trayAt();
        if (file[p] == 1) {
            p += 1;
            p += 4 + get32(file, p);
            p += 4 + get32(file, p);
            return p;
        }
        return p + 1;
    };
    const std::size_t firstAnimEntry = animDir + 4;
    const std::size_t animLocator = firstAnimEntry + stringSize(file, firstAnimEntry);
    const auto frameCountAt = [&] {
        std::size_t p = get32(file, animLocator);
        p += stringSize(file, p);
        p += 1;
        return p + stringSize(file, p);
    };
    const std::size_t imageRecord = get32(file, imageDir + 4);
    switch (f) {
        case Field::Signature:
            return 0;
        case Field::InfoOffset:
            return 4;
        case Field::InfoSize:
            return 8;
        case Field::AnimDirOffset:
            return 12;
        case Field::AnimDirSize:
            return 16;
        case Field::ImageDirOffset:
            return 20;
        case Field::ImageDirSize:
            return 24;
        case Field::AudioDirOffset:
            return 28;
        case Field::AudioDirSize:
            return 32;
        case Field::FrameWidth:
            return info + 28;
        case Field::PaletteCount:
            return paletteAt();
        case Field::TrayIconFlag:
            return trayAt();
        case Field::StateCount:
            return stateAt();
        case Field::LocalizedCount:
            return get32(file, info + 4);
        case Field::AnimDirCount:
            return animDir;
        case Field::AnimRecordOffset:
            return animLocator;
        case Field::AnimRecordSize:
            return animLocator + 4;
        case Field::FrameCount:
            return frameCountAt();
        case Field::FrameImageCount:
            return frameCountAt() + 2;
        case Field::FrameImageIndex:
            return frameCountAt() + 4;
        case Field::BranchCount: {
            const std::size_t p = frameCountAt() + 2;
            return p + 2 + 8 * std::size_t{get16(file, p)} + 6;
        }
        case Field::ImageDirCount:
            return imageDir;
        case Field::ImageRecordOffset:
            return imageDir + 4;
        case Field::ImageRecordSize:
            return imageDir + 8;
        case Field::ImageWidth:
            return imageRecord + 1;
        case Field::ImagePixelSize:
            return imageRecord + 6;
        case Field::PixelMarker:
            return imageRecord + 10;
        case Field::ImageRegionSize:
            return imageRecord + 10 + get32(file, imageRecord + 6) + 4;
        case Field::AudioDirCount:
            return audioDir;
        case Field::SoundRiffSize:
            return get32(file, audioDir + 4) + 4;
    }
    return 0;
}

std::uint32_t fieldValue(const std::vector<std::uint8_t>& file, Field f) {
    const std::size_t at = fieldOffset(file, f);
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < fieldWidth(f) && at + i < file.size(); ++i) {
        v |= std::uint32_t{file[at + i]} << (8 * i);
    }
    return v;
}

std::vector<std::uint8_t> corrupt(std::vector<std::uint8_t> file, Field f, std::uint32_t value) {
    const std::size_t at = fieldOffset(file, f);
    for (std::size_t i = 0; i < fieldWidth(f) && at + i < file.size(); ++i) {
        file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return file;
}

}  // namespace acs::test
