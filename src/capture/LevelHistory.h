#pragma once

#include <cstddef>
#include <deque>

// The newest hops' levels in dB, newest last: where a sound began is traced
// back through them.
class CLevelHistory {
public:
    static constexpr size_t kCapacity = 64;

    void Clear() { m_levels.clear(); }
    void Add(double levelDb);
    // The newest level; kQuiet before any.
    double Newest() const { return m_levels.empty() ? kQuiet : m_levels.back(); }
    // How many hops back, of the newest maxHops, the level last stood within
    // troughDb of the quietest of them (0: the newest).
    int HopsSinceTrough(int maxHops, double troughDb) const;
    // How many hops back the quietest of the newest span hops lies, when the
    // level rose out of it by riseDb since; -1 when it did not.
    int HopsSinceRise(int span, double riseDb) const;
    // How much the newest span hops' mean level (in dB) lies above the
    // span hops' before them: a level that swells, however its hops
    // ripple with a low note's waveform. 0 without enough hops.
    double SwellDb(int span) const;

private:
    static constexpr double kQuiet = -200.0;

    std::deque<double> m_levels;
};
