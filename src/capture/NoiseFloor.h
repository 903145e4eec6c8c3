#pragma once

#include <vector>

// The room's noise floor, learnt while no note sounds: a low percentile of
// the levels (in dB) heard over the last few seconds, kept in a histogram so
// that each new level costs a few steps. The trigger a note must rise
// through sits a margin above it; a fixed trigger can take its place.
class CNoiseFloor {
public:
    static constexpr double kLowestDb = -100.0;  // digital silence reads as this
    static constexpr double kPercentile = 0.1;
    static constexpr double kMarginDb = 8.0;
    // Below this the trigger never goes: a quiet room's hiss is no note.
    static constexpr double kLowestTriggerDb = -66.0;
    // Until enough levels are heard the trigger starts here (about the old
    // fixed trigger's 0.05 of full scale less a little).
    static constexpr double kStartTriggerDb = -40.0;

    // levels: how many of the newest levels are kept (a few seconds' worth);
    // learnt: how many it takes before the floor is trusted.
    void Start(int levels, int learnt);
    // A fixed trigger (dB) instead of the learnt one; automatic = true undoes it.
    void SetFixed(bool automatic, double triggerDb);

    // One level heard while no note sounds.
    void Learn(double levelDb);
    double GetFloorDb() const;
    double GetTriggerDb() const;
    bool IsAutomatic() const { return m_automatic; }

private:
    int BinOf(double levelDb) const;

    std::vector<int> m_counts;  // levels per half-decibel bin
    std::vector<int> m_ring;    // the kept levels' bins, oldest first from m_next
    int m_next = 0;
    int m_kept = 0;
    int m_learnt = 1;
    bool m_automatic = true;
    double m_fixedDb = kStartTriggerDb;
};
