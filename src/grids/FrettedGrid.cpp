#include "grids/FrettedGrid.h"

#include <algorithm>
#include <utility>

#include "songs/SongInfo.h"
#include "theory/NoteManager.h"

namespace {

bool IsChordTone(int degree) {
    return degree == 1 || degree == 3 || degree == 5;
}

}  // namespace

CFrettedGrid::CFrettedGrid(CNoteManager& manager, FRETTED_GRID_INFO info)
    : CNoteGrid(info.thing, DISPLAY_NOTES, false),
      m_manager(manager),
      m_info(std::move(info)),
      m_scale(SCALE_MAJOR),
      m_root(DEFAULT_SCALE_ROOT) {}

bool CFrettedGrid::SetScale(int scale, int root) {
    const int oldScale = m_scale;
    const int oldRoot = m_root;
    m_scale = scale;
    m_root = root;
    if (!RebuildRows()) {
        m_scale = oldScale;
        m_root = oldRoot;
        return false;
    }
    return true;
}

int CFrettedGrid::GetLowestNote() const {
    int lowest = NOTE_COUNT;
    for (const int note : m_info.tabRows) {
        if (note < NOTE_COUNT) {
            lowest = std::min(lowest, note);
        }
    }
    return lowest;
}

bool CFrettedGrid::BuildRows(std::vector<GRID_ROW>& rows) {
    CNoteList scale;
    if (!m_manager.GetScaleOverRange(m_scale, m_root, scale)) {
        return SetError("Can't lay scale %d over the rows: %s", m_scale, m_manager.GetError());
    }
    const int lowest = GetLowestNote();
    for (int i = scale.GetCount() - 1; i >= 0; --i) {
        const CNote& note = *scale.GetAt(i);
        if (note.intervalFrets != 0 || note.midiNote > m_info.topNote || note.midiNote < lowest) {
            continue;
        }
        GRID_ROW row;
        row.kind = ROW_NOTE;
        row.midiNote = note.midiNote;
        row.highlight = IsChordTone(note.interval);
        row.label.Format(m_info.noteLabel, note.midiNote, note.GetName().GetText());
        rows.push_back(row);
    }
    return true;
}

bool CFrettedGrid::BuildTabRows(std::vector<GRID_ROW>& rows) {
    for (const int note : m_info.tabRows) {
        GRID_ROW row;
        row.midiNote = note;
        if (note == FINGER_ROW_NOTE) {
            row.kind = ROW_FINGER;
            row.label = "Finger";
        } else {
            row.kind = ROW_TAB;
            row.guitarString = GetStringNumber(note);
            row.label.Format(m_info.stringLabel, row.guitarString);
        }
        rows.push_back(row);
    }
    return true;
}

int CFrettedGrid::GetStringNumber(int openNote) const {
    // String 1 is the highest.
    int higher = 0;
    for (const int note : m_info.tabRows) {
        if (note != FINGER_ROW_NOTE && note > openNote) {
            ++higher;
        }
    }
    return higher + 1;
}
