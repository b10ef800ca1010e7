// porukane-acs sound: a character's sounds as 16-bit PCM WAVE files holding exactly the samples
// the companion hands to the audio output (before any resampling for the device).

#include "Commands.h"

#include "agent/acs/Wave.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace acstool {

namespace {

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// Decodes sound `index` and writes it to `out`; reports a failure on stderr.
bool exportSound(const std::string& file, const acs::Character& c, std::size_t index,
                 const std::string& out) {
    const std::string what = file + ": sound " + std::to_string(index);
    const acs::WaveResult wave = acs::decodeWave(c.soundBytes(index));
    if (!wave.ok()) {
        acs::Error e = wave.error();
        e.offset += c.sounds()[index].offset;  // an offset in the character file
        fail(what, e.message());
        return false;
    }
    if (!writeBytes(out, acs::encodeWave(wave.value()))) {
        fail(out, "cannot write the file");
        return false;
    }
    return true;
}

// Loads `file` as the companion does: leniently, with a flawed sound entry left empty.
std::shared_ptr<const acs::Character> loadLenient(const std::string& file) {
    std::string raw;
    if (!readFile(file, raw)) {
        fail(file, "cannot read the file");
        return nullptr;
    }
    acs::LoadResult r =
        acs::loadCharacter(std::vector<std::uint8_t>(raw.begin(), raw.end()), acs::Mode::Lenient);
    if (!r.ok()) {
        fail(file, r.error.message());
        return nullptr;
    }
    return r.character;
}

}  // namespace

int runSound(const std::string& file, const std::string& index, const std::string& out) {
    const auto c = loadLenient(file);
    if (!c) {
        return 1;
    }
    const std::size_t count = c->sounds().size();
    if (index == "--all") {
        std::error_code ec;
        std::filesystem::create_directories(out, ec);
        if (ec) {
            return fail(out, "cannot create the folder: " + ec.message());
        }
        bool ok = true;
        for (std::size_t i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%03zu.wav", i);
            ok = exportSound(file, *c, i, (std::filesystem::path(out) / name).string()) && ok;
        }
        return ok ? 0 : 1;
    }
    std::size_t i = 0;
    std::size_t used = 0;
    try {
        i = std::stoul(index, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != index.size() || index[0] == '-' || i >= count) {
        return fail(file, "no sound " + index + " (the character has " + std::to_string(count) +
                              " sounds, numbered from 0)");
    }
    return exportSound(file, *c, i, out) ? 0 : 1;
}

}  // namespace acstool
