#pragma once

#include "theory/NoteList.h"

// A chord: its interval notes (or, once fingered, the notes on the neck), the
// root note whose chord info carries the chord's identity, and its names.
class CChord {
public:
    CChord() = default;
    virtual ~CChord() = default;

    // Clears the notes, resets the root note and the three values.
    void Reset();

    const char* GetError() const { return m_error; }
    void SetError(const char* error) { m_error = error; }

    CCharString m_error;
    CNoteList m_notes{16, false};
    CNote m_root;
    int m_index = 0;   // free for the owner: a chord's place in a list
    int m_repeat = 1;  // measures the chord lasts
    int m_thing = 0;   // instrument that plays it (36, 38 or 39 when fingered)
    CCharString m_longName;
    CCharString m_formula;
    CCharString m_shortName;
};
