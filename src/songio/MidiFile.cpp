#include "songio/MidiFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <string>
#include <utility>

#include "midi/GeneralMidi.h"
#include "midi/MidiCodes.h"
#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"
#include "songio/MidiSongWriter.h"
#include "songs/SongPart.h"

namespace {

// The whole measures of the length the song's info states, 0 without one:
// a groove's empty last measures have no notes to be counted by.
int StatedMeasures(const SONG_INFO& info) {
    const double measure = info.GetMeasureLength();
    if (info.length == UNSET_TIME || !(info.length > 0.0) || !(measure > 0.0)) {
        return 0;
    }
    return static_cast<int>(info.length / measure + CSong::kMeasureRemainder);
}

using namespace MidiCodes;

constexpr float kVelocityFactor = 0.3322f;  // single precision, as files have been written

constexpr double kMicrosPerMinute = 60000000.0;
constexpr int kByteBits = 8;
constexpr int kMaxBeatNotePower = 16;

bool IsTempo(const SMF_EVENT& event) {
    return event.IsMeta() && event.metaType == Smf::kMetaTempo &&
           event.data.size() >= static_cast<size_t>(Smf::kTempoBytes);
}

uint32_t MicrosOf(const SMF_EVENT& tempo) {
    uint32_t micros = 0;
    for (int i = 0; i < Smf::kTempoBytes; ++i) {
        micros = (micros << kByteBits) | tempo.data[i];
    }
    return micros;
}

// A note begun and not yet ended: its slot holds what its start gave.
bool IsOpen(const CNote& entry) {
    return entry.eventKind == EVENT_NOTE_START;
}

// A marker the track's list keeps.
bool MakesEntry(const SMF_EVENT& marker) {
    const auto text = reinterpret_cast<const char*>(marker.data.data());
    switch (CMidiMarkers::FindTag(text, marker.data.size())) {
        case CMidiMarkers::TAG_CHORD:
        case CMidiMarkers::TAG_SONG_PART:
        case CMidiMarkers::TAG_MEASURE:
            return true;
        default:
            return false;
    }
}

}  // namespace

// Any audible volume gives a velocity of at least 1: velocities 1..42 read
// as volumes below 0.01, and writing those as 0 would turn quiet notes into
// note ends, so they are written back as the velocity they were read from.
int CMidiFile::VolumeToVelocity(float volume) {
    if (!(volume > 0.0f)) {
        return 0;
    }
    if (volume >= 1.0f) {
        return kMaxVelocity;
    }
    const int velocity =
        static_cast<int>((std::log10(volume) * kVelocityFactor + 1.0) * kMaxVelocity + 0.5);
    return std::max(velocity, 1);
}

float CMidiFile::VelocityToVolume(int velocity) {
    // Every note read needs one; the 128 volumes are computed once.
    static const std::array<float, kMaxVelocity + 1> volumes = [] {
        std::array<float, kMaxVelocity + 1> table{};
        for (int v = 1; v < kMaxVelocity; ++v) {
            const double power = (static_cast<double>(v) / kMaxVelocity - 1.0) / kVelocityFactor;
            table[v] = static_cast<float>(std::pow(10.0, power));
        }
        table[kMaxVelocity] = 1.0f;
        return table;
    }();
    return volumes[std::clamp(velocity, 0, kMaxVelocity)];
}

bool CMidiFile::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CMidiFile::Read(const char* path, CSong& song) {
    song.Clear(true);
    CSmfReader reader;
    SMF_FILE file;
    if (!reader.ReadFile(path, file)) {
        return SetError("Can't read file '%s': %s", path, reader.GetError());
    }
    const bool ok = ReadSmf(file, song);
    song.m_info.measures = std::max(song.CountMeasures(), StatedMeasures(song.m_info));
    song.CopyInfoToTracks();
    song.m_info.fileName = path;
    return ok;
}

bool CMidiFile::ReadSmf(const SMF_FILE& file, CSong& song) {
    m_format = file.format;
    FindTempo(file, song);
    for (size_t i = 0; i < file.tracks.size(); ++i) {
        // A format-1 file's first track is the conductor: it feeds the song's
        // tempo, signatures, info and markers and becomes no track.
        const bool conductor = m_format == 1 && i == 0;
        CTrack track;
        track.m_number = static_cast<int>(i) + 1;
        if (!ReadTrack(file.tracks[i], conductor, song, track)) {
            return false;
        }
        if (!conductor && !song.AddTrack(std::move(track))) {
            return SetError("Can't add track to the song: %s", song.GetError());
        }
    }
    return true;
}

// Times come from the tempo map, where every tempo change applies from its
// own tick on, so files with several tempo changes read as they sound. The
// first tempo holds from tick 0: events before it are timed at that tempo
// rather than at the 120 beats per minute a tempo map assumes before its first
// change. A file without a tempo reads at 120 beats per minute. The song's
// tempo is the first tempo's.
void CMidiFile::FindTempo(const SMF_FILE& file, CSong& song) {
    SMF_FILE tempos;
    tempos.division = file.division;
    tempos.tracks.resize(1);
    std::vector<SMF_EVENT>& events = tempos.tracks[0].events;
    const SMF_EVENT* first = nullptr;
    for (const SMF_TRACK& track : file.tracks) {
        for (const SMF_EVENT& event : track.events) {
            if (IsTempo(event) && MicrosOf(event) != 0) {
                events.push_back(event);
                first = first == nullptr || event.tick < first->tick ? &event : first;
            }
        }
    }
    uint32_t micros = Smf::kDefaultMicrosPerQuarter;
    if (first != nullptr) {
        micros = MicrosOf(*first);
        events.insert(events.begin(), MakeSmfTempo(0, micros));
    }
    m_tempoMap = std::make_unique<CSmfTempoMap>(tempos);
    song.m_info.tempo = kMicrosPerMinute / micros;
    song.m_info.secondsPerBeat = micros / kMicrosPerSecond;
}

bool CMidiFile::ReadTrack(const SMF_TRACK& smfTrack, bool conductor, CSong& song, CTrack& track) {
    m_slots.fill(kNoSlot);
    m_outOfOrder = false;
    // Guitar and chord values given in one track do not reach the next.
    m_noteInfo.Reset();
    m_chordType = 0;
    m_chordRoot = NOTE_NONE;
    m_drumTrack = false;
    m_channelSeen = false;
    ReserveNotes(smfTrack, track);
    double lastTime = 0.0;
    // A note's events mostly share one tick; its time is looked up once.
    uint32_t tick = 0;
    double time = m_tempoMap->TicksToSeconds(tick);
    for (const SMF_EVENT& event : smfTrack.events) {
        if (event.tick != tick) {
            tick = event.tick;
            time = m_tempoMap->TicksToSeconds(tick);
        }
        const double length = song.m_info.length;
        if (length != UNSET_TIME && time > length + kLengthSlack) {
            break;  // past the song's end, as the tail each written track has
        }
        m_outOfOrder = m_outOfOrder || time < lastTime;
        lastTime = time;
        if (!ReadEvent(event, time, song, track)) {
            return false;
        }
    }
    if (!conductor) {
        FinishTrack(lastTime, song, track);
    }
    return true;
}

// Room for every note start and every marker that becomes a list entry, so
// the list is allocated once and holds no spare slots. The "<NoteInfo>"
// marker before each note of the program's files makes no entry.
void CMidiFile::ReserveNotes(const SMF_TRACK& smfTrack, CTrack& track) {
    const auto entries =
        std::count_if(smfTrack.events.begin(), smfTrack.events.end(), [](const SMF_EVENT& event) {
            return event.IsNoteStart() ||
                   (event.IsMeta() && event.metaType == Smf::kMetaMarker && MakesEntry(event));
        });
    track.m_notes.SetCapacity(track.m_notes.GetCount() + static_cast<int>(entries));
}

bool CMidiFile::ReadEvent(const SMF_EVENT& event, double time, CSong& song, CTrack& track) {
    if (event.IsMeta()) {
        return ReadMeta(event, time, song, track);
    }
    if (event.IsSysex()) {
        return true;
    }
    if (!event.IsChannel()) {
        return SetError("Unknown MIDI type %02X", event.status);
    }
    return ReadChannelEvent(event, time, track);
}

bool CMidiFile::ReadMeta(const SMF_EVENT& event, double time, CSong& song, CTrack& track) {
    // One buffer serves every event's text, so its capacity is allocated once.
    std::string& text = m_text;
    text.assign(reinterpret_cast<const char*>(event.data.data()), event.data.size());
    // Only a format-1 file's first track names the song; a format-0 file's
    // only track is a song track like any other.
    const bool songInfo = m_format == 1 && track.m_number == 1;
    switch (event.metaType) {
        case Smf::kMetaText:
            track.m_info.text = text.c_str();
            if (songInfo)
                song.m_info.text = text.c_str();
            return true;
        case kMetaCopyright:
            track.m_info.copyright = text.c_str();
            if (songInfo)
                song.m_info.copyright = text.c_str();
            return true;
        case Smf::kMetaTrackName:
            track.m_info.name = text.c_str();
            if (songInfo)
                song.m_info.name = text.c_str();
            return true;
        case kMetaInstrument:
            track.m_instrumentName = text.c_str();
            return true;
        case Smf::kMetaMarker:
            return ReadMarker(text.c_str(), time, song, track);
        case Smf::kMetaTimeSignature:
            if (event.data.size() >= 2 && event.data[1] < kMaxBeatNotePower) {
                song.m_info.measureBeats = event.data[0];
                song.m_info.beatNote = 1 << event.data[1];
            }
            return true;
        case kMetaKeySignature:
            if (event.data.size() >= 2) {
                song.m_info.keySignature = static_cast<int8_t>(event.data[0]);
                song.m_info.scale = event.data[1];  // the program writes the scale id here
            }
            return true;
        default:
            return true;  // tempo is read ahead; the others mean nothing here
    }
}

bool CMidiFile::ReadMarker(const char* text, double time, CSong& song, CTrack& track) {
    const CMidiMarkers::TAG tag = CMidiMarkers::FindTag(text);
    switch (tag) {
        case CMidiMarkers::TAG_SONG_INFO:
            return CMidiMarkers::ReadSongInfo(text, song.m_info, m_error);
        case CMidiMarkers::TAG_PART_INFO: {
            CSongPart part;
            if (!CMidiMarkers::ReadPartInfo(text, part, m_error)) {
                return false;
            }
            // A part of a name the song has stays as it is.
            return song.FindPart(part.m_name) != nullptr || song.AddPart(part) ||
                   SetError("Can't add song part '%s': %s", part.m_name.GetText(), song.GetError());
        }
        case CMidiMarkers::TAG_MIX:
            return CMidiMarkers::ReadMix(text, song.GetMix(), m_error);
        case CMidiMarkers::TAG_NOTE_INFO:
            return CMidiMarkers::ReadNoteInfo(text, m_noteInfo, m_error);
        case CMidiMarkers::TAG_NONE:
            return true;  // another program's marker
        default:
            return ReadEntryMarker(tag, text, time, track);
    }
}

// A chord, song part or measure marker, kept in the list among the notes.
bool CMidiFile::ReadEntryMarker(CMidiMarkers::TAG tag, const char* text, double time,
                                CTrack& track) {
    CNote marker;
    bool ok = false;
    if (tag == CMidiMarkers::TAG_CHORD) {
        ok = CMidiMarkers::ReadChord(text, marker, m_error);
    } else if (tag == CMidiMarkers::TAG_SONG_PART) {
        ok = CMidiMarkers::ReadSongPart(text, marker, m_error);
    } else {
        ok = CMidiMarkers::ReadMeasure(text, marker, m_error);
    }
    if (!ok) {
        return false;
    }
    marker.time = time;
    marker.duration = 0.0;
    marker.volume = 0.0f;
    marker.source = SOURCE_MIDI_FILE;
    marker.thing = static_cast<int16_t>(track.m_thing);
    int slot = kNoSlot;
    if (!AddEntry(marker, track, slot)) {
        return false;
    }
    MoveBeforeOpenNotes(slot, track.m_notes);
    return true;
}

bool CMidiFile::AddEntry(const CNote& entry, CTrack& track, int& slot) {
    return track.m_notes.Add(entry, &slot) ||
           SetError("Can't add %s at %.3f s", entry.IsMarker() ? "a marker" : "a note", entry.time);
}

bool CMidiFile::ReadChannelEvent(const SMF_EVENT& event, double time, CTrack& track) {
    const int channel = event.GetChannel();
    if (!m_channelSeen) {
        track.m_channel = channel;
        m_channelSeen = true;
    }
    if (channel == Smf::kDrumChannel) {
        m_drumTrack = true;
        track.m_thing = THING_DRUM_SET;
    }
    switch (event.GetKind()) {
        case Smf::kNoteOff:
        case Smf::kNoteOn:
            return ReadNote(event, time, track);
        case Smf::kController:
            ReadController(event.data1, event.data2, track);
            return true;
        case Smf::kProgram:
            return ReadProgram(event, track);
        default:
            return true;  // aftertouch and pitch bend are not kept
    }
}

bool CMidiFile::ReadNote(const SMF_EVENT& event, double time, CTrack& track) {
    const int midiNote = event.data1;
    const int velocity = event.data2;
    if (midiNote > kMaxMidiNote && midiNote != NOTE_CODE && midiNote != NOTE_CHORD) {
        return SetError("Bad MIDI note: %d", midiNote);
    }
    if (velocity > kMaxVelocity) {
        return SetError("Bad note velocity: %d", velocity);
    }
    if (m_slots[midiNote] != kNoSlot) {
        CloseNote(midiNote, time, event.GetChannel() == Smf::kDrumChannel, track);
    }
    // A note-off ends a note whatever its velocity and starts none.
    if (event.GetKind() == Smf::kNoteOn && velocity > 0) {
        return StartNote(midiNote, velocity, time, track);
    }
    return true;
}

// A note takes its slot in the list when it starts, so the list stays in
// time order as it is read; its end completes it there.
bool CMidiFile::StartNote(int midiNote, int velocity, double time, CTrack& track) {
    CNote note;
    note.eventKind = EVENT_NOTE_START;
    note.volume = VelocityToVolume(velocity);
    note.time = time;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.interval = static_cast<int16_t>(m_noteInfo.interval);
    note.guitarString = m_noteInfo.guitarString;
    note.fret = m_noteInfo.fret;
    note.finger = m_noteInfo.finger;
    note.mode = static_cast<uint8_t>(m_noteInfo.mode);
    if (m_chordType != 0 || m_chordRoot != NOTE_NONE) {
        note.EditChord([this](CHORD_INFO& chord) {
            chord.chordType = m_chordType;
            chord.root = static_cast<uint8_t>(m_chordRoot);
        });
    }
    return AddEntry(note, track, m_slots[midiNote]);
}

void CMidiFile::CloseNote(int midiNote, double time, bool drum, CTrack& track) {
    const int slot = m_slots[midiNote];
    CNote& note = *track.m_notes.GetAt(slot);
    note.duration = time - note.time;
    note.thing = static_cast<int16_t>(track.m_thing);
    if (drum) {
        // Reading keeps the General MIDI table, so files of other programs
        // read as they sound; a note without a piece gets Thing 0.
        note.thing = static_cast<int16_t>(CGeneralMidi::GetDrumThing(midiNote));
    }
    note.source = SOURCE_MIDI_FILE;
    note.eventKind = EVENT_NONE;
    m_slots[midiNote] = kNoSlot;
    MoveBeforeOpenNotes(slot, track.m_notes);
    m_chordType = 0;
    m_chordRoot = NOTE_NONE;
}

// The entries of one time stand in the order they were completed (notes at
// their end, markers when read), followed by the notes of that time still
// open. A completed entry therefore trades places with the first open note
// of its time, whose slot follows it.
void CMidiFile::MoveBeforeOpenNotes(int slot, CNoteList& notes) {
    const double time = notes.GetAt(slot)->time;
    int first = slot;
    while (first > 0 && IsOpen(*notes.GetAt(first - 1)) && notes.GetAt(first - 1)->time == time) {
        --first;
    }
    if (first == slot) {
        return;
    }
    CNote& open = *notes.GetAt(first);
    std::swap(open, *notes.GetAt(slot));
    m_slots[notes.GetAt(slot)->midiNote] = slot;
}

// Notes that never end are no notes: the entries after them close up.
void CMidiFile::RemoveOpenNotes(CNoteList& notes) {
    int kept = 0;
    for (int i = 0; i < notes.GetCount(); ++i) {
        CNote& entry = *notes.GetAt(i);
        if (IsOpen(entry)) {
            continue;
        }
        if (kept != i) {
            *notes.GetAt(kept) = std::move(entry);
        }
        ++kept;
    }
    notes.Truncate(kept);
    m_slots.fill(kNoSlot);
}

void CMidiFile::ReadController(int controller, int value, CTrack& track) {
    switch (controller) {
        case kControlVolume:
            track.m_volume = static_cast<float>(value) / kMaxDataValue;
            break;
        case kControlPan:
            track.m_pan = static_cast<float>((value - kPanCentre) / kPanCentre);
            break;
        case kControlString:
            m_noteInfo.guitarString = value;
            break;
        case kControlFret:
            m_noteInfo.fret = value;
            break;
        case kControlFinger:
            m_noteInfo.finger = value;
            break;
        case kControlMode:
            m_noteInfo.mode = value;
            break;
        case kControlChordType:
            m_chordType = value;
            break;
        case kControlChordRoot:
            m_chordRoot = value;
            break;
        default:
            break;
    }
}

bool CMidiFile::ReadProgram(const SMF_EVENT& event, CTrack& track) {
    const int program = event.data1;
    if (program >= CGeneralMidi::kProgramCount) {
        return SetError("Bad program number: %d", program);
    }
    track.m_program = program;
    if (event.GetChannel() == Smf::kDrumChannel) {
        track.m_thing = THING_DRUM_SET;
        track.m_instrumentName = "Drum set";
        return true;
    }
    CCharString name;
    CGeneralMidi::GetProgram(program, name, track.m_thing, m_error);
    // An "Instrument" event names the track better than the program does.
    if (track.m_instrumentName.IsEmpty()) {
        track.m_instrumentName = name;
    }
    return true;
}

void CMidiFile::FinishTrack(double lastTime, const CSong& song, CTrack& track) {
    if (m_drumTrack) {
        // Drum hits may lack their ends; they end with the song.
        const double end = song.m_info.length != UNSET_TIME ? song.m_info.length : lastTime;
        for (int i = 0; i < kPendingNotes; ++i) {
            if (m_slots[i] != kNoSlot) {
                const double start = track.m_notes.GetAt(m_slots[i])->time;
                CloseNote(i, std::max(end, start), true, track);
            }
        }
    }
    const bool open =
        std::any_of(m_slots.begin(), m_slots.end(), [](int slot) { return slot != kNoSlot; });
    if (open) {
        RemoveOpenNotes(track.m_notes);
    }
    if (m_outOfOrder) {
        // Only events out of tick order, which no file read from bytes
        // holds unless its ticks overflow, leave the list out of time order.
        track.m_notes.Sort();  // stable: equal times keep their order
    }
    const int count = track.m_notes.GetCount();
    const CNote* last = track.m_notes.GetAt(count - 1);
    if (last != nullptr && last->volume <= 0.0f && !last->IsMarker()) {
        track.m_notes.RemoveAt(count - 1);
    }
}

// ---------------------------------------------------------------- writing

bool CMidiFile::Write(const char* path, const CSong& song) {
    SMF_FILE file;
    if (!MakeSmf(song, file)) {
        return false;
    }
    CSmfWriter writer;
    if (!writer.WriteFile(file, path)) {
        return SetError("Can't write file '%s': %s", path, writer.GetError());
    }
    return true;
}
bool CMidiFile::MakeSmf(const CSong& song, SMF_FILE& file) {
    CMidiSongWriter writer;
    if (!writer.Make(song, file)) {
        return SetError("%s", writer.GetError());
    }
    return true;
}
