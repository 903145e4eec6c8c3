#pragma once

#include <vector>

#include "songio/Composition.h"

// The undo and redo steps of the song's parts, chords and info. The state
// the song had after its last step is kept; when the song tells of a change,
// that state becomes an undo step (changes told together, within one user
// action, make one step: Settle ends the action).
class CSongHistory {
public:
    // Forgets every step and keeps the song's state as it is (a song new,
    // opened or restored).
    void Reset(const CComposition& song);
    // The song changed; true when this begins a new step.
    bool Changed();
    // The user's action ended: the song's state now is the last step's.
    void Settle(const CComposition& song);
    // Forgets the steps undone, as a new edit elsewhere does.
    void DropRedo() { m_redo.clear(); }
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // Puts the song back one step, or forward again; false with the reason
    // in the song's GetError.
    bool Undo(CComposition& song);
    bool Redo(CComposition& song);

private:
    bool Move(CComposition& song, std::vector<SONG_STATE>& from, std::vector<SONG_STATE>& to);

    SONG_STATE m_current;  // the song after the last settled step
    std::vector<SONG_STATE> m_undo;
    std::vector<SONG_STATE> m_redo;
    bool m_pending = false;  // a step began and has not settled
};
