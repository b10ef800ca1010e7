// `info`: the character as JSON, in the same vocabulary as the build manifest.

#include "Commands.h"

#include "agent/acs/Character.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace acstool {

namespace {

std::string langKey(std::uint16_t id) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04x", id);
    return buf;
}

}  // namespace

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

bool readFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    bytes = ss.str();
    return static_cast<bool>(in) || in.eof();
}

int fail(const std::string& what, const std::string& detail) {
    std::fprintf(stderr, "porukane-acs: %s: %s\n", what.c_str(), detail.c_str());
    return 1;
}

// Loads `file` in strict mode; on failure prints the one-line error and returns null.
std::shared_ptr<const acs::Character> loadStrict(const std::string& file) {
    std::string raw;
    if (!readFile(file, raw)) {
        fail(file, "cannot read the file");
        return nullptr;
    }
    acs::LoadResult r =
        acs::loadCharacter(std::vector<std::uint8_t>(raw.begin(), raw.end()), acs::Mode::Strict);
    if (!r.ok()) {
        fail(file, r.error.message());
        return nullptr;
    }
    return r.character;
}

int runInfo(const std::string& file) {
    const auto c = loadStrict(file);
    if (!c) {
        return 1;
    }
    const acs::CharacterInfo& info = c->info();
    std::ostringstream o;
    o << "{\n  \"file\": " << jsonString(file) << ",\n  \"width\": " << info.width
      << ",\n  \"height\": " << info.height
      << ",\n  \"transparentIndex\": " << int{info.transparentIndex}
      << ",\n  \"paletteCount\": " << info.palette.size() << ",\n  \"names\": {";
    for (std::size_t i = 0; i < info.localized.size(); ++i) {
        o << (i ? ", " : "") << jsonString(langKey(info.localized[i].langId)) << ": "
          << jsonString(info.localized[i].name);
    }
    o << "},\n  \"states\": {";
    for (std::size_t i = 0; i < info.states.size(); ++i) {
        o << (i ? ",\n" : "\n") << "    " << jsonString(info.states[i].name) << ": [";
        for (std::size_t k = 0; k < info.states[i].animations.size(); ++k) {
            o << (k ? ", " : "") << jsonString(info.states[i].animations[k]);
        }
        o << "]";
    }
    o << (info.states.empty() ? "" : "\n  ") << "},\n  \"imageCount\": " << c->images().size()
      << ",\n  \"soundCount\": " << c->sounds().size() << ",\n  \"animations\": [";
    const auto& anims = c->animations();
    for (std::size_t a = 0; a < anims.size(); ++a) {
        const acs::Animation& anim = anims[a];
        o << (a ? ",\n" : "\n") << "    {\"name\": " << jsonString(anim.name)
          << ", \"transition\": " << int{anim.transition}
          << ", \"returnAnimation\": " << jsonString(anim.returnAnimation) << ", \"frames\": [";
        for (std::size_t f = 0; f < anim.frames.size(); ++f) {
            const acs::Frame& fr = anim.frames[f];
            o << (f ? ",\n" : "\n") << "      {\"durationMs\": " << fr.duration * 10
              << ", \"images\": [";
            for (std::size_t k = 0; k < fr.images.size(); ++k) {
                o << (k ? ", " : "") << "[" << fr.images[k].image << ", " << fr.images[k].x << ", "
                  << fr.images[k].y << "]";
            }
            o << "], \"sound\": " << (fr.sound == acs::kNoSound ? -1 : int{fr.sound})
              << ", \"exitBranch\": " << fr.exitValue << ", \"branches\": [";
            for (std::size_t k = 0; k < fr.branches.size(); ++k) {
                o << (k ? ", " : "") << "[" << fr.branches[k].frame << ", "
                  << fr.branches[k].percent << "]";
            }
            o << "]}";
        }
        o << (anim.frames.empty() ? "" : "\n    ") << "]}";
    }
    o << (anims.empty() ? "" : "\n  ") << "]\n}\n";
    std::cout << o.str();
    return 0;
}

}  // namespace acstool
