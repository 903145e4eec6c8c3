#pragma once

#include <vector>

#include "exercise/PracticeRecords.h"

// The notes the learner misses most over the whole history, all lessons and
// both clefs: what a drill of the weakest notes practises. A note counts by
// the misses among its latest results; of two with as many misses, the one
// answered more slowly is weaker.
class CWeakNotes {
public:
    static constexpr int kMaxNotes = 6;
    static constexpr double kWeekSeconds = 7.0 * 24.0 * 3600.0;

    // Chooses from the statistics of every note ever shown (lowest first).
    // Empty when no note was ever missed.
    void Choose(const std::vector<PRACTICE_NOTE_STATS>& stats, double now);
    // The chosen notes, lowest first.
    const std::vector<int>& GetNotes() const { return m_notes; }
    // Whether every chosen note was last seen within the week before now.
    bool AreFromThisWeek() const { return m_thisWeek; }

private:
    std::vector<int> m_notes;
    bool m_thisWeek = false;
};
