#include "songs/PlayerNotes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "songs/Song.h"
#include "theory/GuitarFingering.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kLowestLoweredFret = 1;

bool IsPitched(const CNote& note) {
    return !note.IsMarker() && note.midiNote < NOTE_COUNT;
}

bool HasPosition(const CNote& note) {
    return note.guitarString != UNSET && note.fret != UNSET;
}

void ClearPosition(CNote& note) {
    note.guitarString = UNSET;
    note.fret = UNSET;
    note.finger = UNSET;
    note.mode = 0;
}

}  // namespace

bool CPlayerNotes::Prepare(CSong& song) {
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        CTrack& track = *song.GetTrack(t);
        switch (track.m_thing) {
            case THING_BASS_GUITAR:
                for (int i = 0; i < track.m_notes.GetCount(); ++i) {
                    if (!track.m_notes.GetAt(i)->IsMarker()) {
                        ClearPosition(*track.m_notes.GetAt(i));
                    }
                }
                PlaceTrack(track, kBassLowestFret, kBassHighestFret);
                break;
            case THING_LEAD_GUITAR:
                PlaceTrack(track, kLeadLowestFret, kLeadHighestFret);
                break;
            case THING_DRUM_SET:
                // A piece without a place in the kit keeps no hand; the
                // notes still play.
                track.m_notes.AssignHands();
                break;
            default:
                break;
        }
    }
    return true;
}

void CPlayerNotes::PlaceTrack(CTrack& track, int lowestFret, int highestFret) {
    CNoteList& notes = track.m_notes;
    const double measure = track.m_info.GetMeasureLength();
    int first = 0;
    while (first < notes.GetCount()) {
        const double time = notes.GetAt(first)->time;
        int last = notes.GetCount();
        if (measure > 0.0 && time != UNSET_TIME) {
            const double end = (std::floor(time / measure) + 1.0) * measure;
            last = FindMeasureEnd(notes, first, end);
        }
        PlaceMeasure(notes, first, last, track.m_thing, lowestFret, highestFret);
        SetFingers(notes, first, last);
        first = last;
    }
    SetPicking(notes);
}

int CPlayerNotes::FindMeasureEnd(const CNoteList& notes, int first, double end) {
    int last = first + 1;
    while (last < notes.GetCount() && notes.GetAt(last)->time < end) {
        ++last;
    }
    return last;
}

// Places the notes without a position, searching from string 1 toward the
// low strings; a measure spread over kWideSpan frets or more is placed once
// more with the window starting one fret lower.
void CPlayerNotes::PlaceMeasure(CNoteList& notes, int first, int last, int thing, int lowestFret,
                                int highestFret) {
    std::vector<bool> kept;
    for (int i = first; i < last; ++i) {
        kept.push_back(HasPosition(*notes.GetAt(i)));
    }
    const int lowestStart = std::max(kLowestLoweredFret, lowestFret - 1);
    for (int start = lowestFret;; --start) {
        for (int i = first; i < last; ++i) {
            CNote& note = *notes.GetAt(i);
            if (kept[i - first] || !IsPitched(note)) {
                continue;
            }
            note.guitarString = UNSET;
            note.fret = UNSET;
            m_manager.GetNotePositionFor(thing, start, highestFret, note, false);
        }
        const int low = notes.GetLowestFret(first, last - 1);
        const int high = notes.GetHighestFret(first, last - 1);
        if (low == UNSET || high - low < kWideSpan || start - 1 < lowestStart) {
            return;
        }
    }
}

// Fingers counted from the lowest fret a finger holds in the measure.
void CPlayerNotes::SetFingers(CNoteList& notes, int first, int last) {
    CNoteList measure(last - first, false);
    int lowest = UNSET;
    for (int i = first; i < last; ++i) {
        const CNote& note = *notes.GetAt(i);
        measure.Add(note);
        if (IsPitched(note) && note.fret != UNSET && note.fret > 0) {
            lowest = std::min(lowest, note.fret);
        }
    }
    if (lowest == UNSET) {
        return;
    }
    const int highest = measure.GetHighestFret();
    for (int string = 1; string <= CGuitarFingering::STRING_COUNT; ++string) {
        measure.SetFingersFromFrets(string, lowest, lowest, highest);
    }
    for (int i = first; i < last; ++i) {
        CNote& note = *notes.GetAt(i);
        if (IsPitched(note)) {
            note.finger = measure.GetAt(i - first)->finger;
        }
    }
}

// Single notes alternate their picking: down first, then up, and so on.
void CPlayerNotes::SetPicking(CNoteList& notes) {
    bool previousUp = true;
    for (int i = 0; i < notes.GetCount(); ++i) {
        CNote& note = *notes.GetAt(i);
        if (!IsPitched(note) || note.GetChord().chordType != 0) {
            continue;
        }
        const bool up = !previousUp;
        note.mode &= ~(MODE_START | MODE_UP);
        note.mode |= up ? MODE_START | MODE_UP : MODE_START;
        previousUp = up;
    }
}
