#include "grids/GridMenu.h"

#include "grids/NoteGrid.h"

namespace {

GRID_MENU_ITEM Item(const CNoteGrid& grid, int id, const char* text, const GRID_CELL& cell) {
    GRID_MENU_ITEM item;
    item.id = id;
    item.text = text;
    item.enabled = CGridMenu::IsEnabled(grid, id, cell);
    return item;
}

// "Open string", "1" .. "24" or "1" .. "4", the current one checked.
GRID_MENU_ITEM Submenu(const CNoteGrid& grid, int id, const char* text, int first, int last,
                       int current, const GRID_CELL& cell) {
    GRID_MENU_ITEM menu = Item(grid, id, text, cell);
    for (int command = first; command <= last; ++command) {
        GRID_MENU_ITEM item;
        item.id = command;
        const int value = command - first + (id == CGridMenu::kFingerMenu ? 1 : 0);
        if (id == CGridMenu::kFretMenu && value == 0) {
            item.text = "Open string";
        } else {
            item.text.Format("%d", value);
        }
        item.enabled = menu.enabled;
        item.checked = menu.enabled && value == current;
        menu.items.push_back(item);
    }
    return menu;
}

int BeatOf(const CNoteGrid& grid, const GRID_CELL& cell) {
    return grid.GetLayout().GetColumn(cell.column).beat;
}

int MeasureOf(const CNoteGrid& grid, const GRID_CELL& cell) {
    return grid.GetLayout().GetColumn(cell.column).measure;
}

}  // namespace

bool CGridMenu::HasEditableNote(const CNoteGrid& grid, const GRID_CELL& cell) {
    return grid.IsNoteRow(cell.row) && grid.GetNoteAt(cell) >= 0;
}

bool CGridMenu::IsEnabled(const CNoteGrid& grid, int id, const GRID_CELL& cell) {
    if (grid.IgnoresMouse() || cell.row < 0 || cell.row >= grid.GetRowCount() || cell.column < 0 ||
        cell.column >= grid.GetLayout().GetColumnCount()) {
        return false;
    }
    const bool tabs = grid.GetDisplay() == DISPLAY_TABS;
    if (id == kFretMenu || id == kFingerMenu || (id >= kFirstFret && id <= kLastFret) ||
        (id >= kFirstFinger && id <= kLastFinger)) {
        return tabs && HasEditableNote(grid, cell);
    }
    switch (id) {
        case kDeleteNote:
            return HasEditableNote(grid, cell);
        case kShowNotes:
        case kShowTabs:
            return grid.HasTabDisplay();
        case kSetTriplets:
            return !grid.GetLayout().IsTriplet(BeatOf(grid, cell));
        case kRemoveTriplets:
            return grid.GetLayout().IsTriplet(BeatOf(grid, cell));
        case kAddMeasure:
            return grid.GetLayout().GetMeasures() < CGridLayout::kMaxMeasures;
        case kRepeatBeatRow:
        case kRepeatMeasureRow:
        case kClearRow:
            return grid.IsNoteRow(cell.row);
        case kDeleteLastMeasure:
        case kRepeatBeatAll:
        case kRepeatMeasureAll:
        case kClearBeat:
        case kClearMeasure:
            return true;
        default:
            return false;
    }
}

std::vector<GRID_MENU_ITEM> CGridMenu::Build(const CNoteGrid& grid, const GRID_CELL& cell) {
    std::vector<GRID_MENU_ITEM> items;
    if (!IsEnabled(grid, kClearBeat, cell)) {
        return items;
    }
    const int index = grid.GetNoteAt(cell);
    const GRID_NOTE* note = index >= 0 ? &grid.GetNote(index) : nullptr;
    const bool tabs = grid.GetDisplay() == DISPLAY_TABS;
    items.push_back(Item(grid, kDeleteNote, "Delete note", cell));
    items.push_back(Submenu(grid, kFretMenu, "Set fret", kFirstFret, kLastFret,
                            note != nullptr ? note->fret : UNSET, cell));
    items.push_back(Submenu(grid, kFingerMenu, "Set finger", kFirstFinger, kLastFinger,
                            note != nullptr ? note->note.finger : UNSET, cell));
    items.push_back(Item(grid, kShowNotes, "Show notes", cell));
    items.back().checked = !tabs;
    items.push_back(Item(grid, kShowTabs, "Show tabs", cell));
    items.back().checked = tabs;
    items.push_back(Item(grid, kSetTriplets, "Set triplets", cell));
    items.push_back(Item(grid, kRemoveTriplets, "Remove triplets", cell));
    items.push_back(Item(grid, kAddMeasure, "Add measure to the end", cell));
    items.push_back(Item(grid, kDeleteLastMeasure, "Delete last measure", cell));
    items.push_back(Item(grid, kRepeatBeatRow, "Repeat beat to the end (this row only)", cell));
    items.push_back(Item(grid, kRepeatBeatAll, "Repeat beat to the end (all rows)", cell));
    items.push_back(
        Item(grid, kRepeatMeasureRow, "Repeat measure to the end (this row only)", cell));
    items.push_back(Item(grid, kRepeatMeasureAll, "Repeat measure to the end (all rows)", cell));
    items.push_back(Item(grid, kClearRow, "Clear this row (all beats)", cell));
    items.push_back(Item(grid, kClearBeat, "Clear this beat (all rows)", cell));
    items.push_back(Item(grid, kClearMeasure, "Clear this measure (all rows)", cell));
    return items;
}

bool CGridMenu::RunNoteCommand(CNoteGrid& grid, int id, int note) {
    if (id == kDeleteNote) {
        return grid.DeleteNote(note);
    }
    if (id >= kFirstFret && id <= kLastFret) {
        return grid.SetFret(note, id - kFirstFret);
    }
    return grid.SetFinger(note, id - kFirstFinger + 1);
}

bool CGridMenu::Run(CNoteGrid& grid, int id, const GRID_CELL& cell) {
    if (id == kFretMenu || id == kFingerMenu || !IsEnabled(grid, id, cell)) {
        return grid.SetError("Can't run command %d here", id);
    }
    const int beat = BeatOf(grid, cell);
    const int measure = MeasureOf(grid, cell);
    switch (id) {
        case kShowNotes:
            return grid.SetDisplay(DISPLAY_NOTES);
        case kShowTabs:
            return grid.SetDisplay(DISPLAY_TABS);
        case kSetTriplets:
            return grid.SetTriplets(beat, true);
        case kRemoveTriplets:
            return grid.SetTriplets(beat, false);
        case kAddMeasure:
            return grid.AddMeasure();
        case kDeleteLastMeasure:
            return grid.DeleteLastMeasure();
        case kRepeatBeatRow:
            return grid.RepeatBeat(beat, cell.row);
        case kRepeatBeatAll:
            return grid.RepeatBeat(beat, -1);
        case kRepeatMeasureRow:
            return grid.RepeatMeasure(measure, cell.row);
        case kRepeatMeasureAll:
            return grid.RepeatMeasure(measure, -1);
        case kClearRow:
            return grid.ClearRow(cell.row);
        case kClearBeat:
            return grid.ClearBeat(beat);
        case kClearMeasure:
            return grid.ClearMeasure(measure);
        default:
            return RunNoteCommand(grid, id, grid.GetNoteAt(cell));
    }
}
