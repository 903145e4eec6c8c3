#include "theory/Chord.h"

void CChord::Reset() {
    m_notes.RemoveAll();
    m_root.Reset();
    m_index = 0;
    m_repeat = 1;
    m_thing = 0;
}
