#pragma once

#include "grids/NoteGrid.h"

// The rhythm guitar's grid: one row of chord strums (notes of code 254).
class CRhythmGrid : public CNoteGrid {
public:
    CRhythmGrid() : CNoteGrid(THING_RHYTHM_GUITAR, DISPLAY_NOTES, false) {}

protected:
    bool BuildRows(std::vector<GRID_ROW>& rows) override;
    bool TakesNote(const CNote& note) const override { return note.midiNote == NOTE_CHORD; }
};
