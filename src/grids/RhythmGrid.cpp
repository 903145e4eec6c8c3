#include "grids/RhythmGrid.h"

bool CRhythmGrid::BuildRows(std::vector<GRID_ROW>& rows) {
    GRID_ROW row;
    row.kind = ROW_RHYTHM;
    row.midiNote = NOTE_CHORD;
    row.label = "Rhythm";
    rows.push_back(row);
    return true;
}
