#pragma once

#include "theory/Chord.h"

class CNoteManager;

// Places notes and chords on the guitar and bass necks for the note manager:
// tunings, fret windows, chord layouts and barre shapes.
class CGuitarFingering {
public:
    static constexpr int MAX_FRET = 22;
    static constexpr int STRING_COUNT = 6;

    explicit CGuitarFingering(CNoteManager& manager) : m_manager(manager) {}

    // Open-string MIDI notes of a tuning (1 guitar, 2 bass), string 1 first;
    // null and count 0 for an unknown tuning.
    static const int* GetTuning(int tuning, int& stringCount);
    // The tuning an instrument plays in, 0 for none.
    static int GetTuningFor(int thing);

    // The first string, walking from string 1 toward the low strings or from
    // the last string toward string 1, whose window lowestFret..highestFret
    // holds the note; sets the note's string and fret.
    bool GetNotePosition(int tuning, int lowestFret, int highestFret, CNote& note,
                         bool fromLastString);
    // The same for an instrument, trying the whole neck when the window fails.
    bool GetNotePositionFor(int thing, int lowestFret, int highestFret, CNote& note,
                            bool fromLastString);
    // Lays the chord's intervals out on the neck around its root.
    bool MakeChordFingering(CChord& chord);
    // Places the lower of the two barre shapes of the chord's type.
    bool MakeBarreChord(CChord& chord);
    bool GetChordDescription(const CChord& chord, CCharString& text) const;

private:
    bool PlaceInterval(const CNote& interval, int root, int base, int tuning, int thing,
                       const CChord& chord, bool used[], int& rootString, CNoteList& result);
    bool BuildShape(int chordType, int shape, const CChord& chord, CNoteList& notes,
                    int& rootString, int& rootOffset);

    CNoteManager& m_manager;
};
