#include "songio/MidiSongWriter.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>
#include <utility>

#include "midi/GeneralMidi.h"
#include "midi/MidiCodes.h"
#include "songio/MidiFile.h"
#include "songio/MidiMarkers.h"
#include "songs/SongPart.h"

namespace {

using namespace MidiCodes;

constexpr uint32_t kTempoMask = 0xFFFFFF;
constexpr uint32_t kMaxTick = 0x0FFFFFFF;  // the largest delta a file can hold

// The General MIDI programs of the instruments that have one.
struct THING_PROGRAM {
    int thing;
    int program;
};
constexpr THING_PROGRAM kThingPrograms[] = {
    {THING_DRUM_SET, 0},     {THING_BASS_GUITAR, 33}, {THING_RHYTHM_GUITAR, 27},
    {THING_LEAD_GUITAR, 29}, {THING_SOLO_GUITAR, 30},
};

bool GetThingProgram(int thing, int& program) {
    for (const THING_PROGRAM& entry : kThingPrograms) {
        if (entry.thing == thing) {
            program = entry.program;
            return true;
        }
    }
    return false;
}

// The text up to its first zero, as a text meta event holds it.
std::vector<uint8_t> Bytes(const CCharString& text) {
    const auto bytes = reinterpret_cast<const uint8_t*>(text.GetText());
    return std::vector<uint8_t>(bytes, bytes + std::strlen(text.GetText()));
}

uint8_t LowByte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

uint8_t ClampData(double value) {
    const long rounded = std::lround(value);
    return static_cast<uint8_t>(std::clamp<long>(rounded, 0, kMaxDataValue));
}

uint32_t MicrosPerQuarter(const SONG_INFO& info) {
    const double secondsPerBeat =
        info.secondsPerBeat > 0.0 ? info.secondsPerBeat : CMidiFile::kDefaultSecondsPerBeat;
    return static_cast<uint32_t>(secondsPerBeat * kMicrosPerSecond + 0.5) & kTempoMask;
}

// The percussion keys of the drum pieces, each looked up once: known holds
// a piece's key once found, kUnknownNote before.
constexpr int kUnknownNote = -1;
using DRUM_NOTES = CMidiSongWriter::DRUM_NOTES;
using WRITE_EVENT = CMidiSongWriter::WRITE_EVENT;

bool FindDrumNote(int thing, DRUM_NOTES& known, int& note) {
    if (thing < 0 || thing >= THING_COUNT) {
        return CGeneralMidi::GetDrumNoteOf(thing, note);
    }
    if (known[thing] == kUnknownNote) {
        if (!CGeneralMidi::GetDrumNoteOf(thing, note)) {
            return false;
        }
        known[thing] = note;
    }
    note = known[thing];
    return true;
}

// The start and end of every timed note and every timed marker, as written.
template <typename Visit>
bool ForEachEvent(const CNoteList& notes, Visit visit) {
    for (int i = 0; i < notes.GetCount(); ++i) {
        const CNote& note = *notes.GetAt(i);
        if (note.time == UNSET_TIME) {
            continue;  // a note without a time has no place in a file
        }
        if (!visit({note.time, &note, true})) {
            return false;
        }
        if (!note.IsMarker()) {
            const double duration = note.duration == UNSET_TIME ? 0.0 : note.duration;
            if (!visit({note.time + duration, &note, false})) {
                return false;
            }
        }
    }
    return true;
}

// Visits the events in time order; among equal times the earlier event stays
// first: a note's end comes before the start of the note that follows it.
// A list whose notes each end by the next one's start is in that order
// already and is visited as it stands; any other is sorted first.
template <typename Visit>
bool VisitInTimeOrder(const CNoteList& notes, Visit visit) {
    double last = -DBL_MAX;
    const bool ordered = ForEachEvent(notes, [&last](const WRITE_EVENT& event) {
        const bool inOrder = event.time >= last;
        last = event.time;
        return inOrder;
    });
    if (ordered) {
        return ForEachEvent(notes, visit);
    }
    std::vector<WRITE_EVENT> order;
    order.reserve(static_cast<size_t>(notes.GetCount()) * 2);
    ForEachEvent(notes, [&order](const WRITE_EVENT& event) {
        order.push_back(event);
        return true;
    });
    std::stable_sort(order.begin(), order.end(),
                     [](const WRITE_EVENT& a, const WRITE_EVENT& b) { return a.time < b.time; });
    return std::all_of(order.begin(), order.end(), visit);
}

}  // namespace

bool CMidiSongWriter::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CMidiSongWriter::Make(const CSong& song, SMF_FILE& file) {
    file.format = 1;
    file.division = CMidiFile::kWriteDivision;
    file.tracks.assign(static_cast<size_t>(song.GetTrackCount()) + 1, SMF_TRACK{});
    // Ticks follow from the tempo that is written, so they read back at the
    // times they were written from.
    m_secondsPerTick = MicrosPerQuarter(song.m_info) / kMicrosPerSecond / CMidiFile::kWriteDivision;
    std::vector<int> channels;
    bool ok = GetChannels(song, channels);
    if (ok) {
        MakeConductor(song, file.tracks[0], ok);
    }
    for (int i = 0; ok && i < song.GetTrackCount(); ++i) {
        ok = MakeTrack(*song.GetTrack(i), channels[i], file.tracks[i + 1]);
    }
    return ok;
}

// The drum track plays on channel 9; the others take 0, 1, 2 ... and skip
// 9, so that no instrument plays as drums.
bool CMidiSongWriter::GetChannels(const CSong& song, std::vector<int>& channels) {
    int next = 0;
    for (int i = 0; i < song.GetTrackCount(); ++i) {
        if (song.GetTrack(i)->m_thing == THING_DRUM_SET) {
            channels.push_back(Smf::kDrumChannel);
            continue;
        }
        next += next == Smf::kDrumChannel ? 1 : 0;
        if (next >= CMidiFile::kChannelCount) {
            return SetError(
                "Can't give track %d a MIDI channel: at most %d tracks besides the drums", i,
                CMidiFile::kChannelCount - 1);
        }
        channels.push_back(next++);
    }
    return true;
}

uint32_t CMidiSongWriter::ToTicks(double seconds) const {
    if (!(seconds > 0.0) || m_secondsPerTick <= 0.0) {
        return 0;
    }
    const double ticks = seconds / m_secondsPerTick + 0.5;
    if (ticks >= static_cast<double>(kMaxTick)) {
        return kMaxTick;  // far past any song; keeps the conversion defined
    }
    return static_cast<uint32_t>(ticks);
}

void CMidiSongWriter::MakeConductor(const CSong& song, SMF_TRACK& smfTrack, bool& ok) {
    const SONG_INFO& info = song.m_info;
    std::vector<SMF_EVENT>& events = smfTrack.events;
    if (!info.name.IsEmpty())
        events.push_back(MakeSmfMeta(0, Smf::kMetaTrackName, Bytes(info.name)));
    if (!info.copyright.IsEmpty())
        events.push_back(MakeSmfMeta(0, kMetaCopyright, Bytes(info.copyright)));
    if (!info.text.IsEmpty())
        events.push_back(MakeSmfMeta(0, Smf::kMetaText, Bytes(info.text)));
    // Without a time signature none is written, so none is read back.
    if (info.measureBeats > 0 && info.beatNote > 0) {
        const auto power = static_cast<uint8_t>(std::log(info.beatNote) / std::log(2.0) + 1e-9);
        events.push_back(
            MakeSmfMeta(0, Smf::kMetaTimeSignature, {LowByte(info.measureBeats), power, 0, 0}));
    }
    // The second byte holds the scale id, not the major/minor flag.
    events.push_back(
        MakeSmfMeta(0, kMetaKeySignature, {LowByte(info.keySignature), LowByte(info.scale)}));
    events.push_back(MakeSmfTempo(0, MicrosPerQuarter(info)));
    CCharString text;
    CMidiMarkers::MakeSongInfo(info, text);
    events.push_back(MakeSmfMeta(0, Smf::kMetaMarker, Bytes(text)));
    for (int i = 0; i < song.GetPartCount(); ++i) {
        if (!CMidiMarkers::MakePartInfo(*song.GetPart(i), text, m_error)) {
            ok = false;
            return;
        }
        events.push_back(MakeSmfMeta(0, Smf::kMetaMarker, Bytes(text)));
    }
    if (!CMidiMarkers::MakeMix(song.GetMix(), text, m_error)) {
        ok = false;
        return;
    }
    events.push_back(MakeSmfMeta(0, Smf::kMetaMarker, Bytes(text)));
    events.push_back(MakeSmfMeta(0, Smf::kMetaEndOfTrack));
}

bool CMidiSongWriter::MakeTrack(const CTrack& track, int channel, SMF_TRACK& smfTrack) {
    std::vector<SMF_EVENT>& events = smfTrack.events;
    const auto status = [channel](uint8_t kind) { return static_cast<uint8_t>(kind | channel); };
    if (!track.m_info.name.IsEmpty()) {
        events.push_back(MakeSmfMeta(0, Smf::kMetaTrackName, Bytes(track.m_info.name)));
    }
    if (!track.m_instrumentName.IsEmpty()) {
        events.push_back(MakeSmfMeta(0, kMetaInstrument, Bytes(track.m_instrumentName)));
    }
    // A Thing without a program keeps the program it was read with.
    int program = track.m_program;
    if (GetThingProgram(track.m_thing, program) || program != 0) {
        events.push_back(MakeSmfChannelEvent(0, status(Smf::kProgram), LowByte(program)));
    }
    events.reserve(events.size() + CountEvents(track));
    events.push_back(MakeSmfChannelEvent(0, status(Smf::kController), kControlVolume,
                                         ClampData(track.m_volume * kMaxDataValue)));
    events.push_back(MakeSmfChannelEvent(0, status(Smf::kController), kControlPan,
                                         ClampData(track.m_pan * kPanCentre + kPanCentre)));
    events.push_back(MakeSmfChannelEvent(0, status(Smf::kController), kControlResetAll, 0));
    if (!MakeNotes(track, channel, smfTrack)) {
        return false;
    }
    const uint32_t last = events.back().tick;
    events.push_back(MakeSmfNote(last, channel, 0, 0));
    events.push_back(MakeSmfNote(last + ToTicks(CMidiFile::kTailSeconds), channel, 0, 0));
    events.push_back(MakeSmfMeta(last + ToTicks(CMidiFile::kTailSeconds), Smf::kMetaEndOfTrack));
    return true;
}

// The events MakeTrack writes: the heading ones and the tail at most, a start
// and an end for each note, a "<NoteInfo>" marker and up to four guitar
// controllers before each sounding note, a marker event for each marker.
size_t CMidiSongWriter::CountEvents(const CTrack& track) {
    constexpr size_t kTrackEvents = 9;
    constexpr size_t kGuitarControllers = 4;
    size_t count = kTrackEvents;
    for (int i = 0; i < track.m_notes.GetCount(); ++i) {
        const CNote& note = *track.m_notes.GetAt(i);
        if (note.IsMarker()) {
            ++count;
        } else {
            count += 2 + (note.volume > 0.0f ? 1 + kGuitarControllers : 0);
        }
    }
    return count;
}

bool CMidiSongWriter::MakeNotes(const CTrack& track, int channel, SMF_TRACK& smfTrack) {
    const bool drum = track.m_thing == THING_DRUM_SET;
    DRUM_NOTES drumNotes;
    drumNotes.fill(kUnknownNote);
    return VisitInTimeOrder(track.m_notes, [&](const WRITE_EVENT& event) {
        return MakeEvent(event, channel, drum, drumNotes, smfTrack);
    });
}

bool CMidiSongWriter::MakeEvent(const WRITE_EVENT& event, int channel, bool drum,
                                DRUM_NOTES& drumNotes, SMF_TRACK& smfTrack) {
    // Ticks are rounded from each event's own time, so they never drift.
    const uint32_t tick = ToTicks(event.time);
    const CNote& note = *event.note;
    if (note.IsMarker()) {
        return MakeMarker(note, tick, smfTrack);
    }
    int midiNote = note.midiNote;
    // A drum piece is written as the note it is read back from.
    if (drum && !FindDrumNote(note.thing, drumNotes, midiNote)) {
        return SetError("Can't get drum note for instrument %d", note.thing);
    }
    if (midiNote > kMaxDataValue) {
        return SetError("Can't write MIDI note %d: a file holds notes 0 to 127", midiNote);
    }
    if (!event.start) {
        smfTrack.events.push_back(MakeSmfNote(tick, channel, LowByte(midiNote), 0));
        return true;
    }
    return MakeNoteStart(note, LowByte(midiNote), channel, tick, smfTrack);
}

// A sounding note is preceded by its guitar values: a "<NoteInfo>" marker
// and the controllers of the values that are set.
bool CMidiSongWriter::MakeNoteStart(const CNote& note, uint8_t midiNote, int channel, uint32_t tick,
                                    SMF_TRACK& smfTrack) {
    std::vector<SMF_EVENT>& events = smfTrack.events;
    // Most notes share their volume with the note before.
    if (!(note.volume == m_volume)) {
        m_volume = note.volume;
        m_velocity = CMidiFile::VolumeToVelocity(note.volume);
    }
    const int velocity = m_velocity;
    if (note.volume > 0.0f) {
        std::vector<uint8_t> text;
        CMidiMarkers::MakeNoteInfo(note, text);
        events.push_back(MakeSmfMeta(tick, Smf::kMetaMarker, std::move(text)));
        const auto control = static_cast<uint8_t>(Smf::kController | channel);
        const auto add = [&](int controller, int value) {
            const auto data = static_cast<uint8_t>(LowByte(value) & kMaxDataValue);
            events.push_back(MakeSmfChannelEvent(tick, control, LowByte(controller), data));
        };
        if (note.guitarString != UNSET && note.guitarString != 0)
            add(kControlString, note.guitarString);
        if (note.fret != UNSET)
            add(kControlFret, note.fret);
        if (note.finger != UNSET)
            add(kControlFinger, note.finger);
        if (note.mode != 0)
            add(kControlMode, note.mode);
    }
    events.push_back(MakeSmfNote(tick, channel, midiNote, static_cast<uint8_t>(velocity)));
    return true;
}

bool CMidiSongWriter::MakeMarker(const CNote& marker, uint32_t tick, SMF_TRACK& smfTrack) {
    CCharString text;
    switch (marker.eventKind) {
        case EVENT_CHORD_MARKER:
            if (!CMidiMarkers::MakeChord(marker, text, m_error)) {
                return false;
            }
            break;
        case EVENT_PART_MARKER:
            CMidiMarkers::MakeSongPart(marker, text);
            break;
        default:
            CMidiMarkers::MakeMeasure(marker, text);
            break;
    }
    smfTrack.events.push_back(MakeSmfMeta(tick, Smf::kMetaMarker, Bytes(text)));
    return true;
}
