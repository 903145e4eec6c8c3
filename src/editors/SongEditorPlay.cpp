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

void CSongEditorDlg::PlayGroove() {
    if (!m_grids.HasGroove()) {
        return;
    }
    CNoteList notes(CTrack::kNoteGrowStep, false);
    if (!m_grids.GetNotes(GetPlayedThings(), notes)) {
        Box(m_grids.GetError(), L::kTitle);
        return;
    }
    Humanize(notes);
    const double measure = m_grids.GetMeasureLength();
    StartPlaying(kGroove, notes, measure, measure * m_grids.GetMeasures(), kGrooveRepeats);
}

void CSongEditorDlg::PlayPart() {
    CSongPart* part = m_parts.GetSelectedPart();
    if (part == nullptr) {
        Box(kNoPartToPlay, kNoPartTitle);
        return;
    }
    if (part->m_chords.empty()) {
        Box(kNoChords, kNoChordsTitle);
        return;
    }
    if (!part->Build(m_host.GetNoteManager(), false)) {
        CCharString text;
        text.Format("Can't get song's notes: %s", part->GetError());
        Box(text, L::kTitle);
        return;
    }
    CNoteList notes(CTrack::kNoteGrowStep, false);
    CollectNotes(part->m_arrangement, GetPlayedThings(), notes);
    Humanize(notes);
    const SONG_INFO& info = part->m_arrangement.m_info;
    StartPlaying(kPart, notes, info.GetMeasureLength(), info.length, std::max(1, part->m_repeat));
}

int CSongEditorDlg::GetRepeatCount() const {
    int repeat = 1;
    if (!m_repeat.GetInt(repeat) || repeat < 1 || repeat > kMaxSongRepeats) {
        repeat = 1;
    }
    return repeat;
}

void CSongEditorDlg::PlaySong() {
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
        return;
    }
    CNoteList notes(CTrack::kNoteGrowStep, false);
    CollectNotes(song, GetPlayedThings(), notes);
    Humanize(notes);
    const double length = song.m_info.length == UNSET_TIME ? 0.0 : song.m_info.length;
    StartPlaying(kSong, notes, song.m_info.GetMeasureLength(), length, GetRepeatCount());
}

// A take over the groove, the part or the song: its notes after a count-in
// of whole measures, the capture listening from the end of the count-in.
void CSongEditorDlg::Record(int buttonId) {
    CNoteList notes(CTrack::kNoteGrowStep, false);
    if (!m_grids.HasGroove() || !m_grids.GetNotes(GetPlayedThings(), notes)) {
        return;
    }
    (void)buttonId;
    RECORD_REQUEST request;
    request.countInMeasures = kCountInMeasures;
    request.measureLength = m_grids.GetMeasureLength();
    const double countIn = (1 + kCountInMeasures) * request.measureLength;
    for (int i = 0; i < notes.GetCount(); ++i) {
        notes.GetAt(i)->time += countIn;
    }
    request.mixOffset = countIn - kMixLead * request.measureLength;
    request.detectorOffset = countIn;
    for (int i = 0; i < L::kInstrumentCount; ++i) {
        if (m_record[i].GetCheck()) {
            request.targetThing = L::kInstrumentThings[i];
            request.clearRow = m_clear[i].GetCheck();
        }
    }
    CCharString error;
    if (!m_host.Record(notes, request, error)) {
        Box(error, L::kTitle);
        return;
    }
    m_playing = kRecording;
    ShowPlayState();
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
