#include "grids/GridMouse.h"

#include <algorithm>

#include "grids/NoteGrid.h"

GRID_GESTURE CGridMouse::ChooseGesture(const GRID_NOTE& note, int column, double fraction) {
    if (note.note.IsDrum()) {
        return GESTURE_MOVE;
    }
    if (column == note.first && fraction < kStartZone) {
        return GESTURE_STRETCH_START;
    }
    if (column == note.last && fraction > kEndZone) {
        return GESTURE_STRETCH_END;
    }
    return GESTURE_MOVE;
}

bool CGridMouse::Press(const GRID_CELL& point, double fraction, bool ctrl) {
    Cancel();
    const GRID_CELL cell = m_grid.ClampCell(point);
    if (m_grid.IgnoresMouse() || !m_grid.IsNoteRow(cell.row)) {
        return false;
    }
    const int note = m_grid.GetNoteAt(cell);
    if (ctrl) {
        return note >= 0 && m_grid.DeleteNote(note);
    }
    m_grid.BeginEdit();
    m_pressed = cell;
    if (note < 0) {
        m_note = m_grid.InsertNote(cell.row, cell.column, cell.column);
        m_gesture = GESTURE_DRAW;
    } else {
        m_note = note;
        m_gesture = ChooseGesture(m_grid.GetNote(note), cell.column, fraction);
    }
    if (m_note < 0) {
        Cancel();
        return false;
    }
    return true;
}

bool CGridMouse::Drag(const GRID_CELL& point, double /*fraction*/) {
    if (m_gesture == GESTURE_NONE) {
        return false;
    }
    const GRID_CELL cell = m_grid.ClampCell(point);
    const GRID_NOTE& note = m_grid.GetNote(m_note);
    switch (m_gesture) {
        case GESTURE_DRAW:
            if (note.note.IsDrum()) {
                return false;
            }
            return m_grid.SpanNote(m_note, std::min(m_pressed.column, cell.column),
                                   std::max(m_pressed.column, cell.column));
        case GESTURE_MOVE:
            return m_grid.MoveNote(m_note, m_grid.IsNoteRow(cell.row) ? cell.row : note.row,
                                   cell.column);
        case GESTURE_STRETCH_START:
            return m_grid.SpanNote(m_note, std::min(cell.column, note.last), note.last);
        case GESTURE_STRETCH_END:
            return m_grid.SpanNote(m_note, note.first, std::max(cell.column, note.first));
        default:
            return false;
    }
}

bool CGridMouse::Release(const GRID_CELL& cell, double fraction) {
    if (m_gesture == GESTURE_NONE) {
        return false;
    }
    Drag(cell, fraction);
    m_grid.CommitEdit();
    m_gesture = GESTURE_NONE;
    m_note = -1;
    return true;
}

void CGridMouse::Cancel() {
    if (m_gesture != GESTURE_NONE || m_grid.IsEditing()) {
        m_grid.CancelEdit();
    }
    m_gesture = GESTURE_NONE;
    m_note = -1;
}
