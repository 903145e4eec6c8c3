#include "grids/NoteGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <utility>

#include "grids/GridAreas.h"
#include "grids/GridPlacer.h"
#include "songs/Track.h"

namespace {

constexpr int kFirstFinger = 1;
constexpr int kLastFinger = 4;

}  // namespace

CNoteGrid::CNoteGrid(int thing, int display, bool drums)
    : m_thing(thing), m_display(display), m_drums(drums) {}

bool CNoteGrid::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CNoteGrid::BuildTabRows(std::vector<GRID_ROW>& /*rows*/) {
    return SetError("Can't show tabs in this grid");
}

bool CNoteGrid::SetSize(int measures, int beatsPerMeasure, int beatUnit, double secondsPerBeat) {
    CGridLayout layout = m_layout;
    if (!layout.SetSize(measures, beatsPerMeasure, beatUnit, secondsPerBeat)) {
        return SetError("%s", layout.GetError());
    }
    const CGridLayout old = m_layout;
    m_layout = layout;
    if (!RebuildRows()) {
        m_layout = old;
        RebuildCells();
        return false;
    }
    return true;
}

bool CNoteGrid::SetDisplay(int display) {
    if (display == m_display) {
        return true;
    }
    if (m_display == DISPLAY_MARKERS || (display != DISPLAY_NOTES && display != DISPLAY_TABS) ||
        (display == DISPLAY_TABS && !HasTabDisplay())) {
        return SetError("Can't change the display of this grid to %d", display);
    }
    const int old = m_display;
    m_display = display;
    if (!RebuildRows()) {
        m_display = old;
        return false;
    }
    return true;
}

bool CNoteGrid::RebuildRows() {
    std::vector<GRID_ROW> rows;
    if (!(m_display == DISPLAY_TABS ? BuildTabRows(rows) : BuildRows(rows))) {
        return false;
    }
    std::vector<GRID_ROW> old = std::move(m_rows);
    m_rows = std::move(rows);
    if (!PlaceAll(GetState().notes)) {
        m_rows = std::move(old);
        RebuildCells();
        return false;
    }
    return true;
}

bool CNoteGrid::Shows(const CNote& note) const {
    if (m_display == DISPLAY_MARKERS) {
        return note.IsMarker() && note.eventKind != EVENT_PART_MARKER;
    }
    return !note.IsMarker() && TakesNote(note);
}

bool CNoteGrid::ShowTrack(CTrack& track) {
    if (m_rows.empty() && !RebuildRows()) {
        return false;
    }
    std::vector<CNote> notes;
    for (int i = 0; i < track.m_notes.GetCount(); ++i) {
        const CNote& note = *track.m_notes.GetAt(i);
        if (Shows(note)) {
            notes.push_back(note);
        }
    }
    m_track = nullptr;
    m_editing = false;
    m_history.Clear();
    m_changed = false;
    m_layout.SetTriplets({});
    MarkTriplets(notes);
    if (!PlaceAll(notes)) {
        m_notes.clear();
        RebuildCells();
        return false;
    }
    m_track = &track;
    return true;
}

void CNoteGrid::Detach() {
    m_track = nullptr;
}

void CNoteGrid::MarkTriplets(const std::vector<CNote>& notes) {
    for (const CNote& note : notes) {
        const int beat = m_layout.FindBeat(note.time);
        if (beat >= 0 && !m_layout.IsOnGrid(note.time) && m_layout.IsOnTripletGrid(note.time)) {
            m_layout.SetTriplet(beat, true);
        }
    }
}

bool CNoteGrid::PlaceAll(const std::vector<CNote>& notes) {
    CGridPlacer placer(m_rows, m_layout, m_display, m_drums);
    std::vector<GRID_NOTE> placed(notes.size());
    for (size_t i = 0; i < notes.size(); ++i) {
        placed[i].note = notes[i];
        if (!placer.Place(placed[i])) {
            return SetError("%s", placer.GetError());
        }
    }
    m_notes = std::move(placed);
    RebuildCells();
    return true;
}

void CNoteGrid::RefreshNote(GRID_NOTE& placed) const {
    CGridPlacer(m_rows, m_layout, m_display, m_drums).SetColumns(placed);
}

void CNoteGrid::RefreshAll() {
    for (GRID_NOTE& placed : m_notes) {
        RefreshNote(placed);
    }
    RebuildCells();
}

void CNoteGrid::RebuildCells() {
    for (GRID_ROW& row : m_rows) {
        row.cells.assign(m_layout.GetColumnCount(), -1);
    }
    for (int i = 0; i < GetNoteCount(); ++i) {
        const GRID_NOTE& placed = m_notes[i];
        if (placed.first < 0 || placed.row < 0 || placed.row >= GetRowCount()) {
            continue;
        }
        std::vector<int>& cells = m_rows[placed.row].cells;
        std::fill(cells.begin() + placed.first, cells.begin() + placed.last + 1, i);
    }
}

bool CNoteGrid::IsNoteRow(int row) const {
    return row >= 0 && row < GetRowCount() && m_rows[row].kind != ROW_FINGER;
}

int CNoteGrid::GetNoteAt(const GRID_CELL& cell) const {
    if (cell.row < 0 || cell.row >= GetRowCount() || cell.column < 0 ||
        cell.column >= m_layout.GetColumnCount()) {
        return -1;
    }
    return m_rows[cell.row].cells[cell.column];
}

GRID_CELL CNoteGrid::ClampCell(const GRID_CELL& cell) const {
    return {std::clamp(cell.row, 0, std::max(0, GetRowCount() - 1)),
            std::clamp(cell.column, 0, std::max(0, m_layout.GetColumnCount() - 1))};
}

bool CNoteGrid::IsValidNote(int index) const {
    return index >= 0 && index < GetNoteCount();
}

GRID_STATE CNoteGrid::GetState() const {
    GRID_STATE state;
    state.measures = m_layout.GetMeasures();
    state.triplets = m_layout.GetTriplets();
    state.notes.reserve(m_notes.size());
    for (const GRID_NOTE& placed : m_notes) {
        state.notes.push_back(placed.note);
    }
    return state;
}

bool CNoteGrid::SetState(const GRID_STATE& state) {
    if (state.measures != m_layout.GetMeasures() &&
        !m_layout.SetSize(state.measures, m_layout.GetBeatsPerMeasure(), m_layout.GetBeatUnit(),
                          m_layout.GetSecondsPerBeat())) {
        return SetError("%s", m_layout.GetError());
    }
    m_layout.SetTriplets(state.triplets);
    return PlaceAll(state.notes);
}

void CNoteGrid::WriteTrack() {
    if (m_track == nullptr) {
        return;
    }
    CNoteList& list = m_track->m_notes;
    for (int i = list.GetCount() - 1; i >= 0; --i) {
        if (Shows(*list.GetAt(i))) {
            list.RemoveAt(i);
        }
    }
    for (const GRID_NOTE& placed : m_notes) {
        list.InsertInOrder(placed.note);
    }
}

void CNoteGrid::BeginEdit() {
    m_before = GetState();
    m_editing = true;
}

void CNoteGrid::CommitEdit() {
    if (!m_editing) {
        return;
    }
    m_editing = false;
    m_history.Push(std::move(m_before));
    m_changed = true;
    WriteTrack();
}

void CNoteGrid::CancelEdit() {
    if (!m_editing) {
        return;
    }
    m_editing = false;
    SetState(m_before);
}

template <typename Change>
bool CNoteGrid::Edit(Change change) {
    BeginEdit();
    if (!change()) {
        CancelEdit();
        return false;
    }
    CommitEdit();
    return true;
}

bool CNoteGrid::Undo() {
    CancelEdit();
    GRID_STATE current = GetState();
    if (!m_history.Undo(current)) {
        return SetError("Can't undo: there is no edit to undo");
    }
    if (!SetState(current)) {
        return false;
    }
    m_changed = true;
    WriteTrack();
    return true;
}

bool CNoteGrid::Redo() {
    CancelEdit();
    GRID_STATE current = GetState();
    if (!m_history.Redo(current)) {
        return SetError("Can't redo: there is no edit to redo");
    }
    if (!SetState(current)) {
        return false;
    }
    m_changed = true;
    WriteTrack();
    return true;
}

void CNoteGrid::FillFromRow(const GRID_ROW& row, CNote& note) const {
    note = CNote();
    note.thing = static_cast<int16_t>(m_thing);
    switch (row.kind) {
        case ROW_TAB:
            note.guitarString = row.guitarString;
            note.fret = 0;
            note.midiNote = static_cast<uint8_t>(row.midiNote);
            break;
        case ROW_RHYTHM:
            note.midiNote = NOTE_CHORD;
            break;
        case ROW_CHORD:
            note.eventKind = EVENT_CHORD_MARKER;
            break;
        case ROW_MEASURE:
            note.eventKind = EVENT_MEASURE_MARKER;
            break;
        default:
            note.midiNote = static_cast<uint8_t>(row.midiNote);
            if (m_drums) {
                note.thing = static_cast<int16_t>(row.instruments[0]);
            }
            break;
    }
    if (note.midiNote < NOTE_COUNT) {
        note.SetTablePitch(note.midiNote);
    }
    note.ComputeWrittenNote();
}

int CNoteGrid::InsertNote(int row, int first, int last) {
    const int columns = m_layout.GetColumnCount();
    if (!IsNoteRow(row) || first < 0 || last >= columns || first > last) {
        SetError("Can't put a note into row %d, columns %d to %d", row, first, last);
        return -1;
    }
    GRID_NOTE placed;
    placed.row = row;
    FillFromRow(m_rows[row], placed.note);
    placed.fret = placed.note.fret;
    placed.note.time = m_layout.GetColumnTime(first);
    if (placed.note.IsDrum()) {
        last = first;
    }
    placed.note.duration =
        m_layout.GetColumnTime(last) + m_layout.GetColumnDuration(last) - placed.note.time;
    RefreshNote(placed);
    m_notes.push_back(placed);
    RebuildCells();
    return GetNoteCount() - 1;
}

bool CNoteGrid::AddPlayedNote(const CNote& note) {
    const int columns = m_layout.GetColumnCount();
    int nearest = -1;
    for (int c = 0; c < columns; ++c) {
        const double distance = std::fabs(m_layout.GetColumnTime(c) - note.time);
        if (nearest < 0 || distance < std::fabs(m_layout.GetColumnTime(nearest) - note.time)) {
            nearest = c;
        }
    }
    GRID_NOTE placed;
    placed.note = note;
    placed.note.thing = static_cast<int16_t>(m_thing);
    if (nearest >= 0) {
        placed.note.time = m_layout.GetColumnTime(nearest);
    }
    CGridPlacer placer(m_rows, m_layout, m_display, m_drums);
    if (!placer.Place(placed)) {
        return SetError("%s", placer.GetError());
    }
    if (placed.first < 0) {
        return SetError("Can't put note %d at %.3f s: it lies past the last measure", note.midiNote,
                        note.time);
    }
    BeginEdit();
    m_notes.push_back(placed);
    RebuildCells();
    CommitEdit();
    return true;
}

bool CNoteGrid::MoveNote(int index, int row, int first) {
    if (!IsValidNote(index) || !IsNoteRow(row) || first < 0 || first >= m_layout.GetColumnCount()) {
        return SetError("Can't move note %d to row %d, column %d", index, row, first);
    }
    GRID_NOTE& placed = m_notes[index];
    if (row != placed.row && m_rows[row].kind == m_rows[placed.row].kind) {
        CNote& note = placed.note;
        const GRID_ROW& target = m_rows[row];
        if (target.kind == ROW_TAB) {
            note.fret = placed.fret == UNSET ? 0 : placed.fret;
            placed.fret = note.fret;
            note.guitarString = target.guitarString;
            note.midiNote = static_cast<uint8_t>(target.midiNote + note.fret);
        } else if (m_drums) {
            note.thing = static_cast<int16_t>(target.instruments[0]);
            note.midiNote = static_cast<uint8_t>(target.midiNote);
        } else {
            note.midiNote = static_cast<uint8_t>(target.midiNote);
            note.accidental = ACCIDENTAL_NOT_SET;
            note.guitarString = note.fret = note.finger = UNSET;
        }
        note.SetTablePitch(note.midiNote);
        note.ComputeWrittenNote();
        placed.row = row;
    }
    placed.note.time = m_layout.GetColumnTime(first);
    RefreshNote(placed);
    RebuildCells();
    return true;
}

bool CNoteGrid::SpanNote(int index, int first, int last) {
    const int columns = m_layout.GetColumnCount();
    if (!IsValidNote(index) || first < 0 || last >= columns || first > last) {
        return SetError("Can't give note %d columns %d to %d", index, first, last);
    }
    GRID_NOTE& placed = m_notes[index];
    placed.note.time = m_layout.GetColumnTime(first);
    if (!placed.note.IsDrum()) {
        placed.note.duration =
            m_layout.GetColumnTime(last) + m_layout.GetColumnDuration(last) - placed.note.time;
    }
    RefreshNote(placed);
    RebuildCells();
    return true;
}

void CNoteGrid::RemoveNote(int index) {
    if (IsValidNote(index)) {
        m_notes.erase(m_notes.begin() + index);
        RebuildCells();
    }
}

bool CNoteGrid::DeleteNote(int index) {
    if (!IsValidNote(index)) {
        return SetError("Can't delete note %d: the grid has %d notes", index, GetNoteCount());
    }
    return Edit([&] {
        RemoveNote(index);
        return true;
    });
}

bool CNoteGrid::SetFret(int index, int fret) {
    if (!IsValidNote(index) || m_rows[m_notes[index].row].kind != ROW_TAB || fret < 0 ||
        fret > CGridPlacer::kLastFret) {
        return SetError("Can't set fret %d of note %d", fret, index);
    }
    return Edit([&] {
        GRID_NOTE& placed = m_notes[index];
        placed.note.guitarString = m_rows[placed.row].guitarString;
        placed.note.fret = placed.fret = fret;
        placed.note.midiNote = static_cast<uint8_t>(m_rows[placed.row].midiNote + fret);
        placed.note.SetTablePitch(placed.note.midiNote);
        placed.note.accidental = ACCIDENTAL_NOT_SET;
        placed.note.ComputeWrittenNote();
        return true;
    });
}

bool CNoteGrid::SetFinger(int index, int finger) {
    if (!IsValidNote(index) || finger < kFirstFinger || finger > kLastFinger) {
        return SetError("Can't set finger %d of note %d", finger, index);
    }
    return Edit([&] {
        m_notes[index].note.finger = finger;
        return true;
    });
}

bool CNoteGrid::ClearRow(int row) {
    if (!IsNoteRow(row)) {
        return SetError("Can't clear row %d", row);
    }
    return Edit([&] {
        m_notes.erase(std::remove_if(m_notes.begin(), m_notes.end(),
                                     [&](const GRID_NOTE& placed) { return placed.row == row; }),
                      m_notes.end());
        RebuildCells();
        return true;
    });
}

bool CNoteGrid::ClearBeat(int beat) {
    if (beat < 0 || beat >= m_layout.GetBeatCount()) {
        return SetError("Can't clear beat %d", beat);
    }
    return Edit([&] {
        CGridAreas::RemoveStarting(m_notes, m_layout, beat, beat, -1);
        RebuildCells();
        return true;
    });
}

bool CNoteGrid::ClearMeasure(int measure) {
    if (measure < 0 || measure >= m_layout.GetMeasures()) {
        return SetError("Can't clear measure %d", measure);
    }
    const int beats = m_layout.GetBeatsPerMeasure();
    return Edit([&] {
        CGridAreas::RemoveStarting(m_notes, m_layout, measure * beats, measure * beats + beats - 1,
                                   -1);
        RebuildCells();
        return true;
    });
}

bool CNoteGrid::RepeatBeat(int beat, int row) {
    if (beat < 0 || beat >= m_layout.GetBeatCount() || (row >= 0 && !IsNoteRow(row))) {
        return SetError("Can't repeat beat %d of row %d", beat, row);
    }
    return Edit([&] {
        CGridAreas::Repeat(m_notes, m_layout, beat, 1, row);
        RefreshAll();
        return true;
    });
}

bool CNoteGrid::RepeatMeasure(int measure, int row) {
    if (measure < 0 || measure >= m_layout.GetMeasures() || (row >= 0 && !IsNoteRow(row))) {
        return SetError("Can't repeat measure %d of row %d", measure, row);
    }
    const int beats = m_layout.GetBeatsPerMeasure();
    return Edit([&] {
        CGridAreas::Repeat(m_notes, m_layout, measure * beats, beats, row);
        RefreshAll();
        return true;
    });
}

bool CNoteGrid::SetTriplets(int beat, bool triplets) {
    if (beat < 0 || beat >= m_layout.GetBeatCount() || m_layout.IsTriplet(beat) == triplets) {
        return SetError("Can't %s triplets of beat %d", triplets ? "set" : "remove", beat);
    }
    return Edit([&] {
        const int cells = triplets ? CGridLayout::kTripletCells : m_layout.GetCellsPerBeat();
        CGridAreas::SnapToCells(m_notes, m_layout, beat, cells);
        m_layout.SetTriplet(beat, triplets);
        RefreshAll();
        return true;
    });
}

bool CNoteGrid::AddMeasure() {
    return Edit([&] {
        if (!m_layout.AddMeasure()) {
            return SetError("%s", m_layout.GetError());
        }
        RefreshAll();
        return true;
    });
}

bool CNoteGrid::DeleteLastMeasure() {
    if (m_layout.GetMeasures() <= 1) {
        return SetError("Can't delete the only measure");
    }
    return Edit([&] {
        const int firstBeat = m_layout.GetBeatCount() - m_layout.GetBeatsPerMeasure();
        CGridAreas::RemoveStarting(m_notes, m_layout, firstBeat, m_layout.GetBeatCount() - 1, -1);
        CGridAreas::CutAt(m_notes, m_layout.GetBeatTime(firstBeat));
        m_layout.RemoveLastMeasure();
        RefreshAll();
        return true;
    });
}
