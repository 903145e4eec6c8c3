#pragma once

#include "grids/NoteGrid.h"

// The drum set's grid: thirteen rows, each taking a drum piece and its
// alternative stroke, with the piece's percussion key and name.
class CDrumGrid : public CNoteGrid {
public:
    static constexpr int kRowCount = 13;
    // The pieces of each row, top first; THING_NONE for no alternative.
    static const int kInstruments[kRowCount][2];

    CDrumGrid() : CNoteGrid(THING_DRUM_SET, DISPLAY_NOTES, true) {}

protected:
    bool BuildRows(std::vector<GRID_ROW>& rows) override;
};
