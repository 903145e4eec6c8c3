#pragma once

#include "grids/NoteGrid.h"

// The top grid: the groove's measure markers above its chord markers. It
// shows markers only and ignores the mouse.
class CTopGrid : public CNoteGrid {
public:
    CTopGrid() : CNoteGrid(THING_NONE, DISPLAY_MARKERS, false) {}

    bool IgnoresMouse() const override { return true; }
    // "Measure", "Song part" or "Chord" for the marker row kinds, else empty.
    static const char* GetMarkerLabel(int kind);

protected:
    bool BuildRows(std::vector<GRID_ROW>& rows) override;
};
