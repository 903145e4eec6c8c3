#include "grids/GridHistory.h"

#include <utility>

namespace {

// Moves the latest state of from into current and current onto to.
bool Step(std::deque<GRID_STATE>& from, std::deque<GRID_STATE>& to, GRID_STATE& current) {
    if (from.empty()) {
        return false;
    }
    to.push_back(std::move(current));
    current = std::move(from.back());
    from.pop_back();
    return true;
}

}  // namespace

void CGridHistory::Push(GRID_STATE before) {
    m_undo.push_back(std::move(before));
    if (static_cast<int>(m_undo.size()) > kDepth) {
        m_undo.pop_front();
    }
    m_redo.clear();
}

bool CGridHistory::Undo(GRID_STATE& current) {
    return Step(m_undo, m_redo, current);
}

bool CGridHistory::Redo(GRID_STATE& current) {
    return Step(m_redo, m_undo, current);
}

void CGridHistory::Clear() {
    m_undo.clear();
    m_redo.clear();
}
