#include "grids/TopGrid.h"

const char* CTopGrid::GetMarkerLabel(int kind) {
    switch (kind) {
        case ROW_MEASURE:
            return "Measure";
        case ROW_SONG_PART:
            return "Song part";
        case ROW_CHORD:
            return "Chord";
        default:
            return "";
    }
}

bool CTopGrid::BuildRows(std::vector<GRID_ROW>& rows) {
    for (const int kind : {ROW_MEASURE, ROW_CHORD}) {
        GRID_ROW row;
        row.kind = kind;
        row.label = GetMarkerLabel(kind);
        rows.push_back(row);
    }
    return true;
}
