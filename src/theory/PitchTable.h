#pragma once

#include "foundation/CharString.h"

// The fixed values of the 132 table notes (MIDI 0..131), built once for the
// whole process: nominal frequency on A4 = 440 Hz (single precision), the
// band of frequencies that count as the note, octave, staff and place on it,
// and the sharp and flat names. Notes keep a one-byte table index for each
// group of these values instead of the values themselves.
class CPitchTable {
public:
    struct ENTRY {
        double frequency = 0.0;
        double bandLow = 0.0;
        double bandHigh = 0.0;
        int octave = 0;
        int staff = 0;  // 0 bass, 1 treble
        float staffPosition = 0.0f;
        bool black = false;  // a black key, spelled as the sharp of the white below
        CCharString name;
        CCharString flatName;
    };

    // Entry of table note midiNote, or null outside 0..131.
    static const ENTRY* Get(int midiNote);
    // The names of a note code: a table note's, "Chord" for NOTE_CHORD,
    // empty for any other code.
    static const CCharString& GetName(int code);
    static const CCharString& GetFlatName(int code);
};
