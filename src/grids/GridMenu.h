#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "grids/GridTypes.h"

class CNoteGrid;

// One item of the grid's context menu; an item with items is a submenu.
struct GRID_MENU_ITEM {
    int id = 0;
    CCharString text;
    bool enabled = true;
    bool checked = false;
    std::vector<GRID_MENU_ITEM> items;
};

// The context menu of a note grid ("Note Grid"), opened with the right
// button on a cell: its items with their enabling for that cell, and the
// commands they run.
class CGridMenu {
public:
    static constexpr const char* kTitle = "Note Grid";
    static constexpr int kDeleteNote = 1790;
    static constexpr int kFirstFret = 1804;  // "Open string"; + n for fret n
    static constexpr int kLastFret = 1828;
    static constexpr int kFirstFinger = 1830;  // finger 1
    static constexpr int kLastFinger = 1833;
    static constexpr int kShowNotes = 1795;
    static constexpr int kShowTabs = 1799;
    static constexpr int kSetTriplets = 1487;
    static constexpr int kRemoveTriplets = 1489;
    static constexpr int kAddMeasure = 1506;
    static constexpr int kDeleteLastMeasure = 1505;
    static constexpr int kRepeatBeatRow = 1578;
    static constexpr int kRepeatBeatAll = 1579;
    static constexpr int kRepeatMeasureRow = 1780;
    static constexpr int kRepeatMeasureAll = 1784;
    static constexpr int kClearRow = 1581;
    static constexpr int kClearBeat = 1583;
    static constexpr int kClearMeasure = 1841;
    // Ids of the two submenus themselves (they run nothing).
    static constexpr int kFretMenu = -1;
    static constexpr int kFingerMenu = -2;

    // The items for a cell, in menu order; empty for a grid that ignores the
    // mouse or a cell outside the grid.
    static std::vector<GRID_MENU_ITEM> Build(const CNoteGrid& grid, const GRID_CELL& cell);
    // Whether an item is enabled on a cell.
    static bool IsEnabled(const CNoteGrid& grid, int id, const GRID_CELL& cell);
    // Runs a command on a cell; false with the grid's error text, or with
    // "Can't run command %d here" for an unknown or disabled command.
    static bool Run(CNoteGrid& grid, int id, const GRID_CELL& cell);
    // Commands that change the whole groove: the editor runs them on all
    // five grids (and asks before deleting a measure).
    static bool IsGrooveCommand(int id) { return id == kAddMeasure || id == kDeleteLastMeasure; }

private:
    static bool HasEditableNote(const CNoteGrid& grid, const GRID_CELL& cell);
    static bool RunNoteCommand(CNoteGrid& grid, int id, int note);
};
