#pragma once

#include <vector>

#include "grids/GridLayout.h"
#include "grids/GridTypes.h"

// Changes of whole areas of a grid's notes: beats, measures and rows. The
// notes keep their old columns; the grid places them again afterwards.
class CGridAreas {
public:
    // Removes the notes starting in beats firstBeat..lastBeat, of one row
    // or of all rows (row -1).
    static void RemoveStarting(std::vector<GRID_NOTE>& notes, const CGridLayout& layout,
                               int firstBeat, int lastBeat, int row);
    // Copies what starts in beats firstBeat.. (beats of them) into every
    // later run of as many beats, replacing what started there; for all rows
    // the beats' triplets are copied too.
    static void Repeat(std::vector<GRID_NOTE>& notes, CGridLayout& layout, int firstBeat, int beats,
                       int row);
    // Moves the starts in a beat to the nearest of its cells when the beat
    // is split into cells.
    static void SnapToCells(std::vector<GRID_NOTE>& notes, const CGridLayout& layout, int beat,
                            int cells);
    // Ends the sounding notes that reach past end at end.
    static void CutAt(std::vector<GRID_NOTE>& notes, double end);

private:
    static int BeatOf(const CGridLayout& layout, const GRID_NOTE& placed) {
        return placed.first >= 0 ? layout.GetColumn(placed.first).beat : -1;
    }
};
