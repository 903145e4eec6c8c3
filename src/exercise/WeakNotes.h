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
    // A drill of fewer notes would show the same one again and again: the
    // naturals a step above and below the missed notes join it.
    static constexpr int kMinNotes = 3;
    static constexpr double kWeekSeconds = 7.0 * 24.0 * 3600.0;

    // Chooses from the statistics of every note ever shown (lowest first).
    // Empty when no note was ever missed.
    void Choose(const std::vector<PRACTICE_NOTE_STATS>& stats, double now);
    // The notes to drill, lowest first: the missed ones and their
    // neighbours when they are few.
    const std::vector<int>& GetNotes() const { return m_notes; }
    // The missed notes alone, lowest first: what the learner is told.
    const std::vector<int>& GetMissed() const { return m_missed; }
    // Whether every chosen note was last seen within the week before now.
    bool AreFromThisWeek() const { return m_thisWeek; }

private:
    void AddNeighbours();

    std::vector<int> m_missed;
    std::vector<int> m_notes;
    bool m_thisWeek = false;
};
