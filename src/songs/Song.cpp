#include "songs/Song.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/DebugOutput.h"
#include "songs/SongPart.h"
#include "theory/NoteManager.h"

namespace {

constexpr float kMinPan = -1.0f;
constexpr float kMaxPan = 1.0f;
constexpr float kMinVolume = 0.0f;
constexpr float kMaxVolume = 1.0f;

// The Thing whose mix entry sets a note's level: a drum hit has its own.
int MixThingOf(const CTrack& track, const CNote& note) {
    return note.IsDrum() ? note.thing : track.m_thing;
}

}  // namespace

CSong::CSong() = default;
CSong::~CSong() = default;

bool CSong::SetError(const char* format, ...) const {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CSong::CopyFrom(const CSong& other) {
    if (this == &other) {
        return true;
    }
    Clear(true);
    m_info = other.m_info;
    for (const auto& track : other.m_tracks) {
        if (!AddTrack(*track)) {
            return false;
        }
    }
    if (!CopyParts(other)) {
        return false;
    }
    return m_mix.CopyFrom(other.m_mix) || SetError("%s", other.m_mix.GetError());
}

void CSong::Clear(bool withInfo) {
    m_tracks.clear();
    m_parts.clear();
    if (withInfo) {
        m_info.Reset();
    }
}

bool CSong::AddNewSongTracks() {
    static const int kThings[] = {THING_LEAD_GUITAR, THING_RHYTHM_GUITAR, THING_BASS_GUITAR,
                                  THING_DRUM_SET};
    m_tracks.clear();
    for (const int thing : kThings) {
        CTrack track;
        track.m_thing = thing;
        track.m_info = m_info;
        GetThingName(thing, track.m_info.name);
        track.m_number = GetTrackCount();
        if (!AddTrack(track)) {
            return false;
        }
    }
    return true;
}

CTrack* CSong::GetTrack(int index) {
    return const_cast<CTrack*>(static_cast<const CSong&>(*this).GetTrack(index));
}

const CTrack* CSong::GetTrack(int index) const {
    if (index < 0 || index >= GetTrackCount()) {
        SetError("Can't get track number %d, %d tracks in the song", index, GetTrackCount());
        return nullptr;
    }
    return m_tracks[index].get();
}

CTrack* CSong::FindTrack(int thing) {
    return const_cast<CTrack*>(static_cast<const CSong&>(*this).FindTrack(thing));
}

const CTrack* CSong::FindTrack(int thing) const {
    for (const auto& track : m_tracks) {
        if (track->m_thing == thing) {
            return track.get();
        }
    }
    return nullptr;
}

bool CSong::AddTrack(const CTrack& track) {
    try {
        m_tracks.push_back(std::make_unique<CTrack>(track));
    } catch (const std::bad_alloc&) {
        return SetError("Can't add a track to the song");
    }
    return true;
}

bool CSong::AddTrack(CTrack&& track) {
    try {
        m_tracks.push_back(std::make_unique<CTrack>(std::move(track)));
    } catch (const std::bad_alloc&) {
        return SetError("Can't add a track to the song");
    }
    return true;
}

void CSong::EnableTracks(int thing, bool enabled) {
    for (const auto& track : m_tracks) {
        if (track->m_thing == thing) {
            track->m_enabled = enabled;
        }
    }
}

void CSong::ClearNotes(int thing) {
    CTrack* track = FindTrack(thing);
    if (track != nullptr) {
        track->m_notes.RemoveAll();
    }
}

void CSong::StripNotes(int thing) {
    CTrack* track = FindTrack(thing);
    if (track != nullptr) {
        track->StripNotes();
    }
}

double CSong::GetLength() const {
    double length = 0.0;
    for (const auto& track : m_tracks) {
        length = std::max(length, track->GetLength(track->m_thing != THING_DRUM_SET));
    }
    return length;
}

int CSong::CountMeasures() const {
    const double length = GetLength();
    const double measure = m_info.GetMeasureLength();
    if (!(length > 0.0) || !(measure > 0.0)) {
        return 0;
    }
    const int whole = static_cast<int>(length / measure);
    const double remainder = length - whole * measure;
    return remainder > kMeasureRemainder ? whole + 1 : whole;
}

void CSong::CopyInfoToTracks() {
    for (const auto& track : m_tracks) {
        const CCharString name = track->m_info.name;
        track->m_info = m_info;
        track->m_info.name = name;
    }
}

void CSong::Rescale(double secondsPerBeat) {
    const double old = m_info.secondsPerBeat;
    if (secondsPerBeat == old) {
        return;
    }
    m_info.secondsPerBeat = secondsPerBeat;
    // Without a beat before there is nothing to stretch from.
    if (!(old > 0.0)) {
        return;
    }
    const double factor = secondsPerBeat / old;
    for (const auto& track : m_tracks) {
        for (int i = 0; i < track->m_notes.GetCount(); ++i) {
            CNote& note = *track->m_notes.GetAt(i);
            if (note.time != UNSET_TIME) {
                note.time *= factor;
            }
            if (note.duration != UNSET_TIME) {
                note.duration *= factor;
            }
        }
    }
}

bool CSong::Append(const CSong& other) {
    return AppendAt(other, CountMeasures() * m_info.GetMeasureLength());
}

bool CSong::AppendAt(const CSong& other, double offset) {
    const int count = std::min(GetTrackCount(), other.GetTrackCount());
    for (int t = 0; t < count; ++t) {
        const CNoteList& from = other.m_tracks[t]->m_notes;
        CNoteList& to = m_tracks[t]->m_notes;
        for (int i = 0; i < from.GetCount(); ++i) {
            CNote note = *from.GetAt(i);
            if (note.time != UNSET_TIME) {
                note.time += offset;
            }
            if (!to.InsertInOrder(note)) {
                return SetError("Can't append a note to track number %d", t);
            }
        }
    }
    return true;
}

bool CSong::CopySegment(const CSong& other, double start, double end) {
    for (const auto& source : other.m_tracks) {
        CTrack* target = FindTrack(source->m_thing);
        if (target == nullptr) {
            CTrack empty = *source;
            empty.m_notes.RemoveAll();
            if (!AddTrack(empty)) {
                return false;
            }
            target = m_tracks.back().get();
        }
        for (int i = 0; i < source->m_notes.GetCount(); ++i) {
            CNote note = *source->m_notes.GetAt(i);
            if (note.time == UNSET_TIME || note.time < start || note.time >= end) {
                continue;
            }
            note.time -= start;
            if (!target->AddNote(note)) {
                return SetError("Can't copy a note into the track of Thing %d", target->m_thing);
            }
        }
    }
    if (!m_mix.CopyFrom(other.m_mix)) {
        return SetError("%s", other.m_mix.GetError());
    }
    m_info.measures = CountMeasures();
    return true;
}

void CSong::ApplyMix(const CMix& mix) {
    for (const auto& track : m_tracks) {
        for (int i = 0; i < track->m_notes.GetCount(); ++i) {
            CNote& note = *track->m_notes.GetAt(i);
            float volume = 1.0f;
            float pan = 0.0f;
            mix.Get(MixThingOf(*track, note), volume, pan);
            note.volume *= track->m_volume * volume;
            note.pan = std::clamp(pan + track->m_pan, kMinPan, kMaxPan);
        }
    }
}

void CSong::RemoveMix(const CMix& mix) {
    for (const auto& track : m_tracks) {
        for (int i = 0; i < track->m_notes.GetCount(); ++i) {
            CNote& note = *track->m_notes.GetAt(i);
            float volume = 1.0f;
            float pan = 0.0f;
            mix.Get(MixThingOf(*track, note), volume, pan);
            const float factor = track->m_volume * volume;
            // A silenced note cannot be scaled back; it stays as it is.
            if (factor > 0.0f) {
                note.volume = std::clamp(note.volume / factor, kMinVolume, kMaxVolume);
            }
        }
    }
}

CSongPart* CSong::GetPart(int index) {
    return index >= 0 && index < GetPartCount() ? m_parts[index].get() : nullptr;
}

const CSongPart* CSong::GetPart(int index) const {
    return index >= 0 && index < GetPartCount() ? m_parts[index].get() : nullptr;
}

CSongPart* CSong::FindPart(const char* name) {
    for (const auto& part : m_parts) {
        if (part->m_name == name) {
            return part.get();
        }
    }
    return nullptr;
}

bool CSong::AddPart(const CSongPart& part) {
    if (FindPart(part.m_name) != nullptr) {
        return SetError("Can't add the song part %s, the song has one of that name",
                        part.m_name.GetText());
    }
    try {
        auto copy = std::make_unique<CSongPart>();
        if (!copy->CopyFrom(part)) {
            return SetError("%s", copy->GetError());
        }
        m_parts.push_back(std::move(copy));
    } catch (const std::bad_alloc&) {
        return SetError("Can't add the song part %s", part.m_name.GetText());
    }
    return true;
}

bool CSong::CopyParts(const CSong& other) {
    if (this == &other) {
        return true;
    }
    m_parts.clear();
    for (const auto& part : other.m_parts) {
        if (!AddPart(*part)) {
            return false;
        }
    }
    return true;
}

void CSong::SetChordNames() {
    CTrack* lead = FindTrack(THING_LEAD_GUITAR);
    if (lead == nullptr) {
        return;
    }
    for (int i = 0; i < lead->m_notes.GetCount(); ++i) {
        CNote& note = *lead->m_notes.GetAt(i);
        if (note.eventKind == EVENT_CHORD_MARKER) {
            note.EditChord([](CHORD_INFO& chord) {
                CNoteManager::GetChordName(chord.chordType, chord.root, chord.name);
            });
        }
    }
}

void CSong::Dump() const {
    CCharString line;
    Platform::WriteDebugOutput(line.Format(
        "========================= Song (%s) =========================", m_info.name.GetText()));
    Platform::WriteDebugOutput(line.Format("File: %s", m_info.fileName.GetText()));
    Platform::WriteDebugOutput(line.Format("Name: %s", m_info.name.GetText()));
    Platform::WriteDebugOutput(line.Format("Text: %s", m_info.text.GetText()));
    Platform::WriteDebugOutput(line.Format("Copyright: %s", m_info.copyright.GetText()));
    Platform::WriteDebugOutput(line.Format("Tempo: %6.2f", m_info.tempo));
    Platform::WriteDebugOutput(line.Format("Note time: %6.2f", m_info.secondsPerBeat));
    Platform::WriteDebugOutput(line.Format("Key: %d", m_info.keySignature));
    Platform::WriteDebugOutput(line.Format("Scale: %d", m_info.scale));
    Platform::WriteDebugOutput(
        line.Format("Time signature: %d / %d", m_info.measureBeats, m_info.beatNote));
    for (const auto& track : m_tracks) {
        track->Dump();
    }
}
