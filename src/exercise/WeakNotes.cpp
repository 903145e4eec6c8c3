#include "exercise/WeakNotes.h"

#include <algorithm>

#include "theory/KeySignature.h"

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
    m_missed.clear();
    m_thisWeek = !candidates.empty();
    for (const CANDIDATE& candidate : candidates) {
        m_missed.push_back(candidate.midiNote);
        m_thisWeek = m_thisWeek && now - candidate.lastSeen <= kWeekSeconds;
    }
    std::sort(m_missed.begin(), m_missed.end());
    m_notes = m_missed;
    if (!m_notes.empty() && m_notes.size() < static_cast<size_t>(kMinNotes)) {
        AddNeighbours();
    }
}

void CWeakNotes::AddNeighbours() {
    constexpr int kLowest = 0;
    constexpr int kHighest = 127;
    const std::vector<int> missed = m_notes;
    for (const int note : missed) {
        // The nearest natural below and above: the notes read for it on
        // the next line or space.
        for (const int direction : {-1, 1}) {
            int next = note + direction;
            while (next >= kLowest && next <= kHighest && CKeySignature::GetLetter(next) < 0) {
                next += direction;
            }
            if (next >= kLowest && next <= kHighest &&
                std::find(m_notes.begin(), m_notes.end(), next) == m_notes.end()) {
                m_notes.push_back(next);
            }
        }
    }
    std::sort(m_notes.begin(), m_notes.end());
}
