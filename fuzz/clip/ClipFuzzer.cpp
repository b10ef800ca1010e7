// Fuzz target for the clip reader and player: any input must either be refused with an error
// or play through, in both reading modes, without a crash, leak or undefined behaviour.

#include "clip/Player.h"
#include "clip/Reader.h"

#include <cstddef>
#include <cstdint>

// Inputs the reader accepted in at least one mode; the replay driver fails when none did.
std::size_t fuzzInputsAccepted = 0;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool accepted = false;
    for (clip::ReadMode mode : {clip::ReadMode::Strict, clip::ReadMode::Lenient}) {
        clip::Result<clip::Clip> result = clip::readClip({data, size}, mode);
        if (!result)
            continue;
        accepted = true;
        clip::Player player(std::move(result.value()));
        const std::uint64_t period = player.clip().frameMicroseconds;
        const std::uint64_t frames = player.frameCount();
        player.play();
        // Two loops frame by frame, then a jump over several frames and loops at once; the
        // picture is converted only now and then because a big canvas is slow to convert.
        for (std::uint64_t tick = 1; tick <= 2 * frames; ++tick) {
            player.advanceTo(tick * period);
            if (tick % 64 == 0 || tick == frames)
                player.pixels();
        }
        player.advanceTo((5 * frames + frames / 2 + 1) * period);
        player.pixels();
        player.seek(frames - 1);
        player.seek(0);
        player.pixels();
    }
    fuzzInputsAccepted += accepted ? 1 : 0;
    return 0;
}
