#include "songs/SongPart.h"

#include <algorithm>

#include "songs/PlayerNotes.h"
#include "theory/NoteManager.h"

namespace {

// The lowest bass note a fitted bass line may play: the open low E string.
constexpr int kLowestBassNote = 28;
constexpr int kOctave = 12;

CNote MakeMarker(int eventKind, double start, double duration) {
    CNote marker;
    marker.eventKind = eventKind;
    marker.midiNote = NOTE_CHORD;
    marker.volume = 0.0f;
    marker.time = start;
    marker.duration = duration;
    return marker;
}

// The track's notes that are no markers: a rebuild adds fresh markers.
bool CopyNotesWithoutMarkers(const CTrack* track, CNoteList& notes) {
    notes.RemoveAll();
    for (int i = 0; track != nullptr && i < track->m_notes.GetCount(); ++i) {
        const CNote& note = *track->m_notes.GetAt(i);
        if (!note.IsMarker() && !notes.Add(note)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool CSongPart::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CSongPart::CopyFrom(const CSongPart& other) {
    if (this == &other) {
        return true;
    }
    m_name = other.m_name;
    m_description = other.m_description;
    m_repeat = other.m_repeat;
    m_grooveStyle = other.m_grooveStyle;
    m_grooveName = other.m_grooveName;
    m_grooveFile = other.m_grooveFile;
    m_grooveLength = other.m_grooveLength;
    m_playPosition = other.m_playPosition;
    if (!m_groove.CopyFrom(other.m_groove)) {
        return SetError("%s", m_groove.GetError());
    }
    if (!m_arrangement.CopyFrom(other.m_arrangement)) {
        return SetError("%s", m_arrangement.GetError());
    }
    try {
        m_chords = other.m_chords;
    } catch (const std::bad_alloc&) {
        return SetError("Can't copy the chords of the song part %s", m_name.GetText());
    }
    return true;
}

bool CSongPart::CopyToSong(CSong& song) const {
    song.Clear(false);
    song.m_info = m_arrangement.m_info;
    for (int i = 0; i < m_arrangement.GetTrackCount(); ++i) {
        if (!song.AddTrack(*m_arrangement.GetTrack(i))) {
            return false;
        }
    }
    return true;
}

bool CSongPart::AddChordMarker(CTrack& track, const CChord& chord, double start, double duration) {
    CNote marker = MakeMarker(EVENT_CHORD_MARKER, start, duration);
    marker.thing = track.m_thing;
    marker.SetChord(chord.m_root.GetChord());
    return track.AddNote(marker);
}

bool CSongPart::AddMeasureMarker(CTrack& track, int measure, double start, double duration) {
    CNote marker = MakeMarker(EVENT_MEASURE_MARKER, start, duration);
    marker.thing = track.m_thing;
    marker.partMeasure = measure;
    return track.AddNote(marker);
}

bool CSongPart::Build(CNoteManager& manager, bool withMarkers) {
    if (m_chords.empty()) {
        return true;
    }
    CNoteList savedLead(CTrack::kNoteGrowStep, false);
    if (!CopyNotesWithoutMarkers(m_arrangement.FindTrack(THING_LEAD_GUITAR), savedLead)) {
        return SetError("Can't keep the lead-guitar notes of %s", m_name.GetText());
    }
    int grooveMeasures = 0;
    if (!PrepareArrangement(grooveMeasures)) {
        return false;
    }
    SONG_INFO& info = m_arrangement.m_info;
    CNoteList scale(NOTE_COUNT, true);
    if (!manager.GetScaleOverRange(info.scale, info.scaleRoot, scale)) {
        return SetError("%s", manager.GetError());
    }
    int counter = 0;
    for (size_t c = 0; c < m_chords.size(); ++c) {
        CChord chord = m_chords[c];
        chord.m_root.EditChord([c](CHORD_INFO& info) { info.position = static_cast<int>(c) + 1; });
        for (int r = 0; r < chord.m_repeat; ++r, ++counter) {
            if (!BuildMeasure(manager, scale, chord, counter, grooveMeasures, withMarkers)) {
                return false;
            }
        }
    }
    if (!RestoreLeadNotes(savedLead)) {
        return false;
    }
    const CTrack* lead = m_arrangement.FindTrack(THING_LEAD_GUITAR);
    info.length = std::max(counter * info.GetMeasureLength(), lead->GetLength(true));
    info.measures = counter;
    m_arrangement.CopyInfoToTracks();
    if (withMarkers) {
        CNote marker = MakeMarker(EVENT_PART_MARKER, 0.0, info.length);
        marker.thing = THING_LEAD_GUITAR;
        marker.SetText(m_name);  // the MIDI writer's song-part marker names the part
        marker.SetMarkerText(m_name);
        // First in the track: the part's marker opens the markers of its
        // first measure, which share its time.
        if (!m_arrangement.FindTrack(THING_LEAD_GUITAR)->m_notes.InsertAt(0, marker)) {
            return SetError("Can't add the marker of the song part %s", m_name.GetText());
        }
    }
    CPlayerNotes players(manager);
    return players.Prepare(m_arrangement) || SetError("%s", players.GetError());
}

// Fits the groove to the part's beat and leaves the arrangement with empty
// copies of the groove's tracks (and a lead-guitar track), so that every
// measure appended later has tracks to go into.
bool CSongPart::PrepareArrangement(int& grooveMeasures) {
    const SONG_INFO& info = m_arrangement.m_info;
    if (!(info.GetMeasureLength() > 0.0)) {
        return SetError("Can't build the song part %s: its measures have no length",
                        m_name.GetText());
    }
    m_groove.Rescale(info.secondsPerBeat);
    m_groove.m_info.tempo = info.tempo;
    grooveMeasures = m_groove.m_info.measures;
    if (grooveMeasures <= 0) {
        grooveMeasures = m_groove.CountMeasures();
    }
    if (grooveMeasures <= 0) {
        return SetError("Can't build the song part %s: the groove has no measures",
                        m_name.GetText());
    }
    m_arrangement.Clear(false);
    for (int i = 0; i < m_groove.GetTrackCount(); ++i) {
        CTrack track = *m_groove.GetTrack(i);
        track.m_notes.RemoveAll();
        if (!m_arrangement.AddTrack(track)) {
            return SetError("%s", m_arrangement.GetError());
        }
    }
    if (m_arrangement.FindTrack(THING_LEAD_GUITAR) == nullptr) {
        CTrack lead;
        lead.m_thing = THING_LEAD_GUITAR;
        GetThingName(THING_LEAD_GUITAR, lead.m_info.name);
        lead.m_number = m_arrangement.GetTrackCount();
        if (!m_arrangement.AddTrack(lead)) {
            return SetError("%s", m_arrangement.GetError());
        }
    }
    return true;
}

bool CSongPart::BuildMeasure(CNoteManager& manager, const CNoteList& scale, const CChord& chord,
                             int counter, int grooveMeasures, bool withMarkers) {
    const double measure = m_arrangement.m_info.GetMeasureLength();
    const double start = (counter % grooveMeasures) * measure;
    CSong work;
    work.m_info = m_arrangement.m_info;
    for (int i = 0; i < m_arrangement.GetTrackCount(); ++i) {
        CTrack track = *m_arrangement.GetTrack(i);
        track.m_notes.RemoveAll();
        if (!work.AddTrack(track)) {
            return SetError("%s", work.GetError());
        }
    }
    if (!work.CopySegment(m_groove, start, start + measure)) {
        return SetError("%s", work.GetError());
    }
    work.ClearNotes(THING_LEAD_GUITAR);
    CTrack& lead = *work.FindTrack(THING_LEAD_GUITAR);
    if (withMarkers && (!AddChordMarker(lead, chord, 0.0, measure) ||
                        !AddMeasureMarker(lead, counter + 1, 0.0, measure))) {
        return SetError("Can't add the markers of measure %d", counter + 1);
    }
    if (!FitBassLine(manager, scale, chord, work)) {
        return false;
    }
    if (!m_arrangement.AppendAt(work, counter * measure)) {
        return SetError("%s", m_arrangement.GetError());
    }
    return true;
}

// Every bass note moves to the chord: its degree in the groove's C major
// counts from the chord's degree, at or above the chord root, and no lower
// than the bass's open low string.
bool CSongPart::FitBassLine(CNoteManager& manager, const CNoteList& scale, const CChord& chord,
                            CSong& work) {
    CTrack* bass = work.FindTrack(THING_BASS_GUITAR);
    if (bass == nullptr) {
        return true;
    }
    if (!manager.RepitchNotes(bass->m_notes)) {
        return SetError("%s", manager.GetError());
    }
    const int root =
        chord.m_root.midiNote != NOTE_NONE ? chord.m_root.midiNote : chord.m_root.GetChord().root;
    for (int i = 0; i < bass->m_notes.GetCount(); ++i) {
        CNote& note = *bass->m_notes.GetAt(i);
        if (note.IsMarker() || note.midiNote >= NOTE_COUNT) {
            continue;
        }
        CNote fitted;
        const int degree = chord.m_root.GetChord().number + note.interval - 1;
        if (!manager.GetNoteAtDegree(scale, root, degree, note.intervalFrets, fitted)) {
            return SetError("%s", manager.GetError());
        }
        while (fitted.midiNote < kLowestBassNote) {
            if (!manager.GetNoteAtDegree(scale, fitted.midiNote + kOctave, fitted.interval,
                                         fitted.intervalFrets, fitted)) {
                return SetError("%s", manager.GetError());
            }
        }
        note.CopyPitch(fitted, true);
    }
    return true;
}

bool CSongPart::RestoreLeadNotes(const CNoteList& saved) {
    CTrack& lead = *m_arrangement.FindTrack(THING_LEAD_GUITAR);
    for (int i = 0; i < saved.GetCount(); ++i) {
        if (!lead.m_notes.Add(*saved.GetAt(i))) {
            return SetError("Can't put back the lead-guitar notes of %s", m_name.GetText());
        }
    }
    lead.m_notes.Sort();
    return true;
}
