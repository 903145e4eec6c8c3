#include "exercise/DrillSchedule.h"

#include <algorithm>

#include "foundation/Random.h"

namespace {

constexpr double kFirstBoxWeight = 16.0;  // halved for every box above

static_assert(kPracticeRecentResults >= CDrillSchedule::kBoxes - 1,
              "the latest results must be enough to climb to the top box");

double BoxWeight(int box) {
    return kFirstBoxWeight / static_cast<double>(1 << (box - 1));
}

// Draws that pass before a note of box is fully due again: 1, 3, 7, 15, 31.
int64_t BoxSpacing(int box) {
    return (int64_t{1} << box) - 1;
}

}  // namespace

bool CDrillSchedule::SetCandidates(const std::vector<int>& midiNotes) {
    if (midiNotes.empty()) {
        m_error = "Can't drill: the lesson has no notes";
        return false;
    }
    std::vector<int> candidates;
    for (int note : midiNotes) {
        if (!IsMidiNote(note)) {
            m_error.Format("Can't drill the note %d: it is no MIDI note", note);
            return false;
        }
        if (std::find(candidates.begin(), candidates.end(), note) == candidates.end()) {
            candidates.push_back(note);
        }
    }
    m_candidates.swap(candidates);
    m_weights.assign(m_candidates.size(), 0.0);
    return true;
}

void CDrillSchedule::LoadFrom(const std::vector<PRACTICE_NOTE_STATS>& stats) {
    ResetBoxes();
    for (const PRACTICE_NOTE_STATS& note : stats) {
        for (const PRACTICE_RESULT& result : note.recent) {
            Record(note.midiNote, result.rightFirstTry, result.reaction);
        }
    }
}

void CDrillSchedule::LoadFrom(const std::vector<PRACTICE_ROW>& rows) {
    ResetBoxes();
    for (const PRACTICE_ROW& row : rows) {
        Record(row.expected, row.rightFirstTry, row.reaction);
    }
}

bool CDrillSchedule::Next(int& midiNote) {
    if (m_candidates.empty()) {
        m_error = "Can't draw a note: the drill has no notes";
        return false;
    }
    const bool onlyOne = m_candidates.size() == 1;
    double total = 0.0;
    for (size_t i = 0; i < m_candidates.size(); ++i) {
        const int note = m_candidates[i];
        m_weights[i] = (!onlyOne && note == m_last) ? 0.0 : Weight(note);
        total += m_weights[i];
    }
    // The draw falls on the candidate whose share of the total it lands in;
    // rounding at the top end takes the last candidate that has a share.
    double pick = RandomDouble(0.0, total);
    size_t chosen = 0;
    for (size_t i = 0; i < m_candidates.size(); ++i) {
        if (m_weights[i] <= 0.0) {
            continue;
        }
        chosen = i;
        if (pick < m_weights[i]) {
            break;
        }
        pick -= m_weights[i];
    }
    midiNote = m_candidates[chosen];
    ++m_draws;
    m_notes[static_cast<size_t>(midiNote)].lastDrawn = m_draws;
    m_last = midiNote;
    return true;
}

bool CDrillSchedule::Record(int midiNote, bool rightFirstTry, double reaction) {
    if (!IsMidiNote(midiNote)) {
        m_error.Format("Can't record the note %d: it is no MIDI note", midiNote);
        return false;
    }
    NOTE_STATE& state = m_notes[static_cast<size_t>(midiNote)];
    state.box = IsQuickRight(rightFirstTry, reaction) ? std::min(state.box + 1, kBoxes) : 1;
    return true;
}

int CDrillSchedule::GetBox(int midiNote) const {
    return IsMidiNote(midiNote) ? m_notes[static_cast<size_t>(midiNote)].box : 0;
}

bool CDrillSchedule::IsQuickRight(bool rightFirstTry, double reaction) {
    return rightFirstTry && reaction >= 0.0 && reaction <= kSlowReaction;
}

double CDrillSchedule::Weight(int midiNote) const {
    const NOTE_STATE& state = m_notes[static_cast<size_t>(midiNote)];
    const double weight = BoxWeight(state.box);
    if (state.lastDrawn < 0) {
        return weight;
    }
    // The draw being made is number m_draws + 1.
    const int64_t spacing = BoxSpacing(state.box);
    const int64_t waited = std::min(m_draws + 1 - state.lastDrawn, spacing);
    return weight * static_cast<double>(waited) / static_cast<double>(spacing);
}

void CDrillSchedule::ResetBoxes() {
    for (NOTE_STATE& state : m_notes) {
        state.box = 1;
    }
}
