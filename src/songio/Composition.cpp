#include "songio/Composition.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "audio/Sound.h"
#include "common/NumberFormat.h"
#include "foundation/DiskFile.h"
#include "foundation/QuotedText.h"
#include "foundation/TextLines.h"
#include "songio/MidiFile.h"
#include "songio/SongText.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kDrumThings = THING_CHINESE_CYMBAL_2 + 1;
constexpr double kSecondsPerHour = 3600.0;
constexpr double kSecondsPerMinute = 60.0;

// Appends other's tracks after offset into the song's tracks of the same
// Thing; a Thing the song lacks gets an empty copy of the track first. The
// notes are appended as they come: the song sorts its tracks once, when
// every part is in (see SortTracks).
bool AppendByThing(CSong& song, const CSong& other, double offset, CCharString& error) {
    for (int t = 0; t < other.GetTrackCount(); ++t) {
        const CTrack& source = *other.GetTrack(t);
        CTrack* target = song.FindTrack(source.m_thing);
        if (target == nullptr) {
            CTrack empty = source;
            empty.m_notes.RemoveAll();
            empty.m_number = song.GetTrackCount();
            if (!song.AddTrack(empty)) {
                error = song.GetError();
                return false;
            }
            target = song.FindTrack(source.m_thing);
        }
        // The list grows by half when full: appending stays linear.
        CNoteList& notes = target->m_notes;
        for (int n = 0; n < source.m_notes.GetCount(); ++n) {
            CNote note = *source.m_notes.GetAt(n);
            if (note.time != UNSET_TIME) {
                note.time += offset;
            }
            if (!notes.Add(note)) {
                error.Format("Can't add a note to the track %s", target->GetName());
                return false;
            }
        }
    }
    return true;
}

// One stable sort per track: notes of equal time keep the order they were
// appended in (a part's marker before its measure's notes).
void SortTracks(CSong& song) {
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        song.GetTrack(t)->m_notes.Sort();
    }
}

// "5 hours 12 minutes" for a length in seconds.
CCharString DescribeLength(double seconds) {
    const double hours = std::floor(seconds / kSecondsPerHour);
    const double minutes = std::floor((seconds - hours * kSecondsPerHour) / kSecondsPerMinute);
    CCharString text;
    text.Format("%s hours %s minutes", NumberFormat::FormatDouble(hours).c_str(),
                NumberFormat::FormatDouble(minutes).c_str());
    return text;
}

// Text from the file as a message quotes it.
CCharString Quote(const char* text) {
    return QuoteForMessage(text, CComposition::kMaxQuotedChars);
}

// Every drum hit lasts until the next hit of the same piece; the last hit
// of each piece until the end of the song.
void SetDrumDurations(CTrack& drums, double songLength) {
    std::vector<CNote*> previous(kDrumThings, nullptr);
    for (int i = 0; i < drums.m_notes.GetCount(); ++i) {
        CNote& note = *drums.m_notes.GetAt(i);
        if (note.IsMarker() || note.time == UNSET_TIME || !CNote::IsDrumThing(note.thing)) {
            continue;
        }
        CNote*& last = previous[note.thing];
        if (last != nullptr) {
            last->duration = note.time - last->time;
        }
        last = &note;
    }
    for (CNote* last : previous) {
        if (last != nullptr) {
            last->duration = std::max(0.0, songLength - last->time);
        }
    }
}

}  // namespace

CComposition::CComposition(CNoteManager& manager, CSound* sound)
    : m_manager(manager), m_sound(sound) {
    New();
}

// Every message is cut to a readable length, whatever the file quoted.
bool CComposition::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    CCharString text;
    text.FormatV(format, args);
    va_end(args);
    m_error = QuoteForMessage(text, kMaxErrorChars);
    return false;
}

void CComposition::New() {
    m_info.Reset();
    m_info.tempo = kDefaultTempo;
    m_info.secondsPerBeat = kSecondsPerMinute / kDefaultTempo;
    m_name.Empty();
    m_fileName.Empty();
    m_playList.clear();
    m_parts.clear();
    m_plainSong.Clear(true);
    m_plain = false;
    m_modified = false;
}

bool CComposition::Open(const char* path) {
    const char* dot = path != nullptr ? std::strrchr(path, '.') : nullptr;
    const char* slash = path != nullptr ? std::strrchr(path, '/') : nullptr;
    if (dot == nullptr || (slash != nullptr && slash > dot)) {
        return SetError("Can't open song file (%s): the name has no extension",
                        path != nullptr ? path : "");
    }
    bool opened = false;
    if (std::strcmp(dot, ".mid") == 0) {
        opened = OpenMidi(path);
    } else if (std::strcmp(dot, ".Song") == 0) {
        opened = OpenText(path);
    } else {
        return SetError("Can't open song file (%s): only \".mid\" and \".Song\" files are songs",
                        path);
    }
    if (!opened) {
        return false;
    }
    m_fileName = path;
    m_modified = false;
    return true;
}

// ---------------------------------------------------------------- MIDI songs

bool CComposition::OpenText(const char* path) {
    CDiskFile disk;
    std::vector<char> data;
    if (!disk.Read(path, data, kMaxTextSongBytes)) {
        return SetError("Can't open song file (%s): %s", path, disk.GetError());
    }
    New();
    CSongText text(m_manager, *this, m_groovesFolder);
    return text.Read(data) || SetError("%s", text.GetError());
}

bool CComposition::TakePart(std::unique_ptr<CSongPart> part) {
    if (FindPart(part->m_name) != nullptr) {
        return SetError("Can't add song part %s: the song has a part of that name",
                        part->m_name.GetText());
    }
    m_parts.push_back(std::move(part));
    SetModified();
    return true;
}

bool CComposition::OpenMidi(const char* path) {
    CSong song;
    CMidiFile reader;
    if (!reader.Read(path, song)) {
        return SetError("Can't open song file (%s): %s", path, reader.GetError());
    }
    song.RemoveMix(song.GetMix());
    New();
    return Rebuild(song);
}

bool CComposition::Rebuild(CSong& song) {
    m_info = song.m_info;
    m_name = song.m_info.name;
    if (song.GetPartCount() == 0) {
        // A file from another program: its notes are the song.
        m_plain = true;
        return m_plainSong.CopyFrom(song) || SetError("%s", m_plainSong.GetError());
    }
    for (int i = 0; i < song.GetPartCount(); ++i) {
        if (!AddPart(*song.GetPart(i))) {
            return false;
        }
    }
    const CTrack* lead = song.FindTrack(THING_LEAD_GUITAR);
    std::vector<const CSongPart*> closed;
    auto isClosed = [&closed](const CSongPart* part) {
        return std::find(closed.begin(), closed.end(), part) != closed.end();
    };
    CSongPart* current = nullptr;
    double start = 0.0;
    auto close = [&]() {
        if (current == nullptr || isClosed(current)) {
            return true;
        }
        closed.push_back(current);
        return ClosePart(current, start, song);
    };
    for (int i = 0; lead != nullptr && i < lead->m_notes.GetCount(); ++i) {
        const CNote& marker = *lead->m_notes.GetAt(i);
        if (marker.eventKind == EVENT_PART_MARKER) {
            if (!close()) {
                return false;
            }
            current = FindPart(marker.GetText());
            if (current == nullptr) {
                return SetError("Can't find song part (%s)", marker.GetText().GetText());
            }
            start = marker.time == UNSET_TIME ? 0.0 : marker.time;
            if (!AppendToPlayList(current)) {
                return false;
            }
        } else if (marker.eventKind == EVENT_CHORD_MARKER && current != nullptr &&
                   !isClosed(current) && !AddChordFromMarker(*current, marker)) {
            return false;
        }
    }
    return close();
}

// The part's groove comes back from its groove file when that can still be
// read; the song's own measures hold the bass already fitted to the part's
// first chords, so they serve only when the file is gone.
bool CComposition::ClosePart(CSongPart* part, double start, const CSong& song) {
    CCharString ignored;
    const bool known = !part->m_grooveFile.IsEmpty() || !part->m_grooveName.IsEmpty();
    if (known && CSongText::LoadGroove(*part, m_groovesFolder, m_info, ignored)) {
        return true;
    }
    part->m_groove.Clear(true);
    if (part->m_grooveLength > 0.0 &&
        !part->m_groove.CopySegment(song, start, start + part->m_grooveLength)) {
        return SetError("Can't load part: %s", part->m_groove.GetError());
    }
    SONG_INFO& groove = part->m_groove.m_info;
    const SONG_INFO& info = part->m_arrangement.m_info;
    groove.secondsPerBeat = info.secondsPerBeat;
    groove.tempo = info.tempo;
    groove.measureBeats = info.measureBeats;
    groove.beatNote = info.beatNote;
    groove.measures = part->m_groove.CountMeasures();
    groove.length = part->m_grooveLength;
    part->m_groove.ClearNotes(THING_LEAD_GUITAR);
    return true;
}

bool CComposition::AddChordFromMarker(CSongPart& part, const CNote& marker) {
    CChord chord;
    const CHORD_INFO& markerChord = marker.GetChord();
    if (!m_manager.GetChordFromType(markerChord.chordType, chord)) {
        return SetError("Can't load part: %s", m_manager.GetError());
    }
    CHORD_INFO info = markerChord;
    chord.m_root.midiNote = markerChord.root;
    chord.m_root.accidental = static_cast<uint8_t>(markerChord.pitch);
    CNoteManager::GetChordName(markerChord.chordType, markerChord.root, info.name);
    chord.m_root.SetChord(info);
    try {
        part.m_chords.push_back(chord);
    } catch (const std::bad_alloc&) {
        return SetError("Can't add a chord to the song part %s", part.m_name.GetText());
    }
    return true;
}

// ---------------------------------------------------------------- rendering

bool CComposition::Render(CSong& song, bool withMarkers) {
    song.Clear(true);
    if (m_plain) {
        return song.CopyFrom(m_plainSong) || SetError("%s", song.GetError());
    }
    const int repeats = std::max(1, m_info.repeat);
    if (!CheckRenderedLength(repeats)) {
        return false;
    }
    double offset = 0.0;
    int rendered = 0;
    for (int r = 0; r < repeats; ++r) {
        for (size_t i = 0; i < m_playList.size(); ++i) {
            CSongPart& part = *m_playList[i];
            if (!RenderPart(part, static_cast<int>(i) + 1, withMarkers, song, offset)) {
                return false;
            }
            rendered += part.m_arrangement.m_info.measures;
        }
    }
    SortTracks(song);
    song.m_info = m_info;
    song.m_info.length = offset;
    song.m_info.measures = rendered;
    song.CopyInfoToTracks();
    return true;
}

// Refuses, before any note is made, a song of more measures than a song
// can mean or one that would play for longer than a practice session.
bool CComposition::CheckRenderedLength(int repeats) {
    long measures = 0;
    double seconds = 0.0;
    for (const CSongPart* part : m_playList) {
        long partMeasures = 0;
        for (const CChord& chord : part->m_chords) {
            partMeasures += std::max(1, chord.m_repeat);
        }
        measures += partMeasures;
        seconds += partMeasures * part->m_arrangement.m_info.GetMeasureLength();
    }
    measures *= repeats;
    seconds *= repeats;
    if (measures > kMaxRenderedMeasures) {
        return SetError("Can't render song %s: it would last %ld measures, more than %d",
                        Quote(m_name).GetText(), measures, kMaxRenderedMeasures);
    }
    if (seconds > kMaxSongSeconds) {
        return SetError("Can't render song %s: it would play for %s, longer than %s hours",
                        Quote(m_name).GetText(), DescribeLength(seconds).GetText(),
                        NumberFormat::FormatDouble(kMaxSongSeconds / kSecondsPerHour).c_str());
    }
    return true;
}

bool CComposition::RenderPart(CSongPart& part, int position, bool withMarkers, CSong& song,
                              double& offset) {
    part.m_playPosition = position;
    if (part.m_chords.empty()) {
        return true;  // nothing to play yet
    }
    if (!part.Build(m_manager, withMarkers)) {
        return SetError("Can't render song part %s: %s", part.m_name.GetText(), part.GetError());
    }
    CCharString reason;
    if (!AppendByThing(song, part.m_arrangement, offset, reason)) {
        return SetError("Can't render song part %s: %s", part.m_name.GetText(), reason.GetText());
    }
    const double length = part.m_arrangement.m_info.length;
    offset += length == UNSET_TIME ? 0.0 : length;
    return true;
}

bool CComposition::SaveMidi(const char* path, const CMix& mix) {
    CSong work;
    if (!Render(work, true)) {
        return false;
    }
    if (!m_plain) {
        for (const auto& part : m_parts) {
            if (!work.AddPart(*part)) {
                return SetError("Can't save song as MIDI (%s): %s", path, work.GetError());
            }
        }
    }
    const double length = work.GetLength();
    for (int t = 0; t < work.GetTrackCount(); ++t) {
        CTrack& track = *work.GetTrack(t);
        if (track.m_thing == THING_DRUM_SET) {
            SetDrumDurations(track, length);
        }
    }
    work.ApplyMix(mix);
    if (!work.GetMix().CopyFrom(mix)) {
        return SetError("Can't save song as MIDI (%s): can't copy the mix", path);
    }
    CMidiFile writer;
    if (!writer.Write(path, work)) {
        return SetError("Can't save song as MIDI (%s): %s", path, writer.GetError());
    }
    return true;
}

bool CComposition::SaveWave(const char* path, const CMix& mix, bool reduce) {
    if (m_sound == nullptr) {
        return SetError("Can't save song as WAVE (%s): there is no sound engine", path);
    }
    CSong work;
    if (!Render(work, false)) {
        return false;
    }
    work.ApplyMix(mix);
    CNoteList notes(CTrack::kNoteGrowStep, false);
    for (int t = 0; t < work.GetTrackCount(); ++t) {
        const CTrack& track = *work.GetTrack(t);
        for (int n = 0; track.m_enabled && n < track.m_notes.GetCount(); ++n) {
            const CNote& note = *track.m_notes.GetAt(n);
            if (!note.IsMarker() && note.time != UNSET_TIME && !notes.Add(note)) {
                return SetError("Can't save song as WAVE (%s): out of memory", path);
            }
        }
    }
    notes.Sort();
    if (!m_sound->ExportWave(notes, path, reduce)) {
        return SetError("Can't save song as WAVE (%s): %s", path, m_sound->GetError());
    }
    return true;
}

// ---------------------------------------------------------------- library

bool CComposition::AddPart(const CSongPart& part) {
    if (FindPart(part.m_name) != nullptr) {
        return SetError("Can't add song part %s: the song has a part of that name",
                        part.m_name.GetText());
    }
    auto copy = std::make_unique<CSongPart>();
    if (!copy->CopyFrom(part)) {
        return SetError("Can't add song part %s: %s", part.m_name.GetText(), copy->GetError());
    }
    m_parts.push_back(std::move(copy));
    SetModified();
    return true;
}

CSongPart* CComposition::FindPart(const char* name) {
    for (const auto& part : m_parts) {
        if (part->m_name == name) {
            return part.get();
        }
    }
    return nullptr;
}

CSongPart* CComposition::GetPart(int index) {
    return index >= 0 && index < GetPartCount() ? m_parts[index].get() : nullptr;
}

bool CComposition::AppendToPlayList(int partIndex) {
    CSongPart* part = GetPart(partIndex);
    if (part == nullptr) {
        return SetError("Can't get song part %d, %d parts in the song", partIndex, GetPartCount());
    }
    return AppendToPlayList(part);
}

bool CComposition::AppendToPlayList(CSongPart* part) {
    const bool known = std::any_of(m_parts.begin(), m_parts.end(),
                                   [part](const auto& owned) { return owned.get() == part; });
    if (!known) {
        return SetError("Can't add a song part to the play list: it is not in the song");
    }
    m_playList.push_back(part);
    SetModified();
    return true;
}

CSongPart* CComposition::GetPlayListEntry(int index) {
    return index >= 0 && index < GetPlayListCount() ? m_playList[index] : nullptr;
}

bool CComposition::RemovePlayListEntry(int index) {
    CSongPart* part = GetPlayListEntry(index);
    if (part == nullptr) {
        return SetError("Can't remove play list entry %d, %d entries in the song", index,
                        GetPlayListCount());
    }
    m_playList.erase(m_playList.begin() + index);
    if (std::find(m_playList.begin(), m_playList.end(), part) == m_playList.end()) {
        m_parts.erase(std::find_if(m_parts.begin(), m_parts.end(),
                                   [part](const auto& owned) { return owned.get() == part; }));
    }
    SetModified();
    return true;
}

bool CComposition::MovePlayListEntry(int index, int newIndex) {
    if (GetPlayListEntry(index) == nullptr || GetPlayListEntry(newIndex) == nullptr) {
        return SetError("Can't move play list entry %d to %d, %d entries in the song", index,
                        newIndex, GetPlayListCount());
    }
    CSongPart* part = m_playList[index];
    m_playList.erase(m_playList.begin() + index);
    m_playList.insert(m_playList.begin() + newIndex, part);
    SetModified();
    return true;
}
