#include "editors/GrooveGrids.h"

#include <cstdarg>

#include "editors/GrooveInfoDlg.h"
#include "grids/BassGrid.h"
#include "grids/DrumGrid.h"
#include "grids/LeadGrid.h"
#include "grids/RhythmGrid.h"
#include "grids/TopGrid.h"
#include "songio/MidiFile.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kQuarterNote = 4;

// The track each grid shows (the top grid: the lead track's markers), and
// the words of its failure.
struct GRID_TRACK {
    int thing;
    const char* failure;
};
const GRID_TRACK kGridTracks[CGrooveGrids::kGridCount] = {
    {THING_LEAD_GUITAR, "Can't show top row track: %s"},
    {THING_LEAD_GUITAR, "Can't show lead track: %s"},
    {THING_RHYTHM_GUITAR, "Can't show rhythm track: %s"},
    {THING_BASS_GUITAR, "Can't show bass track: %s"},
    {THING_DRUM_SET, "Can't show drum track: %s"},
};

}  // namespace

CGrooveGrids::CGrooveGrids(CNoteManager& manager) : m_manager(manager) {
    m_grids.push_back(std::make_unique<CTopGrid>());
    m_grids.push_back(std::make_unique<CLeadGrid>(manager));
    m_grids.push_back(std::make_unique<CRhythmGrid>());
    m_grids.push_back(std::make_unique<CBassGrid>(manager));
    m_grids.push_back(std::make_unique<CDrumGrid>());
}

CGrooveGrids::~CGrooveGrids() {
    for (auto& grid : m_grids) {
        grid->Detach();
    }
}

bool CGrooveGrids::SetError(const char* format, ...) const {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

void CGrooveGrids::SetPlace(const char* style, const char* name) {
    m_style = style;
    m_name = name;
}

bool CGrooveGrids::Load(const char* path, const char* style, const char* name) {
    CSong groove;
    CMidiFile reader;
    if (!reader.Read(path, groove)) {
        return SetError("Can't load groove from (%s): %s", path, reader.GetError());
    }
    if (!ShowGroove(groove)) {
        return false;
    }
    SetPlace(style, name);
    return true;
}

bool CGrooveGrids::MakeNew(const GROOVE_INFO& info) {
    CSong groove;
    if (!groove.AddNewSongTracks()) {
        return SetError("Can't make groove: %s", groove.GetError());
    }
    SONG_INFO& song = groove.m_info;
    song.style = info.style;
    song.name = info.name;
    song.tempo = kNewTempo;
    song.secondsPerBeat = kSecondsPerMinute / kNewTempo;
    song.measureBeats = info.measureBeats;
    song.beatNote = info.beatNote;
    song.measures = info.measures;
    if (!ShowGroove(groove)) {
        return false;
    }
    SetPlace(info.style, info.name);
    return true;
}

bool CGrooveGrids::ShowGroove(const CSong& other) {
    for (auto& grid : m_grids) {
        grid->Detach();
    }
    m_loaded = false;
    if (!m_groove.CopyFrom(other)) {
        return SetError("Can't show groove: %s", m_groove.GetError());
    }
    SONG_INFO& info = m_groove.m_info;
    if (info.measureBeats <= 0 || info.beatNote <= 0) {
        info.measureBeats = kQuarterNote;
        info.beatNote = kQuarterNote;
    }
    if (info.secondsPerBeat <= 0.0) {
        info.secondsPerBeat =
            info.tempo > 0.0 ? kSecondsPerMinute / info.tempo : kSecondsPerMinute / kNewTempo;
    }
    if (info.measures <= 0) {
        info.measures = m_groove.CountMeasures() > 0 ? m_groove.CountMeasures() : 1;
    }
    return EnsureTracks() && Show();
}

// A groove without one of the four instruments gets an empty track for it,
// so that every grid has notes to edit.
bool CGrooveGrids::EnsureTracks() {
    for (const GRID_TRACK& entry : kGridTracks) {
        if (m_groove.FindTrack(entry.thing) != nullptr) {
            continue;
        }
        CTrack track;
        track.m_thing = entry.thing;
        track.m_info = m_groove.m_info;
        track.m_number = m_groove.GetTrackCount();
        if (!m_groove.AddTrack(std::move(track))) {
            return SetError("Can't get track %d: %s", entry.thing, m_groove.GetError());
        }
    }
    return true;
}

bool CGrooveGrids::SizeGrids() {
    const SONG_INFO& info = m_groove.m_info;
    for (int i = 0; i < kGridCount; ++i) {
        CNoteGrid& grid = GetGrid(i);
        if (auto* fretted = dynamic_cast<CFrettedGrid*>(&grid)) {
            fretted->SetScale(info.scale, info.scaleRoot);
        }
        if (!grid.SetSize(info.measures, info.measureBeats, info.beatNote, info.secondsPerBeat)) {
            return SetError(kGridTracks[i].failure, grid.GetError());
        }
    }
    return true;
}

bool CGrooveGrids::Show() {
    m_loaded = false;
    m_edits.clear();
    m_undone.clear();
    if (!SizeGrids()) {
        return false;
    }
    for (int i = 0; i < kGridCount; ++i) {
        CTrack* track = m_groove.FindTrack(kGridTracks[i].thing);
        if (track == nullptr) {
            return SetError("Can't get track %d: %s", kGridTracks[i].thing, "no such track");
        }
        if (!GetGrid(i).ShowTrack(*track)) {
            return SetError(kGridTracks[i].failure, GetGrid(i).GetError());
        }
    }
    m_loaded = true;
    return true;
}

bool CGrooveGrids::Save(const char* path) {
    if (!SaveCopy(path)) {
        return false;
    }
    ClearChanged();
    return true;
}

bool CGrooveGrids::SaveCopy(const char* path) {
    m_groove.m_info.style = m_style;
    m_groove.m_info.name = m_name;
    m_groove.m_info.length = m_groove.m_info.measures * GetMeasureLength();
    m_groove.CopyInfoToTracks();
    CMidiFile writer;
    if (!writer.Write(path, m_groove)) {
        return SetError("Can't save groove: %s", writer.GetError());
    }
    return true;
}

double CGrooveGrids::GetMeasureLength() const {
    const SONG_INFO& info = m_groove.m_info;
    if (info.beatNote <= 0) {
        return 0.0;
    }
    return static_cast<double>(info.measureBeats) / info.beatNote * kQuarterNote *
           info.secondsPerBeat;
}

bool CGrooveGrids::IsChanged() const {
    for (const auto& grid : m_grids) {
        if (grid->IsChanged()) {
            return true;
        }
    }
    return false;
}

void CGrooveGrids::ClearChanged() {
    for (auto& grid : m_grids) {
        grid->SetChanged(false);
    }
}

bool CGrooveGrids::SetTempo(double tempo) {
    if (!m_loaded || !(tempo > 0.0)) {
        return SetError("Can't set the tempo %g: there is no groove", tempo);
    }
    CSong changed;
    if (!changed.CopyFrom(m_groove)) {
        return SetError("Can't set the tempo: %s", changed.GetError());
    }
    changed.Rescale(kSecondsPerMinute / tempo);
    changed.m_info.tempo = tempo;
    if (!ShowGroove(changed)) {
        return false;
    }
    MarkChanged();
    return true;
}

void CGrooveGrids::MarkChanged() {
    GetGrid(kTop).SetChanged(true);
}

void CGrooveGrids::GridEdited(int grid) {
    m_edits.push_back(grid);
    m_undone.clear();
    if (m_edited) {
        m_edited();
    }
}

bool CGrooveGrids::DeleteLastMeasure() {
    if (GetGrid(kTop).GetLayout().GetMeasures() <= 1) {
        return SetError("Can't delete the only measure");
    }
    return ChangeAllGrids([](CNoteGrid& grid) { return grid.DeleteLastMeasure(); });
}

bool CGrooveGrids::AddMeasure() {
    return ChangeAllGrids([](CNoteGrid& grid) { return grid.AddMeasure(); });
}

bool CGrooveGrids::ChangeAllGrids(const std::function<bool(CNoteGrid&)>& change) {
    for (int i = 0; i < kGridCount; ++i) {
        if (!change(GetGrid(i))) {
            // The grids done so far go back, so that all keep one length.
            for (int j = i - 1; j >= 0; --j) {
                GetGrid(j).Undo();
            }
            return SetError("%s", GetGrid(i).GetError());
        }
    }
    GridEdited(kAllGrids);
    FollowLayout();
    return true;
}

// The groove's length follows the grids' measures.
void CGrooveGrids::FollowLayout() {
    SONG_INFO& info = m_groove.m_info;
    info.measures = GetGrid(kTop).GetLayout().GetMeasures();
    info.length = info.measures * GetMeasureLength();
}

bool CGrooveGrids::Undo() {
    if (m_edits.empty()) {
        return SetError("Can't undo: nothing was changed");
    }
    const int grid = m_edits.back();
    m_edits.pop_back();
    m_undone.push_back(grid);
    bool ok = true;
    for (int i = 0; i < kGridCount; ++i) {
        if (grid == kAllGrids || grid == i) {
            ok = GetGrid(i).Undo() && ok;
        }
    }
    FollowLayout();
    return ok || SetError("Can't undo: %s", GetGrid(grid == kAllGrids ? 0 : grid).GetError());
}

bool CGrooveGrids::Redo() {
    if (m_undone.empty()) {
        return SetError("Can't redo: nothing was undone");
    }
    const int grid = m_undone.back();
    m_undone.pop_back();
    m_edits.push_back(grid);
    bool ok = true;
    for (int i = 0; i < kGridCount; ++i) {
        if (grid == kAllGrids || grid == i) {
            ok = GetGrid(i).Redo() && ok;
        }
    }
    FollowLayout();
    return ok || SetError("Can't redo: %s", GetGrid(grid == kAllGrids ? 0 : grid).GetError());
}

bool CGrooveGrids::GetNotes(const std::vector<int>& things, CNoteList& notes) const {
    for (int t = 0; t < m_groove.GetTrackCount(); ++t) {
        const CTrack& track = *m_groove.GetTrack(t);
        bool wanted = false;
        for (int thing : things) {
            wanted = wanted || thing == track.m_thing;
        }
        for (int n = 0; wanted && n < track.m_notes.GetCount(); ++n) {
            const CNote& note = *track.m_notes.GetAt(n);
            if (!note.IsMarker() && note.time != UNSET_TIME && !notes.Add(note)) {
                return SetError("Can't get song's notes: %s", "out of memory");
            }
        }
    }
    notes.Sort();
    return true;
}
