#pragma once

#include "grids/GridTypes.h"

class CNoteGrid;

// What a press of the left button on a grid starts.
enum GRID_GESTURE {
    GESTURE_NONE = 0,
    GESTURE_DRAW,           // a new note, extended by dragging
    GESTURE_MOVE,           // the note goes to the cell under the pointer
    GESTURE_STRETCH_START,  // the note's start follows the pointer
    GESTURE_STRETCH_END,    // the note's end follows the pointer
};

// The left button on a grid: press, drag and release, each with the cell
// under the pointer and the pointer's place across that cell (0 left edge ..
// 1 right edge). Ctrl on a note deletes it. A completed gesture is one edit
// of the grid: it can be undone and marks the grid changed.
class CGridMouse {
public:
    static constexpr double kStartZone = 0.3;  // left of it a note's start is stretched
    static constexpr double kEndZone = 0.7;    // right of it a note's end is stretched

    // grid must outlive the mouse.
    explicit CGridMouse(CNoteGrid& grid) : m_grid(grid) {}

    // True when the grid changed or a gesture began (the view repaints).
    bool Press(const GRID_CELL& cell, double fraction, bool ctrl);
    bool Drag(const GRID_CELL& cell, double fraction);
    bool Release(const GRID_CELL& cell, double fraction);
    // Drops a gesture under way (the button was lost), undoing its changes.
    void Cancel();

    GRID_GESTURE GetGesture() const { return m_gesture; }
    // The note the gesture works on, -1 for none.
    int GetNote() const { return m_note; }

    // The gesture a press starts on a note at column, fraction across it.
    static GRID_GESTURE ChooseGesture(const GRID_NOTE& note, int column, double fraction);

private:
    CNoteGrid& m_grid;
    GRID_GESTURE m_gesture = GESTURE_NONE;
    int m_note = -1;
    GRID_CELL m_pressed;
};
