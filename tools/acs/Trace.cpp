// `trace`: the playback timeline of some Play requests as JSON Lines, from the player the
// desktop uses, on a virtual clock, with no window and no sound.

#include "Commands.h"

#include "agent/desktop/CharacterScript.h"
#include "agent/playback/Player.h"
#include "names/NameFold.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace acstool {

namespace {

// Branch draws come from the list given, in turn; anything else draws 0 (there is nothing
// else to draw: no states play and idling is off).
class ListRandom final : public playback::Random {
public:
    explicit ListRandom(std::vector<int> draws) : m_draws(std::move(draws)) {}
    int below(int n) override {
        if (n != 100 || m_draws.empty()) {
            return 0;
        }
        const int r = m_draws[m_next];
        m_next = (m_next + 1) % m_draws.size();
        return r;
    }

private:
    std::vector<int> m_draws;
    std::size_t m_next = 0;
};

std::optional<std::int64_t> wholeNumber(const std::string& text, std::int64_t max) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

struct Options {
    std::string file;
    std::vector<std::string> animations;
    std::vector<int> draws{0};
    std::optional<std::int64_t> stopAt;
    std::int64_t until = 60'000;
};

// Parses the arguments after "trace"; returns the error line or "".
std::string parse(int argc, char** argv, Options& o) {
    constexpr std::int64_t kMaxMs = std::int64_t{1} << 40;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool valued = arg == "--draws" || arg == "--stop-at" || arg == "--until";
        if (valued && i + 1 >= argc) {
            return arg + " needs a value";
        }
        if (arg == "--draws") {
            o.draws.clear();
            std::string list = argv[++i];
            std::size_t start = 0;
            for (;;) {
                const std::size_t comma = list.find(',', start);
                const std::string item = list.substr(start, comma - start);
                const auto n = wholeNumber(item, 99);
                if (!n) {
                    return "--draws: \"" + item + "\" is not a number in 0..99";
                }
                o.draws.push_back(static_cast<int>(*n));
                if (comma == std::string::npos) {
                    break;
                }
                start = comma + 1;
            }
        } else if (arg == "--stop-at" || arg == "--until") {
            const auto ms = wholeNumber(argv[++i], kMaxMs);
            if (!ms) {
                return arg + ": \"" + argv[i] + "\" is not a time in milliseconds";
            }
            (arg == "--until" ? o.until : o.stopAt.emplace()) = *ms;
        } else if (arg.rfind("--", 0) == 0) {
            return "unknown option " + arg;
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            o.animations.push_back(arg);
        }
    }
    if (o.file.empty() || o.animations.empty()) {
        return "usage: porukane-acs trace FILE ANIMATION... [--draws N,N,...] [--stop-at MS] "
               "[--until MS]";
    }
    return {};
}

// Prints the timeline. Lines at or after `until` are never printed.
class Printer {
public:
    Printer(const playback::Script& script, std::int64_t until)
        : m_script(script), m_until(until) {}

    void frame(const playback::FrameVisit& visit) {
        const auto& animation = m_script.animations[static_cast<std::size_t>(visit.animation)];
        const auto& f = animation.frames[static_cast<std::size_t>(visit.frame)];
        const char* step = visit.kind == playback::VisitKind::Exit     ? "exit"
                           : visit.kind == playback::VisitKind::Return ? "return"
                                                                       : "play";
        line(visit.atMs, "\"anim\":" + jsonString(animation.name) +
                             ",\"frame\":" + std::to_string(visit.frame) +
                             ",\"ms\":" + std::to_string(f.durationMs) + ",\"sound\":" +
                             std::to_string(f.sound) + ",\"step\":\"" + step + "\"");
    }
    void done(std::int64_t at, const std::string& name) {
        line(at, "\"done\":" + jsonString(name));
    }
    void flag(std::int64_t at, const char* key) { line(at, "\"" + std::string(key) + "\":true"); }
    // The last line, printed whatever its time.
    void end(std::int64_t at, bool idle) {
        m_until = at + 1;
        flag(at, idle ? "idle" : "until");
    }

private:
    void line(std::int64_t at, const std::string& body) {
        if (at < m_until) {
            std::printf("{\"t\":%lld,%s}\n", static_cast<long long>(at), body.c_str());
        }
    }

    const playback::Script& m_script;
    std::int64_t m_until;
};

}  // namespace

int runTrace(int argc, char** argv) {
    Options o;
    if (const std::string error = parse(argc, argv, o); !error.empty()) {
        std::fprintf(stderr, "porukane-acs: trace: %s\n", error.c_str());
        return 1;
    }
    const auto character = loadStrict(o.file);
    if (!character) {
        return 1;
    }
    // The character counts as shown already: no Showing animation, and no idling.
    playback::Script script = desktop::makeScript(*character);
    std::erase_if(script.states, [](const auto& state) {
        return names::same(state.first, playback::kStateShowing);
    });
    ListRandom random(o.draws);
    playback::Options options;
    options.idle = false;
    playback::Player player(script, random, options);
    for (const std::string& name : o.animations) {
        if (player.findAnimation(name) < 0) {
            return fail(o.file, "no animation named \"" + name + "\"");
        }
    }

    Printer out(player.script(), o.until);
    std::map<playback::RequestId, std::string> requests;  // Play request -> animation name
    const auto flush = [&] {
        for (const playback::Event& event : player.takeEvents()) {
            if (event.kind == playback::EventKind::RequestCompleted &&
                event.status == playback::RequestStatus::Done && requests.count(event.request)) {
                out.done(player.nowMs(), requests[event.request]);
            }
        }
    };
    player.setFrameVisitHook([&](const playback::FrameVisit& visit) {
        flush();  // a request that ended at this moment ended before this frame
        out.frame(visit);
    });
    player.show();
    for (const std::string& name : o.animations) {
        const int index = player.findAnimation(name);
        requests[player.play(name)] = player.script().animations[std::size_t(index)].name;
    }

    // Steps from one deadline to the next, so every event of a step happens at nowMs().
    for (;;) {
        const std::optional<int> wait = player.msUntilNextStep();
        const std::int64_t now = player.nowMs();
        if (!wait) {
            out.end(now < o.until ? now : o.until, now < o.until);
            break;
        }
        if (o.stopAt && now + *wait > *o.stopAt && *o.stopAt < o.until) {
            // Everything due at the stop time has happened; now stop.
            player.advanceTo(*o.stopAt);
            flush();
            if (player.busy()) {
                out.flag(*o.stopAt, "stop");
            }
            player.stop();
            o.stopAt.reset();
            continue;
        }
        if (now + *wait >= o.until) {
            out.end(o.until, false);
            break;
        }
        player.advance(*wait);
        flush();
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace acstool
