#include "exercise/WeakNotes.h"

#include <algorithm>

namespace {

struct CANDIDATE {
    int midiNote = 0;
    int misses = 0;
    double reaction = 0.0;
    double lastSeen = 0.0;
};

}  // namespace

void CWeakNotes::Choose(const std::vector<PRACTICE_NOTE_STATS>& stats, double now) {
    std::vector<CANDIDATE> candidates;
    for (const PRACTICE_NOTE_STATS& note : stats) {
        CANDIDATE candidate{note.midiNote, 0, note.meanReaction, note.lastSeen};
        for (const PRACTICE_RESULT& result : note.recent) {
            candidate.misses += result.rightFirstTry ? 0 : 1;
        }
        if (candidate.misses > 0) {
            candidates.push_back(candidate);
        }
    }
    std::stable_sort(
        candidates.begin(), candidates.end(), [](const CANDIDATE& a, const CANDIDATE& b) {
            return a.misses != b.misses ? a.misses > b.misses : a.reaction > b.reaction;
        });
    if (candidates.size() > static_cast<size_t>(kMaxNotes)) {
        candidates.resize(kMaxNotes);
    }
    m_notes.clear();
    m_thisWeek = !candidates.empty();
    for (const CANDIDATE& candidate : candidates) {
        m_notes.push_back(candidate.midiNote);
        m_thisWeek = m_thisWeek && now - candidate.lastSeen <= kWeekSeconds;
    }
    std::sort(m_notes.begin(), m_notes.end());
}
