#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "exercise/PracticeRecords.h"
#include "foundation/CharString.h"

// Chooses the next note of a drill by need, with Leitner boxes.
//
// Every MIDI note sits in one of kBoxes boxes. A miss, or a right answer
// slower than kSlowReaction, puts the note back in box 1; a quick right
// answer moves it up one box. A note nobody has answered yet starts in box
// 1, since it needs practice most.
//
// Each box has a weight and a spacing in draws: box 1 weighs most and may
// come back after one other note, every box above weighs half as much as
// the one below and waits about twice as long. A note's chance is its box's
// weight, scaled down while fewer draws than its spacing have passed since it
// was last drawn, so a known note is seldom seen and never soon again. The
// note just drawn is never drawn again next, unless it is the only one.
//
// The boxes start from the practice history and follow every result. The
// draws use the process's random source (foundation/Random.h), so a seeded
// run repeats.
class CDrillSchedule {
public:
    static constexpr int kBoxes = 5;
    static constexpr double kSlowReaction = 2.0;  // seconds
    static constexpr int kNotes = 128;            // the MIDI notes

    // The notes to draw from: the lesson's. False (the list unchanged) when
    // it is empty or holds a value that is no MIDI note.
    bool SetCandidates(const std::vector<int>& midiNotes);
    const std::vector<int>& GetCandidates() const { return m_candidates; }

    // Puts every note in the box its latest results in the history earn
    // (CPracticeHistory::GetNoteStats).
    void LoadFrom(const std::vector<PRACTICE_NOTE_STATS>& stats);
    // Replays rows in their order, as if each was recorded live.
    void LoadFrom(const std::vector<PRACTICE_ROW>& rows);

    // The note to show next; false without candidates.
    bool Next(int& midiNote);
    // A judged answer: moves the note between boxes. False for a value that
    // is no MIDI note.
    bool Record(int midiNote, bool rightFirstTry, double reaction);

    // 1..kBoxes; 0 for a value that is no MIDI note.
    int GetBox(int midiNote) const;
    const char* GetError() const { return m_error; }

private:
    struct NOTE_STATE {
        int box = 1;
        int64_t lastDrawn = -1;  // the draw count when it was last drawn, -1 never
    };

    static bool IsMidiNote(int midiNote) { return midiNote >= 0 && midiNote < kNotes; }
    static bool IsQuickRight(bool rightFirstTry, double reaction);
    double Weight(int midiNote) const;
    void ResetBoxes();

    CCharString m_error;
    std::vector<int> m_candidates;
    std::vector<double> m_weights;  // of the candidates, kept to draw without allocating
    std::array<NOTE_STATE, kNotes> m_notes{};
    int64_t m_draws = 0;
    int m_last = -1;  // the note drawn last, -1 before the first
};
