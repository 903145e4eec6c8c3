#pragma once

#include <deque>
#include <vector>

#include "theory/Note.h"

// What an edit of a grid can change: its measures, its beats of triplets and
// its notes.
struct GRID_STATE {
    int measures = 0;
    std::vector<bool> triplets;
    std::vector<CNote> notes;
};

// The undo and redo stacks of a grid: the state before each edit. A new
// edit forgets what could be redone; the oldest states go beyond kDepth.
class CGridHistory {
public:
    static constexpr int kDepth = 100;

    // The state before an edit.
    void Push(GRID_STATE before);
    // Swaps current for the state to go back (or forward) to; false when
    // there is none.
    bool Undo(GRID_STATE& current);
    bool Redo(GRID_STATE& current);
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    void Clear();

private:
    std::deque<GRID_STATE> m_undo;
    std::deque<GRID_STATE> m_redo;
};
