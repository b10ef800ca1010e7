#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace playback {

// The player's only source of chance, injected so that tests can script every draw. The
// player draws only when there is a choice (n >= 2): below(100) when it leaves a frame that
// has branches, below(count) when it starts an animation of a state listing several, and
// below(max - min + 1) for the pause after an idle animation when the idle interval is a range.
class Random {
public:
    virtual ~Random() = default;
    // A uniform integer in [0, n). Called only with n >= 1. A result outside [0, n) is
    // clamped into it by the caller, so a sloppy implementation cannot break playback.
    virtual int below(int n) = 0;
};

// A ready-made source for programs that have no generator of their own.
class StdRandom final : public Random {
public:
    explicit StdRandom(std::uint32_t seed = std::random_device{}()) : m_engine(seed) {}
    int below(int n) override {
        if (n <= 1) {
            return 0;
        }
        return std::uniform_int_distribution<int>(0, n - 1)(m_engine);
    }

private:
    std::mt19937 m_engine;
};

// Draws that can be made ahead of time. A copy of the player that looks ahead draws through
// ahead(); the draws it makes are kept, and the player itself gets the same ones later, in
// the same order, so it goes exactly the way its copy went. A kept draw made for another
// choice (a different n: the player was told something new meanwhile) is dropped with all
// those after it.
class ForesightRandom final : public Random {
public:
    explicit ForesightRandom(Random& source) : m_source(source), m_ahead(*this) {}
    ForesightRandom(const ForesightRandom&) = delete;
    ForesightRandom& operator=(const ForesightRandom&) = delete;

    int below(int n) override {
        if (m_next < m_kept.size()) {
            const auto [kept, value] = m_kept[m_next];
            if (kept == n) {
                ++m_next;
                return value;
            }
            forget();
        }
        return m_source.below(n);
    }
    // The source for a new look-ahead copy: it gets the draws already kept first, then
    // fresh ones, which are kept. Only the latest copy may draw.
    Random& ahead() {
        m_kept.erase(m_kept.begin(), m_kept.begin() + static_cast<std::ptrdiff_t>(m_next));
        m_next = 0;
        m_ahead.m_next = 0;
        return m_ahead;
    }
    // Drops every kept draw (what was looked at will not happen).
    void forget() {
        m_kept.clear();
        m_next = 0;
    }

private:
    class Ahead final : public Random {
    public:
        explicit Ahead(ForesightRandom& owner) : m_owner(owner) {}
        int below(int n) override {
            auto& kept = m_owner.m_kept;
            if (m_next < kept.size() && kept[m_next].first != n)
                kept.resize(m_next);
            if (m_next == kept.size())
                kept.emplace_back(n, m_owner.m_source.below(n));
            return kept[m_next++].second;
        }
        std::size_t m_next = 0;

    private:
        ForesightRandom& m_owner;
    };

    Random& m_source;
    Ahead m_ahead;
    std::vector<std::pair<int, int>> m_kept;  // (n, drawn) in the order they are due
    std::size_t m_next = 0;                   // the player's next kept draw
};

}  // namespace playback
