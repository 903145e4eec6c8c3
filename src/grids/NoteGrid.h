#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "grids/GridHistory.h"
#include "grids/GridLayout.h"
#include "grids/GridTypes.h"

class CTrack;

// The model of one note grid of the Song Editor: rows of pitches, strings,
// drums or markers, columns of beat subdivisions, and the notes of an
// instrument's track placed into them. Every edit can be undone, marks the
// grid changed and writes the grid's notes back into the track at once; the
// track's other notes (those the grid does not show) stay as they are.
//
// A subclass builds the rows of its instrument. Operations that can fail
// return false and leave a "Can't ..." text for GetError.
class CNoteGrid {
public:
    CNoteGrid(const CNoteGrid&) = delete;
    CNoteGrid& operator=(const CNoteGrid&) = delete;
    virtual ~CNoteGrid() = default;

    // The instrument of new notes (THING_NONE for the top grid).
    int GetThing() const { return m_thing; }
    int GetDisplay() const { return m_display; }
    virtual bool HasTabDisplay() const { return false; }
    virtual bool IgnoresMouse() const { return false; }
    bool IsDrumGrid() const { return m_drums; }

    // Lays out the columns and builds the rows; the notes shown keep their
    // times and are placed again.
    bool SetSize(int measures, int beatsPerMeasure, int beatUnit, double secondsPerBeat);
    const CGridLayout& GetLayout() const { return m_layout; }
    // Note display or tab display (the grids that have one); false, keeping
    // the display, when a note has no row in the other.
    bool SetDisplay(int display);

    // Places every note of the track that the grid shows and keeps the track
    // for the edits to come; it must outlive the grid or be replaced by the
    // next ShowTrack or Detach. A note without a row gives "Can't find a row
    // for note %d" and leaves the grid empty. Clears the undo history and the
    // changed flag.
    bool ShowTrack(CTrack& track);
    void Detach();
    // Whether the grid shows note (the marker grid only markers, the others
    // only notes).
    bool Shows(const CNote& note) const;

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    const GRID_ROW& GetRow(int row) const { return m_rows.at(row); }
    // Whether the mouse can draw into a row (not the finger row).
    bool IsNoteRow(int row) const;
    int GetNoteCount() const { return static_cast<int>(m_notes.size()); }
    const GRID_NOTE& GetNote(int index) const { return m_notes.at(index); }
    // The note covering a cell, -1 for an empty cell or one outside the grid.
    int GetNoteAt(const GRID_CELL& cell) const;
    // The cell of a point of the grid, clamped into it.
    GRID_CELL ClampCell(const GRID_CELL& cell) const;

    // Edits, each one step of the undo history.
    bool DeleteNote(int index);
    bool SetFret(int index, int fret);      // 0 open string .. 24
    bool SetFinger(int index, int finger);  // 1 index .. 4 little finger
    bool ClearRow(int row);
    bool ClearBeat(int beat);
    bool ClearMeasure(int measure);
    // Copies what starts in a beat (or measure) into every later one; row -1
    // for all rows, which also copies the beats' triplets.
    bool RepeatBeat(int beat, int row);
    bool RepeatMeasure(int measure, int row);
    // Splits a beat into three cells, or back; its notes go to the nearest cell.
    bool SetTriplets(int beat, bool triplets);
    bool AddMeasure();
    // Removes the notes starting in the last measure and ends the others
    // at the new end; "Can't delete the only measure" for one measure.
    bool DeleteLastMeasure();

    // A gesture's edit: BeginEdit keeps the state, the primitives change the
    // notes as the pointer moves, CommitEdit makes it one undo step (and
    // marks the grid changed) and CancelEdit goes back.
    void BeginEdit();
    void CommitEdit();
    void CancelEdit();
    bool IsEditing() const { return m_editing; }
    // A new note in a row over columns first..last; its index or -1.
    int InsertNote(int row, int first, int last);
    // Puts a note's start into a column of a row, keeping its duration; a
    // new row gives it the row's pitch, string or drum.
    bool MoveNote(int index, int row, int first);
    // Gives a note the columns first..last of its row.
    bool SpanNote(int index, int first, int last);
    void RemoveNote(int index);
    // A note played into the grid (a take): its start moved to the nearest
    // cell, its row found as a shown track's notes are, as one undo step.
    // False with the reason for a note no row holds or past the last measure.
    bool AddPlayedNote(const CNote& note);

    bool Undo();
    bool Redo();
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }
    // Set by every edit, undo and redo; the editor clears it after saving.
    bool IsChanged() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }

    const char* GetError() const { return m_error; }
    // Leaves a text for GetError (also for the controllers driving the
    // grid); always false.
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);

protected:
    CNoteGrid(int thing, int display, bool drums);

    // The rows of the note display (or the only rows), top first.
    virtual bool BuildRows(std::vector<GRID_ROW>& rows) = 0;
    // The rows of the tab display; grids without one refuse.
    virtual bool BuildTabRows(std::vector<GRID_ROW>& rows);
    // Beside the marker rule, whether the grid shows an ordinary note.
    virtual bool TakesNote(const CNote& /*note*/) const { return true; }
    // Builds the rows again and places the notes into them.
    bool RebuildRows();

private:
    GRID_STATE GetState() const;
    bool SetState(const GRID_STATE& state);
    // Places notes into the rows of the current display; on failure nothing
    // changes.
    bool PlaceAll(const std::vector<CNote>& notes);
    void MarkTriplets(const std::vector<CNote>& notes);
    void RefreshNote(GRID_NOTE& placed) const;
    void RefreshAll();
    void RebuildCells();
    void WriteTrack();
    // One edit around change(); false (and nothing changes) when it fails.
    template <typename Change>
    bool Edit(Change change);
    void FillFromRow(const GRID_ROW& row, CNote& note) const;
    bool IsValidNote(int index) const;

    const int m_thing;
    int m_display;
    const bool m_drums;
    CGridLayout m_layout;
    std::vector<GRID_ROW> m_rows;
    std::vector<GRID_NOTE> m_notes;
    CTrack* m_track = nullptr;
    CGridHistory m_history;
    GRID_STATE m_before;  // of the edit under way
    bool m_editing = false;
    bool m_changed = false;
    CCharString m_error;
};
