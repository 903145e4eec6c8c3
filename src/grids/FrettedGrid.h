#pragma once

#include <vector>

#include "grids/NoteGrid.h"

class CNoteManager;

// What tells a guitar's grid from the bass's.
struct FRETTED_GRID_INFO {
    int thing;
    int topNote;               // the highest row of the note display
    const char* noteLabel;     // "%d-%s": MIDI note and name
    const char* stringLabel;   // "%d": string number
    std::vector<int> tabRows;  // top first: open strings, or the finger row's code
};

// The grid of a fretted instrument: in note display one row per note of the
// song's scale from the top note down to the lowest open string, degrees
// 1, 3 and 5 highlighted; in tab display a row per string (and the finger
// row of the guitar).
class CFrettedGrid : public CNoteGrid {
public:
    // manager must be initialised and outlive the grid.
    CFrettedGrid(CNoteManager& manager, FRETTED_GRID_INFO info);

    bool HasTabDisplay() const override { return true; }
    // The song's scale and its root; the rows follow.
    bool SetScale(int scale, int root);
    int GetLowestNote() const;

protected:
    bool BuildRows(std::vector<GRID_ROW>& rows) override;
    bool BuildTabRows(std::vector<GRID_ROW>& rows) override;

private:
    int GetStringNumber(int openNote) const;

    CNoteManager& m_manager;
    const FRETTED_GRID_INFO m_info;
    int m_scale;
    int m_root;
};
