// Fuzz target for the character engine: load in both modes, check that what loads is fully
// resolved and drawable, that a strictly valid file survives a write/read round trip, that the
// player runs every animation of what loads for a bounded virtual time, and that the tray icon
// decodes to a picture of the size it claims or to nothing.

#include "Checks.h"

#include "agent/acs/Character.h"
#include "agent/acs/Decompressor.h"
#include "agent/acs/Wave.h"
#include "agent/acs/Writer.h"
#include "agent/engine/Script.h"
#include "agent/engine/TrayIcon.h"
#include "agent/playback/Player.h"

#include <algorithm>
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
        return;
    }
    const acs::PcmSound& s = w.value();
    if (s.channels < 1 || s.channels > 2 || s.samples.size() % s.channels != 0) {
        broken("decoded sound of a bad shape", std::to_string(s.channels));
    }
    if (s.samples.size() < (1u << 20)) {
        const acs::WaveResult again = acs::decodeWave(acs::encodeWave(s));
        if (!again.ok() || again.value().samples != s.samples ||
            again.value().sampleRate != s.sampleRate || again.value().channels != s.channels) {
            broken("a written sound decodes differently", "");
        }
    }
}

// Branch and idle choices taken from the input itself, so a crash replays exactly.
class InputRandom final : public playback::Random {
public:
    explicit InputRandom(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    int below(int n) override {
        if (n <= 1 || m_bytes.empty()) {
            return 0;
        }
        const std::uint8_t b = m_bytes[m_next++ % m_bytes.size()];
        return b % n;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_next = 0;
};

// Lets the player run for `budgetMs` of virtual time, stepping as its timer would, and checks
// that every picture it shows is a frame of the script.
void run(playback::Player& player, int budgetMs) {
    const playback::Script& script = player.script();
    const std::int64_t end = player.nowMs() + budgetMs;
    // Each step either passes time or does work; the cap stops a player that never waits.
    for (int steps = 0; steps < 4096 && player.nowMs() < end; ++steps) {
        const std::optional<int> wait = player.msUntilNextStep();
        if (!wait) {
            break;
        }
        player.advanceTo(std::min<std::int64_t>(end, player.nowMs() + *wait));
        const playback::Picture p = player.picture();
        if (p.animation >= 0 &&
            (static_cast<std::size_t>(p.animation) >= script.animations.size() || p.frame < 0 ||
             static_cast<std::size_t>(p.frame) >=
                 script.animations[static_cast<std::size_t>(p.animation)].frames.size())) {
            broken("the player shows a frame outside the script", "");
        }
        (void)player.takeEvents();
    }
}

void play(const acs::Character& c, std::span<const std::uint8_t> input) {
    InputRandom random(input);
    playback::Options options;
    options.idleFirstMs = 500;
    options.idleIntervalMinMs = 100;
    options.idleIntervalMaxMs = 900;
    options.idleLevel2Ms = 1'500;
    options.idleLevel3Ms = 3'000;
    playback::Player player(engine::makeScript(c), random, options);
    player.show();
    run(player, 2'000);
    for (const std::string& name : player.animationNames()) {
        player.play(name);
        run(player, 2'000);
        player.stop();
    }
    player.moveTo(40, -30, 300);
    player.play("no such animation");
    player.hide();
    run(player, 6'000);
}

void decodeIcon(const acs::Character& c) {
    const auto& icon = c.info().trayIcon;
    if (!icon) {
        return;
    }
    const auto image = engine::decodeTrayIcon(*icon);
    if (image && image->rgba.size() != std::size_t(image->width) * std::size_t(image->height) * 4) {
        broken("tray icon of the wrong size", "");
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
    {
        // The tray-icon decoder on its own: the input as both mask and colour image.
        (void)engine::decodeTrayIcon(acs::TrayIcon{bytes, bytes});
    }

    const acs::LoadResult lenient = acs::loadCharacter(bytes, acs::Mode::Lenient);
    if (lenient.ok()) {
        ++fuzzInputsAccepted;
        exercise(*lenient.character);
        decodeIcon(*lenient.character);
        play(*lenient.character, bytes);
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
                broken("a strictly valid character cannot be written:", written.error().message());
            }
            const acs::LoadResult again = acs::loadCharacter(written.value(), acs::Mode::Strict);
            if (!again.ok() || !(again.character->toData() == model)) {
                broken("write/read round trip changed the character", "");
            }
        }
    }
    return 0;
}
