// Writes the seed corpus: small characters made by our own writer and sounds of our own, each
// under 4 KB.
// Usage: acs_generate_seeds OUTPUT_FOLDER

#include "Fixture.h"
#include "SeedFile.h"
#include "agent/engine/TrayIconFixture.h"

#include "agent/acs/Decompressor.h"
#include "agent/acs/Writer.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: acs_generate_seeds OUTPUT_FOLDER\n");
        return 2;
    }
    using fuzzseeds::save;
    const std::string folder = argv[1];
    using acs::test::smallCharacter;
    bool ok = save(folder, "small.acs", acs::writeCharacterUnchecked(smallCharacter()));

    // A character whose tray icon decodes, and the icon's colour image on its own for the
    // tray-icon decoder.
    acs::CharacterData withIcon = smallCharacter();
    withIcon.info.trayIcon = traytest::sampleIcon();
    ok = ok && save(folder, "tray-icon.acs", acs::writeCharacterUnchecked(withIcon));
    ok = ok && save(folder, "tray-icon.dib", traytest::sampleIcon().color);

    acs::CharacterData plain = smallCharacter();
    plain.info.voice.reset();
    plain.info.balloon.reset();
    plain.info.trayIcon.reset();
    plain.info.localized.resize(1);
    ok = ok && save(folder, "plain.acs", acs::writeCharacterUnchecked(plain));

    // Overlay region data, a type-1 exit chain and a 0-duration self-branch.
    acs::CharacterData rich = smallCharacter();
    rich.animations[1].frames[0].overlays[0].region = std::vector<std::uint8_t>(40, 3);
    acs::Frame blank;
    blank.branches = {{2, 91}};
    blank.exitValue = acs::kExitNextFrame;
    rich.animations[0].frames.push_back(blank);
    rich.images.push_back(acs::test::solidImage(7, 3, 2));  // width not a multiple of 4
    rich.images.back().region = acs::buildRegion(rich.images.back(), 0);
    const std::vector<std::uint8_t> block = {0, 16, 0, 100, 0, 50, 0, 0x1F, 0x78, 0x9A, 0xBC};
    std::vector<std::uint8_t> blocks = block;
    blocks.insert(blocks.end(), block.begin(), block.end() - 2);  // two blocks, the last short
    rich.sounds.push_back(acs::test::adpcmWave(1, 11, blocks));
    const std::vector<std::uint8_t> stereo = {0,  1, 16, 0,    16,   0, 10, 0,  20,  0,  0,
                                              0,  5, 0,  0x21, 0x7E, 0, 1,  16, 0,   16, 0,
                                              10, 0, 20, 0,    0,    0, 5,  0,  0x12};
    rich.sounds.push_back(acs::test::adpcmWave(2, 16, stereo));
    rich.animations[1].frames[0].sound = 1;
    rich.animations[2].frames[0].sound = 2;
    ok = ok && save(folder, "rich.acs", acs::writeCharacterUnchecked(rich));

    // Broken on purpose: lenient mode has to work around these.
    acs::CharacterData dangling = smallCharacter();
    dangling.animations[0].frames[0].branches[0].frame = 9;
    dangling.animations[0].frames[1].images[0].image = 77;
    dangling.info.states[0].animations.push_back("GONE");
    ok = ok && save(folder, "dangling.acs", acs::writeCharacterUnchecked(dangling));

    // Sounds on their own: encoded ADPCM of both channel counts with our own coefficient
    // pairs, a short last block and a fact count, and the damaged forms a sound can take.
    std::vector<std::int16_t> tone;
    for (int i = 0; i < 600; ++i) {
        tone.push_back(static_cast<std::int16_t>((i * 997) % 20000 - 10000));
    }
    acs::test::AdpcmFormat f;
    f.blockAlign = 64;
    f.coefficients = {{300, -45}, {-77, 13},   {511, -255}, {1, 1},
                      {129, 127}, {-300, 101}, {333, -99},  {255, -1}};
    f.fact = 590;
    std::vector<std::uint8_t> data = acs::test::encodeAdpcm(f, tone);
    data.resize(data.size() - 30);
    ok = ok && save(folder, "mono.wav", acs::test::adpcmWave(f, data));
    f.channels = 2;
    f.fact = 290;
    ok = ok && save(folder, "stereo.wav", acs::test::adpcmWave(f, acs::test::encodeAdpcm(f, tone)));
    f.channels = 3;
    ok = ok && save(folder, "channels3.wav", acs::test::adpcmWave(f, data));
    f.channels = 1;
    f.blockAlign = 0;
    ok = ok && save(folder, "block0.wav", acs::test::adpcmWave(f, data));
    f.blockAlign = 64;
    f.coefficients.resize(1);
    ok = ok && save(folder, "predictor.wav", acs::test::adpcmWave(f, data));
    f.coefficients.resize(7, {256, 0});
    data.resize(64 + 5);  // the second block ends inside its header
    ok = ok && save(folder, "cut.wav", acs::test::adpcmWave(f, data));
    f.fact = 100000;
    ok = ok && save(folder, "fact.wav", acs::test::adpcmWave(f, {data.begin(), data.begin() + 64}));

    const auto region = acs::buildRegion(acs::test::solidImage(5, 5, 1), 0);
    ok = ok && save(folder, "region.lz", acs::compress(region));
    return ok ? 0 : 1;
}
