#include "grids/GridPlacer.h"

#include <algorithm>
#include <cmath>

namespace {

// A note's end this close to a cell's start does not reach into that cell.
constexpr double kEndTolerance = 1e-6;

bool HasString(const CNote& note) {
    return note.guitarString != 0 && note.guitarString != UNSET;
}

}  // namespace

bool CGridPlacer::Place(GRID_NOTE& placed) {
    CNote& note = placed.note;
    if (note.midiNote < NOTE_COUNT) {
        note.SetTablePitch(note.midiNote);
    }
    placed.row = FindRow(placed);
    if (placed.row < 0) {
        m_error.Format("Can't find a row for note %d", note.midiNote);
        return false;
    }
    note.ComputeWrittenNote();
    SetColumns(placed);
    return true;
}

int CGridPlacer::FindRow(GRID_NOTE& placed) const {
    CNote& note = placed.note;
    placed.fret = UNSET;
    if (note.IsMarker()) {
        return FindMarkerRow(note);
    }
    if (note.midiNote == NOTE_CHORD) {
        return FindKind(ROW_RHYTHM);
    }
    if (m_display == DISPLAY_TABS) {
        return FindTabRow(placed);
    }
    return m_drums ? FindDrumRow(note) : FindPitchRow(note);
}

int CGridPlacer::FindMarkerRow(const CNote& note) const {
    switch (note.eventKind) {
        case EVENT_CHORD_MARKER:
            return FindKind(ROW_CHORD);
        case EVENT_MEASURE_MARKER:
            return FindKind(ROW_MEASURE);
        default:
            return -1;
    }
}

int CGridPlacer::FindTabRow(GRID_NOTE& placed) const {
    const CNote& note = placed.note;
    for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
        const GRID_ROW& row = m_rows[i];
        const bool fits = HasString(note)
                              ? row.kind == ROW_TAB && row.guitarString == note.guitarString
                              : row.midiNote == note.midiNote || CanHold(row, note.midiNote);
        if (!fits) {
            continue;
        }
        if (HasString(note) && note.fret != UNSET) {
            placed.fret = note.fret;
        } else if (CanHold(row, note.midiNote)) {
            placed.fret = note.midiNote - row.midiNote;
        }
        return i;
    }
    return -1;
}

int CGridPlacer::FindDrumRow(const CNote& note) const {
    for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
        const GRID_ROW& row = m_rows[i];
        if (note.thing != THING_NONE &&
            (row.instruments[0] == note.thing || row.instruments[1] == note.thing)) {
            return i;
        }
    }
    return -1;
}

int CGridPlacer::FindPitchRow(CNote& note) const {
    const int pitch = note.midiNote;
    bool top = true;
    for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
        const GRID_ROW& row = m_rows[i];
        if (row.kind != ROW_NOTE || row.midiNote >= NOTE_COUNT) {
            continue;
        }
        // Above the top row only its own sharp has a row.
        if (top && pitch - row.midiNote > 1) {
            return -1;
        }
        top = false;
        if (row.midiNote == pitch) {
            return i;
        }
        if (row.midiNote < pitch) {
            note.accidental = ACCIDENTAL_SHARP;
            return i;
        }
    }
    return -1;
}

int CGridPlacer::FindKind(int kind) const {
    for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
        if (m_rows[i].kind == kind) {
            return i;
        }
    }
    return -1;
}

void CGridPlacer::SetColumns(GRID_NOTE& placed) const {
    const CNote& note = placed.note;
    placed.first = m_layout.FindColumn(note.time);
    if (placed.first < 0) {
        placed.last = -1;
        placed.offGrid = true;
        return;
    }
    placed.offGrid = !m_layout.IsOnGrid(note.time);
    const int lastColumn = m_layout.GetColumnCount() - 1;
    int last = placed.first;
    if (note.IsDrum()) {
        last = placed.first;
    } else if (note.duration != UNSET_TIME && note.duration > 0.0) {
        const double end = note.time + note.duration - kEndTolerance;
        const int column = m_layout.FindColumn(end);
        last = column < 0 ? lastColumn : column;
    } else if (note.length > 0) {
        last = placed.first + note.length - 1;
    }
    placed.last = std::clamp(last, placed.first, lastColumn);
    placed.note.length = placed.last - placed.first + 1;
}

bool CGridPlacer::CanHold(const GRID_ROW& row, int midiNote) {
    return row.kind == ROW_TAB && midiNote >= row.midiNote && midiNote <= row.midiNote + kLastFret;
}
