#include <algorithm>

#include "editors/SongEditorDlg.h"
#include "editors/SongEditorHost.h"
#include "editors/SongEditorLayout.h"
#include "foundation/Random.h"
#include "foundation/TimeText.h"
#include "songio/Composition.h"
#include "theory/NoteManager.h"

namespace {

using L = CSongEditorLayout;

constexpr int kCountInMeasures = 1;
constexpr double kMixLead = 0.2;  // of a measure: the take's audio starts this early
constexpr double kTakeSeconds = 120.0;
constexpr int kCountInBeats = 4;
constexpr double kDefaultBeatSeconds = 0.5;  // a take into the groove plays this long at most

// Adds the notes of song's tracks of things to notes, in time order.
bool CollectNotes(const CSong& song, const std::vector<int>& things, CNoteList& notes) {
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        const CTrack& track = *song.GetTrack(t);
        if (std::find(things.begin(), things.end(), track.m_thing) == things.end()) {
            continue;
        }
        for (int n = 0; n < track.m_notes.GetCount(); ++n) {
            const CNote& note = *track.m_notes.GetAt(n);
            if (!note.IsMarker() && note.time != UNSET_TIME && !notes.Add(note)) {
                return false;
            }
        }
    }
    notes.Sort();
    return true;
}

}  // namespace

std::vector<int> CSongEditorDlg::GetPlayedThings() const {
    std::vector<int> things;
    for (int i = 0; i < L::kInstrumentCount; ++i) {
        if (m_play[i].GetCheck()) {
            things.push_back(L::kInstrumentThings[i]);
        }
    }
    return things;
}

// Moves each note's start and volume by up to the humanization's amounts.
void CSongEditorDlg::Humanize(CNoteList& notes) const {
    if (m_settings.timeSpread <= 0.0 && m_settings.volumeSpread <= 0.0) {
        return;
    }
    const double beat = m_grids.GetGroove().m_info.secondsPerBeat;
    // A tenth of a beat at the most, so that the notes keep their order.
    const double timeSpread = m_settings.timeSpread * beat * 0.1;
    for (int i = 0; i < notes.GetCount(); ++i) {
        CNote& note = *notes.GetAt(i);
        note.time = std::max(0.0, note.time + RandomDouble(-timeSpread, timeSpread));
        const double volume = note.volume * (1.0 + RandomDouble(-m_settings.volumeSpread, 0.0));
        note.volume = static_cast<float>(std::clamp(volume, 0.0, 1.0));
    }
    notes.Sort();
}

bool CSongEditorDlg::GetGrooveNotes(CNoteList& notes, PLAY_SPAN& span) {
    if (!m_grids.HasGroove()) {
        return false;
    }
    if (!m_grids.GetNotes(GetPlayedThings(), notes)) {
        Box(m_grids.GetError(), L::kTitle);
        return false;
    }
    Humanize(notes);
    span.measureLength = m_grids.GetMeasureLength();
    span.loopLength = span.measureLength * m_grids.GetMeasures();
    span.repeats = kGrooveRepeats;
    return true;
}

bool CSongEditorDlg::GetPartNotes(CNoteList& notes, PLAY_SPAN& span) {
    CSongPart* part = m_parts.GetSelectedPart();
    if (part == nullptr) {
        Box(kNoPartToPlay, kNoPartTitle);
        return false;
    }
    if (part->m_chords.empty()) {
        Box(kNoChords, kNoChordsTitle);
        return false;
    }
    if (!part->Build(m_host.GetNoteManager(), false)) {
        CCharString text;
        text.Format("Can't get song's notes: %s", part->GetError());
        Box(text, L::kTitle);
        return false;
    }
    CollectNotes(part->m_arrangement, GetPlayedThings(), notes);
    Humanize(notes);
    const SONG_INFO& info = part->m_arrangement.m_info;
    span.measureLength = info.GetMeasureLength();
    span.loopLength = info.length;
    span.repeats = std::max(1, part->m_repeat);
    return true;
}

bool CSongEditorDlg::GetSongNotes(CNoteList& notes, PLAY_SPAN& span) {
    CComposition& composition = m_host.GetSong();
    const int kept = composition.m_info.repeat;
    composition.m_info.repeat = 1;
    CSong song;
    const bool rendered = composition.Render(song, false);
    composition.m_info.repeat = kept;
    if (!rendered) {
        CCharString text;
        text.Format("Can't get song's notes: %s", composition.GetError());
        Box(text, L::kTitle);
        return false;
    }
    CollectNotes(song, GetPlayedThings(), notes);
    Humanize(notes);
    span.measureLength = song.m_info.GetMeasureLength();
    span.loopLength = song.m_info.length == UNSET_TIME ? 0.0 : song.m_info.length;
    span.repeats = GetRepeatCount();
    return true;
}

void CSongEditorDlg::Play(PLAYING what) {
    CNoteList notes(CTrack::kNoteGrowStep, false);
    PLAY_SPAN span;
    const bool built = what == kGroove ? GetGrooveNotes(notes, span)
                       : what == kPart ? GetPartNotes(notes, span)
                                       : GetSongNotes(notes, span);
    if (built) {
        StartPlaying(what, notes, span.measureLength, span.loopLength, span.repeats);
    }
}

int CSongEditorDlg::GetRepeatCount() const {
    int repeat = 1;
    if (!m_repeat.GetInt(repeat) || repeat < 1 || repeat > kMaxSongRepeats) {
        repeat = 1;
    }
    return repeat;
}

// A take: into the groove, the notes heard go into the record target row
// while the groove plays over and over; over a part or the song, the sound
// is recorded and mixed with what played. What plays is preceded by a
// count-in: one silent measure, then kCountInMeasures of the groove's or
// song's drums.
void CSongEditorDlg::Record(int buttonId) {
    CNoteList played(CTrack::kNoteGrowStep, false);
    PLAY_SPAN span;
    const bool intoGroove = buttonId == L::kRecordGroove;
    const bool built = intoGroove                   ? GetGrooveNotes(played, span)
                       : buttonId == L::kRecordPart ? GetPartNotes(played, span)
                                                    : GetSongNotes(played, span);
    if (!built) {
        return;
    }
    if (!(span.measureLength > 0.0)) {
        // A song without a time signature counts in whole measures of 4/4.
        span.measureLength = kCountInBeats * m_host.GetSong().m_info.secondsPerBeat;
    }
    if (!(span.measureLength > 0.0)) {
        span.measureLength = kCountInBeats * kDefaultBeatSeconds;
    }
    RECORD_REQUEST request;
    request.countInMeasures = kCountInMeasures;
    request.measureLength = span.measureLength;
    const double countIn = (1 + kCountInMeasures) * request.measureLength;
    request.mixOffset = countIn - kMixLead * request.measureLength;
    request.detectorOffset = countIn;
    request.audio = !intoGroove;
    request.foldLength = intoGroove ? span.loopLength : 0.0;
    for (int i = 0; i < L::kInstrumentCount; ++i) {
        if (m_record[i].GetCheck()) {
            request.targetThing = L::kInstrumentThings[i];
            request.clearRow = m_clear[i].GetCheck();
        }
    }
    if (request.audio) {
        const CComposition& song = m_host.GetSong();
        const CCharString name =
            MakeFileName(song.m_name.IsEmpty() ? "Take" : song.m_name.GetText(), ".wav", true);
        request.recordFile.Format("%s%s", m_host.GetTempFolder().GetText(), name.GetText());
    } else if (request.clearRow) {
        ClearTargetRow(request.targetThing);
    }
    CNoteList notes(CTrack::kNoteGrowStep, false);
    if (!MakeTakeNotes(played, span, countIn, intoGroove, notes)) {
        return;
    }
    CCharString error;
    if (!m_host.Record(notes, request, error)) {
        Box(error, L::kTitle);
        return;
    }
    m_playing = kRecording;
    m_takeIntoGroove = intoGroove;
    m_playLead = countIn;
    ShowPlayState();
}

// The notes a take plays: the count-in's drums (the first measure's),
// then the notes from countIn on; a groove played over and over, up to
// kTakeSeconds.
bool CSongEditorDlg::MakeTakeNotes(const CNoteList& played, const PLAY_SPAN& span, double countIn,
                                   bool repeat, CNoteList& notes) {
    const double measure = span.measureLength;
    for (int m = 1; m <= kCountInMeasures; ++m) {
        for (int i = 0; i < played.GetCount(); ++i) {
            CNote note = *played.GetAt(i);
            if (note.IsDrum() && note.time < measure) {
                note.time += m * measure;
                notes.Add(note);
            }
        }
    }
    const int passes = repeat && span.loopLength > 0.0
                           ? std::max(1, static_cast<int>(kTakeSeconds / span.loopLength))
                           : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < played.GetCount(); ++i) {
            CNote note = *played.GetAt(i);
            note.time += countIn + pass * span.loopLength;
            if (!notes.Add(note)) {
                Box("Can't make the take's notes: out of memory", L::kTitle);
                return false;
            }
        }
    }
    notes.Sort();
    return true;
}

// Empties the record target row before a take, as one undo step.
void CSongEditorDlg::ClearTargetRow(int thing) {
    for (int g = 0; g < CGrooveGrids::kGridCount; ++g) {
        CNoteGrid& grid = m_grids.GetGrid(g);
        if (grid.GetThing() != thing || g == CGrooveGrids::kTop) {
            continue;
        }
        grid.BeginEdit();
        for (int i = grid.GetNoteCount() - 1; i >= 0; --i) {
            grid.RemoveNote(i);
        }
        grid.CommitEdit();
        m_grids.GridEdited(g);
    }
    RefreshGridViews();
}

// A note heard in a take into the groove: into the target row, its time
// folded into the groove. False with the reason.
bool CSongEditorDlg::AddTakeNote(int thing, const CNote& note) {
    for (int g = CGrooveGrids::kLead; g < CGrooveGrids::kGridCount; ++g) {
        CNoteGrid& grid = m_grids.GetGrid(g);
        if (grid.GetThing() == thing) {
            if (!grid.AddPlayedNote(note)) {
                m_error = grid.GetError();
                return false;
            }
            m_grids.GridEdited(g);
            RefreshGridViews();
            return true;
        }
    }
    m_error.Format("Can't find the row of instrument %d", thing);
    return false;
}

bool CSongEditorDlg::StartPlaying(PLAYING what, const CNoteList& notes, double measureLength,
                                  double loopLength, int repeats) {
    StopPlaying();
    CCharString error;
    if (!m_host.Play(notes, measureLength, loopLength, repeats, error)) {
        Box(error, L::kTitle);
        return false;
    }
    m_playing = what;
    m_playLead = 0.0;
    ShowPlayState();
    return true;
}

void CSongEditorDlg::StopPlaying() {
    if (m_playing != kIdle) {
        m_host.Stop();
    }
    m_playing = kIdle;
    ShowPlayState();
}

void CSongEditorDlg::PlaybackEnded() {
    m_playing = kIdle;
    ShowPlayState();
    RefreshGridViews();  // a take may have written notes into a row
}

void CSongEditorDlg::ShowPlayState() {
    m_playGroove.SetState(m_playing == kGroove);
    m_playPart.SetState(m_playing == kPart);
    m_playSong.SetState(m_playing == kSong);
    m_recordGroove.SetState(m_playing == kRecording);
    m_recordPart.SetState(m_playing == kRecording);
    m_recordSong.SetState(m_playing == kRecording);
}
