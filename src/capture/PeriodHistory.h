#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// The sounding note's newest hops: how well its own period repeated in each
// (the YIN dip at it) and the level. A note that steps to the next without
// an attack shows where the next one began: there the last one's period is
// first troubled, often well before the next pitch is clear or the level
// shows a lull.
class CPeriodHistory {
public:
    // A dip above this, and above kUsualDips times the note's median dip
    // (voices that beat never repeat cleanly), is a troubled period...
    static constexpr double kTroubledDip = 0.05;
    static constexpr double kUsualDips = 2.0;
    // ... after this many hops in a row below it...
    static constexpr int kClearHops = 3;
    // ... looked for at most this many hops back.
    static constexpr int kMostHops = 60;
    // A run of troubled hops is no new sound when it began within this of
    // the noise floor (noise that close troubles a period about as much)...
    static constexpr double kAboveNoiseDb = 16.0;
    // ... or when it, or the clear hops before it, stood this much louder
    // than its quietest hop: a note dying away in its release, whose period
    // frays as it fades.
    static constexpr double kFallDb = 8.0;

    void Clear() { m_hops.clear(); }
    // end: the index that ends the hop.
    void Add(int64_t end, double dip, double levelDb);
    // The end of the earliest troubled hop before index (inclusive), walking
    // back until kClearHops clear ones in a row; -1 when none is found that
    // way within kMostHops, or when the run is a fading note's (see
    // kAboveNoiseDb and kFallDb). noiseDb: the noise floor.
    int64_t TroubledSince(int64_t index, double noiseDb) const;

private:
    static constexpr size_t kCapacity = 128;

    struct HOP {
        int64_t end = 0;
        double dip = 0.0;
        double levelDb = 0.0;
    };
    std::deque<HOP> m_hops;  // newest last
};
