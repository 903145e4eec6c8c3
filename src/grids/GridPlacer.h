#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "grids/GridLayout.h"
#include "grids/GridTypes.h"

// Puts a note into its row and columns, following the rules in order:
// a marker goes to the chord or measure row; a chord strum to the row of
// code 254; in tab display a note with a string to that string's row and one
// without to the first row that can hold its pitch; otherwise a drum to the
// row of its instrument, and a pitch to the first row (top down) at or below
// it, a row below making the note a sharp of the row's pitch.
class CGridPlacer {
public:
    static constexpr int kLastFret = 24;

    CGridPlacer(const std::vector<GRID_ROW>& rows, const CGridLayout& layout, int display,
                bool drums)
        : m_rows(rows), m_layout(layout), m_display(display), m_drums(drums) {}

    // Completes the note from the note table, finds its row and its columns;
    // false with "Can't find a row for note %d" when no row holds it.
    bool Place(GRID_NOTE& placed);
    // The row for a note, -1 for none; sets the note's accidental to Sharp
    // when it sits on the row below, and the fret shown on a string row.
    int FindRow(GRID_NOTE& placed) const;
    // The columns of a note already in its row: a drum note takes one cell,
    // others the cells up to their end, or their length without a duration.
    void SetColumns(GRID_NOTE& placed) const;

    // Whether a string row can sound midiNote (open string up to the last fret).
    static bool CanHold(const GRID_ROW& row, int midiNote);

    const char* GetError() const { return m_error; }

private:
    int FindMarkerRow(const CNote& note) const;
    int FindTabRow(GRID_NOTE& placed) const;
    int FindDrumRow(const CNote& note) const;
    int FindPitchRow(CNote& note) const;
    int FindKind(int kind) const;

    const std::vector<GRID_ROW>& m_rows;
    const CGridLayout& m_layout;
    int m_display;
    bool m_drums;
    CCharString m_error;
};
