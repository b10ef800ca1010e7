// Fuzz target for the character reader: load in both modes, check that what loads is fully
// resolved and drawable, and that a strictly valid file survives a write/read round trip.

#include "Checks.h"

#include "agent/acs/Character.h"
#include "agent/acs/Decompressor.h"
#include "agent/acs/Wave.h"
#include "agent/acs/Writer.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

// Inputs that loaded in lenient mode; the replay driver fails when none did.
std::size_t fuzzInputsAccepted = 0;

namespace {

[[noreturn]] void broken(const char* what, const std::string& detail) {
    std::fprintf(stderr, "property violated: %s %s\n", what, detail.c_str());
    std::abort();
}

// A decoded sound has whole frames of 1 or 2 channels, and writing it out and decoding that
// gives the same samples back.
void checkSound(std::span<const std::uint8_t> riff) {
    const acs::WaveResult w = acs::decodeWave(riff);
    if (!w.ok()) {
        if (!w.sound.samples.empty()) {
            broken("a sound that fails to decode has samples", w.error.message());
        }
        return;
    }
    const acs::PcmSound& s = w.sound;
    if (s.channels < 1 || s.channels > 2 || s.samples.size() % s.channels != 0) {
        broken("decoded sound of a bad shape", std::to_string(s.channels));
    }
    if (s.samples.size() < (1u << 20)) {
        const acs::WaveResult again = acs::decodeWave(acs::encodeWave(s));
        if (!again.ok() || again.sound.samples != s.samples ||
            again.sound.sampleRate != s.sampleRate || again.sound.channels != s.channels) {
            broken("a written sound decodes differently", "");
        }
    }
}

void exercise(const acs::Character& c) {
    const std::string dangling = acs::test::danglingReference(c);
    if (!dangling.empty()) {
        broken("dangling reference:", dangling);
    }
    const auto& anims = c.animations();
    for (std::size_t a = 0; a < anims.size(); ++a) {
        if (anims[a].frames.empty()) {
            continue;
        }
        // One frame per animation, chosen by its index so that many frames get drawn.
        const std::size_t f = a % anims[a].frames.size();
        const auto& overlays = anims[a].frames[f].overlays;
        const int mouth = overlays.empty() ? acs::kNoMouth : overlays.front().mouth;
        const auto frame = c.composeFrame(a, f, mouth);
        if (frame->rgba.size() != std::size_t{c.width()} * c.height() * 4) {
            broken("composed frame of the wrong size", anims[a].name);
        }
    }
    for (std::size_t i = 0; i < c.sounds().size(); ++i) {
        checkSound(c.soundBytes(i));
    }
    (void)c.verifyImages();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);

    std::vector<std::uint8_t> out;
    (void)acs::decompress(bytes, 4096, out, size % 2 == 0, 0x7F);
    checkSound(bytes);

    const acs::LoadResult lenient = acs::loadCharacter(bytes, acs::Mode::Lenient);
    if (lenient.ok()) {
        ++fuzzInputsAccepted;
        exercise(*lenient.character);
    }
    const acs::LoadResult strict = acs::loadCharacter(bytes, acs::Mode::Strict);
    if (strict.ok()) {
        if (!lenient.ok()) {
            broken("strict mode loads what lenient mode refuses", "");
        }
        exercise(*strict.character);
        if (size < 65536) {
            const acs::CharacterData model = strict.character->toData();
            const acs::WriteResult written = acs::writeCharacter(model);
            if (!written.ok()) {
                broken("a strictly valid character cannot be written:", written.error.message());
            }
            const acs::LoadResult again = acs::loadCharacter(written.bytes, acs::Mode::Strict);
            if (!again.ok() || !(again.character->toData() == model)) {
                broken("write/read round trip changed the character", "");
            }
        }
    }
    return 0;
}
