#pragma once

#include <functional>

#include "foundation/VarList.h"
#include "theory/Note.h"

// Gives the last note of each pitch its duration when durations are taken
// from the successors (the song's timing knows the rest of the measure).
class INoteTiming {
public:
    virtual ~INoteTiming() = default;
    virtual double GetLastNoteDuration(const CNote& note) = 0;
};

// Where a drum piece stands along the kit, seen from the drummer's seat
// (lower is further left); false for a piece the kit does not have.
using KitPosition = std::function<bool(int thing, double& position)>;

// An ordered, owning list of notes: time-ordered unless asked to keep pitch
// order. The queries skip markers.
class CNoteList : public CVarList<CNote> {
public:
    explicit CNoteList(int growStep = 32, bool pitchOrdered = false);

    bool IsPitchOrdered() const { return m_pitchOrdered; }
    void SetPitchOrdered(bool pitchOrdered) { m_pitchOrdered = pitchOrdered; }

    // Inserts after every note with an equal or smaller key (time or MIDI
    // note), appending when none is greater.
    bool InsertInOrder(const CNote& note, int* outIndex = nullptr);
    // Sorts by the list's key, keeping the order of equal keys.
    void Sort();

    // The header and each note's full line to the debug output.
    void Dump(const char* caption, bool tablature = false) const;

    // Every note lasts until the next note of its pitch; the last one of each
    // pitch asks the timing. Notes without a time are left alone.
    void SetDurationsFromSuccessors(INoteTiming& timing);
    // A gap shorter than limit between a note's end and the next start grows
    // the note by the smaller of limit and a sixth of its duration.
    void CloseGaps(double limit);

    // Guitar queries; UNSET when no note qualifies. first/last bound the
    // indexes (last -1 for the end), string 0 means any string.
    int GetLowestFinger() const;
    int GetHighestFinger() const;
    int GetLowestString() const;
    int GetHighestString() const;
    int GetLowestFret(int first = 0, int last = -1, int string = 0) const;
    int GetHighestFret(int first = 0, int last = -1, int string = 0) const;
    // The index of the fingered note on the highest-numbered string, or -1.
    int GetHighestStringNote() const;
    bool UsesFinger(int finger) const;
    // Fingers for the fretted notes on one string, counted from the base fret.
    void SetFingersFromFrets(int string, int preferredFret, int lowestFret, int highestFret);

    // Feet and hands for the drum notes, in list order; fails when a piece
    // has no place in the kit.
    bool AssignHands(const KitPosition& position = GetDefaultKitPosition);
    static bool GetDefaultKitPosition(int thing, double& position);

private:
    double KeyOf(const CNote& note) const {
        return m_pitchOrdered ? static_cast<double>(note.midiNote) : note.time;
    }
    template <typename Pick>
    int FindExtreme(int first, int last, bool lowest, Pick pick) const;

    bool m_pitchOrdered;
    // Scratch of the timing operations: the latest note of each MIDI note.
    CNote* m_byMidiNote[256] = {};
};
