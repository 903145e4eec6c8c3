#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "../TempFolder.h"
#include "midi/SmfFile.h"
#include "songio/MidiFile.h"
#include "songs/Song.h"
#include "songs/SongPart.h"

namespace {

constexpr int kDivision = 1000;
constexpr uint32_t kHalfSecondBeat = 500000;  // 120 beats per minute
constexpr uint32_t kOneSecondBeat = 1000000;  // 60 beats per minute
constexpr double kTimeTolerance = 0.0015;

CNote MakeNote(double time, double duration, int midiNote, float volume) {
    CNote note;
    note.time = time;
    note.duration = duration;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.volume = volume;
    return note;
}

CTrack MakeTrack(int thing, const char* name, const char* instrument) {
    CTrack track;
    track.m_thing = thing;
    track.m_info.name = name;
    track.m_instrumentName = instrument;
    return track;
}

CNote MakeMarker(int kind, double time) {
    CNote marker;
    marker.eventKind = kind;
    marker.time = time;
    marker.duration = 0.0;
    marker.volume = 0.0f;
    return marker;
}

// A lead guitar with guitar values and markers, a bass and a drum set with
// toms, the song info, one song part and a mix.
void MakeSong(CSong& song) {
    SONG_INFO& info = song.m_info;
    info.name = "Round trip";
    info.text = "Some text";
    info.copyright = "Nobody";
    info.description = "A song to write and read";
    info.repeat = 2;
    info.length = 8.0;
    info.secondsPerBeat = 0.5;
    info.tempo = 120.0;
    info.keySignature = -1;
    info.scale = SCALE_MAJOR;
    info.measureBeats = 3;
    info.beatNote = 4;

    CTrack lead = MakeTrack(THING_LEAD_GUITAR, "Lead", "My guitar");
    lead.m_volume = 0.5f;
    lead.m_pan = -0.5f;
    CNote chord = MakeMarker(EVENT_CHORD_MARKER, 0.0);
    chord.EditChord([&](CHORD_INFO& info) { info.root = 60; });
    chord.EditChord([&](CHORD_INFO& info) { info.chordType = 1; });
    chord.EditChord([&](CHORD_INFO& info) { info.chordGroup = 1; });
    chord.EditChord([&](CHORD_INFO& info) { info.number = 1; });
    chord.EditChord([&](CHORD_INFO& info) { info.scale = SCALE_MAJOR; });
    chord.EditChord([&](CHORD_INFO& info) { info.scaleRoot = 48; });
    lead.AddNote(chord);
    CNote part = MakeMarker(EVENT_PART_MARKER, 0.0);
    part.SetText("Verse");
    lead.AddNote(part);
    CNote measure = MakeMarker(EVENT_MEASURE_MARKER, 1.5);
    measure.partMeasure = 2;
    measure.songMeasure = 5;
    lead.AddNote(measure);
    CNote fretted = MakeNote(0.0, 0.5, 64, 0.8f);
    fretted.guitarString = 1;
    fretted.fret = 0;
    fretted.finger = 2;
    fretted.mode = MODE_BARRE;
    fretted.interval = 3;
    lead.AddNote(fretted);
    lead.AddNote(MakeNote(0.5, 0.25, 67, 0.5f));  // no guitar values: none carried over
    lead.AddNote(MakeNote(0.75, 1.0, 72, 1.0f));
    song.AddTrack(lead);

    CTrack bass = MakeTrack(THING_BASS_GUITAR, "Bass", "Bass guitar");
    bass.AddNote(MakeNote(0.0, 1.0, 40, 0.9f));
    bass.AddNote(MakeNote(1.0, 1.0, 43, 0.9f));
    song.AddTrack(bass);

    CTrack drums = MakeTrack(THING_DRUM_SET, "Drums", "Drum set");
    const int pieces[] = {THING_BASS_DRUM_1, THING_SNARE_DRUM,    THING_TOM_1,
                          THING_TOM_1 + 5,   THING_HI_HAT_CLOSED, THING_CRASH_CYMBAL_1};
    double time = 0.0;
    for (const int piece : pieces) {
        CNote hit = MakeNote(time, 0.1, NOTE_NONE, 0.7f);
        hit.thing = piece;
        drums.AddNote(hit);
        time += 0.25;
    }
    song.AddTrack(drums);

    CSongPart songPart;
    songPart.m_name = "Verse";
    songPart.m_description = "The verse";
    songPart.m_repeat = 2;
    songPart.m_grooveStyle = "Rock";
    songPart.m_grooveName = "Straight";
    songPart.m_grooveFile = "rock.mid";
    songPart.m_grooveLength = 2.0;
    SONG_INFO& partInfo = songPart.m_arrangement.m_info;
    partInfo.length = 6.0;
    partInfo.scale = SCALE_MAJOR;
    partInfo.scaleRoot = 50;
    partInfo.tempo = 120.0;
    partInfo.secondsPerBeat = 0.5;
    partInfo.measures = 4;
    partInfo.beatNote = 4;
    partInfo.measureBeats = 3;
    song.AddPart(songPart);

    song.GetMix().Set(THING_LEAD_GUITAR, 0.75f, -0.25f);
    song.GetMix().Set(THING_DRUM_SET, 1.0f, 0.5f);
}

void ExpectSameNotes(const CTrack& written, const CTrack& read) {
    ASSERT_EQ(written.m_notes.GetCount(), read.m_notes.GetCount()) << written.GetName();
    for (int i = 0; i < written.m_notes.GetCount(); ++i) {
        const CNote& a = *written.m_notes.GetAt(i);
        const CNote& b = *read.m_notes.GetAt(i);
        SCOPED_TRACE(std::string(written.GetName()) + " note " + std::to_string(i));
        EXPECT_NEAR(a.time, b.time, kTimeTolerance);
        EXPECT_EQ(a.eventKind, b.eventKind);
        EXPECT_EQ(SOURCE_MIDI_FILE, b.source);
        if (a.IsMarker()) {
            EXPECT_EQ(a.GetText(), b.GetText());
            EXPECT_EQ(a.GetChord(), b.GetChord());
            EXPECT_EQ(a.partMeasure, b.partMeasure);
            EXPECT_EQ(a.songMeasure, b.songMeasure);
            continue;
        }
        EXPECT_NEAR(a.duration, b.duration, kTimeTolerance);
        EXPECT_EQ(CMidiFile::VolumeToVelocity(a.volume), CMidiFile::VolumeToVelocity(b.volume));
        if (written.m_thing == THING_DRUM_SET) {
            EXPECT_EQ(a.thing, b.thing);
        } else {
            EXPECT_EQ(a.midiNote, b.midiNote);
            EXPECT_EQ(written.m_thing, b.thing);
        }
        EXPECT_EQ(a.guitarString, b.guitarString);
        EXPECT_EQ(a.fret, b.fret);
        EXPECT_EQ(a.finger, b.finger);
        EXPECT_EQ(a.mode, b.mode);
        EXPECT_EQ(a.interval, b.interval);
    }
}

void ExpectSameInfo(const SONG_INFO& a, const SONG_INFO& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.copyright, b.copyright);
    EXPECT_EQ(a.description, b.description);
    EXPECT_EQ(a.repeat, b.repeat);
    EXPECT_DOUBLE_EQ(a.length, b.length);
    EXPECT_DOUBLE_EQ(a.secondsPerBeat, b.secondsPerBeat);
    EXPECT_DOUBLE_EQ(a.tempo, b.tempo);
    EXPECT_EQ(a.keySignature, b.keySignature);
    EXPECT_EQ(a.scale, b.scale);
    EXPECT_EQ(a.measureBeats, b.measureBeats);
    EXPECT_EQ(a.beatNote, b.beatNote);
}

SMF_EVENT Text(uint8_t type, const std::string& text) {
    return MakeSmfMeta(0, type, std::vector<uint8_t>(text.begin(), text.end()));
}

SMF_FILE OneTrackFile(std::vector<SMF_EVENT> events) {
    SMF_FILE file;
    file.format = 0;
    file.division = kDivision;
    file.tracks.resize(1);
    file.tracks[0].events = std::move(events);
    return file;
}

}  // namespace

TEST(MidiFile, SongWrittenAndReadBackIsTheSame) {
    CTempFolder folder("midifile");
    const std::string path = folder.Path("song.mid");
    CSong song;
    MakeSong(song);
    CMidiFile writer;
    ASSERT_TRUE(writer.Write(path.c_str(), song)) << writer.GetError();

    CSong read;
    CMidiFile reader;
    ASSERT_TRUE(reader.Read(path.c_str(), read)) << reader.GetError();
    ExpectSameInfo(song.m_info, read.m_info);
    EXPECT_EQ(path, read.m_info.fileName.Str());
    // The notes fill 2 measures of 1.5 s; the stated 8 s hold 5 whole ones,
    // the last 3 empty, as a groove's added measures are.
    EXPECT_EQ(song.CountMeasures(), 2);
    EXPECT_EQ(read.m_info.measures, 5);
    ASSERT_EQ(song.GetTrackCount(), read.GetTrackCount());
    for (int i = 0; i < song.GetTrackCount(); ++i) {
        const CTrack& a = *song.GetTrack(i);
        const CTrack& b = *read.GetTrack(i);
        EXPECT_EQ(a.m_info.name, b.m_info.name);
        EXPECT_EQ(a.m_thing, b.m_thing);
        EXPECT_EQ(a.m_instrumentName, b.m_instrumentName);
        EXPECT_NEAR(a.m_volume, b.m_volume, 1.0 / 127);
        EXPECT_NEAR(a.m_pan, b.m_pan, 1.0 / 63.5);
        EXPECT_EQ(read.m_info.description, b.m_info.description);  // the song info copied
        ExpectSameNotes(a, b);
    }
    ASSERT_EQ(1, read.GetPartCount());
    const CSongPart& a = *song.GetPart(0);
    const CSongPart& b = *read.GetPart(0);
    EXPECT_EQ(a.m_name, b.m_name);
    EXPECT_EQ(a.m_description, b.m_description);
    EXPECT_EQ(a.m_repeat, b.m_repeat);
    EXPECT_EQ(a.m_grooveStyle, b.m_grooveStyle);
    EXPECT_EQ(a.m_grooveName, b.m_grooveName);
    EXPECT_EQ(a.m_grooveFile, b.m_grooveFile);
    EXPECT_DOUBLE_EQ(a.m_grooveLength, b.m_grooveLength);
    const SONG_INFO& ai = a.m_arrangement.m_info;
    const SONG_INFO& bi = b.m_arrangement.m_info;
    EXPECT_DOUBLE_EQ(ai.length, bi.length);
    EXPECT_EQ(ai.scale, bi.scale);
    EXPECT_EQ(ai.scaleRoot, bi.scaleRoot);
    EXPECT_DOUBLE_EQ(ai.tempo, bi.tempo);
    EXPECT_DOUBLE_EQ(ai.secondsPerBeat, bi.secondsPerBeat);
    EXPECT_EQ(ai.measures, bi.measures);
    EXPECT_EQ(ai.beatNote, bi.beatNote);
    EXPECT_EQ(ai.measureBeats, bi.measureBeats);
    float volume = 0.0f, pan = 0.0f;
    read.GetMix().Get(THING_LEAD_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(0.75f, volume);
    EXPECT_FLOAT_EQ(-0.25f, pan);
    read.GetMix().Get(THING_DRUM_SET, volume, pan);
    EXPECT_FLOAT_EQ(1.0f, volume);
    EXPECT_FLOAT_EQ(0.5f, pan);
}

TEST(MidiFile, TomsReadBackAsTheTomsWritten) {
    CSong song;
    song.m_info.secondsPerBeat = 0.5;
    CTrack drums = MakeTrack(THING_DRUM_SET, "Drums", "Drum set");
    for (int tom = 0; tom < 6; ++tom) {
        CNote hit = MakeNote(tom * 0.5, 0.1, NOTE_NONE, 1.0f);
        hit.thing = THING_TOM_1 + tom;
        drums.AddNote(hit);
    }
    song.AddTrack(drums);
    CMidiFile midi;
    SMF_FILE file;
    ASSERT_TRUE(midi.MakeSmf(song, file)) << midi.GetError();
    CSong read;
    ASSERT_TRUE(midi.ReadSmf(file, read)) << midi.GetError();
    ASSERT_EQ(1, read.GetTrackCount());
    ExpectSameNotes(*song.GetTrack(0), *read.GetTrack(0));
}

TEST(MidiFile, NoteOffWithVelocityEndsTheNoteAndStartsNone) {
    const SMF_FILE file =
        OneTrackFile({MakeSmfNote(0, 0, 60, 100), MakeSmfChannelEvent(1000, Smf::kNoteOff, 60, 64),
                      MakeSmfNote(3000, 0, 62, 100), MakeSmfNote(4000, 0, 62, 0)});
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    const CNoteList& notes = song.GetTrack(0)->m_notes;
    ASSERT_EQ(2, notes.GetCount());
    EXPECT_EQ(60, notes.GetAt(0)->midiNote);
    EXPECT_DOUBLE_EQ(0.5, notes.GetAt(0)->duration);
    EXPECT_EQ(62, notes.GetAt(1)->midiNote);
}

TEST(MidiFile, FormatZeroTrackIsASongTrackAndDoesNotNameTheSong) {
    const SMF_FILE file =
        OneTrackFile({Text(Smf::kMetaTrackName, "Piano"), MakeSmfTempo(0, kHalfSecondBeat),
                      MakeSmfNote(0, 0, 60, 100), MakeSmfNote(500, 0, 60, 0)});
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    ASSERT_EQ(1, song.GetTrackCount());
    EXPECT_STREQ("Piano", song.GetTrack(0)->GetName());
    EXPECT_STREQ("", song.m_info.name);
    EXPECT_EQ(1, song.GetTrack(0)->m_notes.GetCount());
}

// The first tempo holds from the start: an event before it is timed at the
// first tempo, not at time 0 and not at the 120 beats per minute assumed
// before any tempo.
TEST(MidiFile, EventsBeforeTheFirstTempoAreTimedAtTheFirstTempo) {
    const SMF_FILE file =
        OneTrackFile({MakeSmfNote(500, 0, 64, 100), MakeSmfNote(1000, 0, 64, 0),
                      MakeSmfTempo(1000, kOneSecondBeat), MakeSmfNote(1000, 0, 62, 100),
                      MakeSmfNote(2000, 0, 62, 0)});
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    EXPECT_DOUBLE_EQ(60.0, song.m_info.tempo);
    const CNoteList& notes = song.GetTrack(0)->m_notes;
    ASSERT_EQ(2, notes.GetCount());
    EXPECT_DOUBLE_EQ(0.5, notes.GetAt(0)->time);
    EXPECT_DOUBLE_EQ(0.5, notes.GetAt(0)->duration);
    EXPECT_DOUBLE_EQ(1.0, notes.GetAt(1)->time);
    EXPECT_DOUBLE_EQ(1.0, notes.GetAt(1)->duration);
}

TEST(MidiFile, TwoTempoChangesGiveTheSecondsTheySound) {
    SMF_FILE file;
    file.format = 1;
    file.division = kDivision;
    file.tracks.resize(2);
    file.tracks[0].events = {MakeSmfTempo(0, kHalfSecondBeat), MakeSmfTempo(2000, kOneSecondBeat)};
    file.tracks[1].events = {MakeSmfNote(1000, 0, 60, 100), MakeSmfNote(2000, 0, 60, 0),
                             MakeSmfNote(3000, 0, 62, 100), MakeSmfNote(4000, 0, 62, 0)};
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    EXPECT_DOUBLE_EQ(120.0, song.m_info.tempo);
    EXPECT_DOUBLE_EQ(0.5, song.m_info.secondsPerBeat);
    ASSERT_EQ(1, song.GetTrackCount());
    const CNoteList& notes = song.GetTrack(0)->m_notes;
    ASSERT_EQ(2, notes.GetCount());
    EXPECT_DOUBLE_EQ(0.5, notes.GetAt(0)->time);
    EXPECT_DOUBLE_EQ(0.5, notes.GetAt(0)->duration);
    EXPECT_DOUBLE_EQ(2.0, notes.GetAt(1)->time);
    EXPECT_DOUBLE_EQ(1.0, notes.GetAt(1)->duration);
}

TEST(MidiFile, SongLengthEndsTheTrackJustPastIt) {
    // At 0.5 s a beat, 2000 ticks a second: 8010 is 4.005 s, 8040 is 4.02 s.
    SMF_FILE file;
    file.format = 1;
    file.division = kDivision;
    file.tracks.resize(2);
    file.tracks[0].events = {
        MakeSmfTempo(0, kHalfSecondBeat),
        Text(Smf::kMetaMarker, "<SongInfo>Description=|Repeat=1|SongLength=4.000|")};
    file.tracks[1].events = {MakeSmfNote(0, 0, 60, 100), MakeSmfNote(8010, 0, 60, 0),
                             MakeSmfNote(8010, 0, 62, 100), MakeSmfNote(8040, 0, 62, 0)};
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    EXPECT_DOUBLE_EQ(4.0, song.m_info.length);
    const CNoteList& notes = song.GetTrack(0)->m_notes;
    ASSERT_EQ(1, notes.GetCount());  // the note ending at 4.02 s is dropped
    EXPECT_DOUBLE_EQ(4.005, notes.GetAt(0)->duration);
}

TEST(MidiFile, NotesUpTo200ReadAnd201Fails) {
    SMF_FILE file = OneTrackFile({MakeSmfNote(0, 0, 128, 100), MakeSmfNote(1000, 0, 128, 0),
                                  MakeSmfNote(1000, 0, 200, 100), MakeSmfNote(2000, 0, 200, 0)});
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    const CNoteList& notes = song.GetTrack(0)->m_notes;
    ASSERT_EQ(2, notes.GetCount());
    EXPECT_EQ(128, notes.GetAt(0)->midiNote);
    EXPECT_EQ(200, notes.GetAt(1)->midiNote);

    file.tracks[0].events.push_back(MakeSmfNote(2000, 0, 201, 100));
    CSong bad;
    EXPECT_FALSE(midi.ReadSmf(file, bad));
    EXPECT_STREQ("Bad MIDI note: 201", midi.GetError());
}

TEST(MidiFile, ElevenInstrumentsWithoutDrumsLeaveTheDrumChannelAlone) {
    CSong song;
    song.m_info.secondsPerBeat = 0.5;
    for (int i = 0; i < 11; ++i) {
        CTrack track = MakeTrack(THING_KEYBOARD, "Keys", "");
        track.AddNote(MakeNote(0.0, 0.5, 60, 1.0f));
        song.AddTrack(track);
    }
    CMidiFile midi;
    SMF_FILE file;
    ASSERT_TRUE(midi.MakeSmf(song, file)) << midi.GetError();
    std::set<int> channels;
    for (const SMF_TRACK& track : file.tracks) {
        for (const SMF_EVENT& event : track.events) {
            if (event.IsChannel()) {
                channels.insert(event.GetChannel());
            }
        }
    }
    EXPECT_EQ(0u, channels.count(Smf::kDrumChannel));
    EXPECT_EQ(11u, channels.size());

    CSong read;
    ASSERT_TRUE(midi.ReadSmf(file, read)) << midi.GetError();
    for (int i = 0; i < read.GetTrackCount(); ++i) {
        EXPECT_NE(THING_DRUM_SET, read.GetTrack(i)->m_thing);
    }
}

TEST(MidiFile, MoreThanFifteenInstrumentsBesidesTheDrumsFail) {
    CSong song;
    for (int i = 0; i < 16; ++i) {
        song.AddTrack(MakeTrack(THING_KEYBOARD, "Keys", ""));
    }
    song.AddTrack(MakeTrack(THING_DRUM_SET, "Drums", ""));
    CMidiFile midi;
    SMF_FILE file;
    EXPECT_FALSE(midi.MakeSmf(song, file));
    EXPECT_EQ(0, std::string(midi.GetError()).rfind("Can't", 0));
}

TEST(MidiFile, VelocityAndVolumeRoundTrip) {
    for (int velocity = 0; velocity <= 127; ++velocity) {
        EXPECT_EQ(velocity, CMidiFile::VolumeToVelocity(CMidiFile::VelocityToVolume(velocity)));
    }
    EXPECT_EQ(0, CMidiFile::VolumeToVelocity(0.0f));
    EXPECT_EQ(1, CMidiFile::VolumeToVelocity(0.0001f));  // quiet, but still a note
    EXPECT_EQ(127, CMidiFile::VolumeToVelocity(1.5f));
    EXPECT_EQ(114, CMidiFile::VolumeToVelocity(0.5f));  // half the volume, a tenth less
    EXPECT_FLOAT_EQ(1.0f, CMidiFile::VelocityToVolume(127));
    EXPECT_FLOAT_EQ(0.0f, CMidiFile::VelocityToVolume(0));
}

TEST(MidiFile, ThousandsOfOverlappingNotesReadInOrder) {
    constexpr int kNotes = 5000;
    constexpr uint32_t kStep = 10;
    std::vector<SMF_EVENT> events{MakeSmfTempo(0, kHalfSecondBeat)};
    std::vector<SMF_EVENT> ends;
    for (int i = 0; i < kNotes; ++i) {
        const auto pitch = static_cast<uint8_t>(40 + i % 40);
        const uint32_t start = i * kStep;
        events.push_back(MakeSmfNote(start, 0, pitch, 100));
        ends.push_back(MakeSmfNote(start + 5 + (i % 7) * 30, 0, pitch, 0));
    }
    events.insert(events.end(), ends.begin(), ends.end());
    std::stable_sort(events.begin(), events.end(),
                     [](const SMF_EVENT& a, const SMF_EVENT& b) { return a.tick < b.tick; });
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(OneTrackFile(events), song)) << midi.GetError();
    const CNoteList& notes = song.GetTrack(0)->m_notes;
    ASSERT_EQ(kNotes, notes.GetCount());
    for (int i = 0; i < kNotes; ++i) {
        ASSERT_NEAR(i * kStep * 0.0005, notes.GetAt(i)->time, 1e-9) << i;
        ASSERT_EQ(40 + i % 40, notes.GetAt(i)->midiNote) << i;
    }
}

TEST(MidiFile, MissingFileFailsWithItsPath) {
    CSong song;
    CMidiFile midi;
    EXPECT_FALSE(midi.Read("/nonexistent/song.mid", song));
    EXPECT_EQ(0, std::string(midi.GetError()).rfind("Can't read file '/nonexistent/song.mid': ", 0))
        << midi.GetError();
}

TEST(MidiFile, MarkerWithAnUnknownKeyFailsTheRead) {
    const SMF_FILE file = OneTrackFile({Text(Smf::kMetaMarker, "<Measure>PartMeasure=1|Beat=2|")});
    CSong song;
    CMidiFile midi;
    EXPECT_FALSE(midi.ReadSmf(file, song));
    EXPECT_NE(nullptr, std::strstr(midi.GetError(), "Beat="));
}

TEST(MidiFile, ControllerGuitarValuesStayInTheirTrack) {
    SMF_FILE file;
    file.format = 1;
    file.division = kDivision;
    file.tracks.resize(3);
    file.tracks[0].events = {MakeSmfTempo(0, kHalfSecondBeat)};
    file.tracks[1].events = {MakeSmfChannelEvent(0, Smf::kController, 16, 3),
                             MakeSmfChannelEvent(0, Smf::kController, 17, 5),
                             MakeSmfNote(0, 0, 60, 100), MakeSmfNote(500, 0, 60, 0)};
    file.tracks[2].events = {MakeSmfNote(0, 1, 62, 100), MakeSmfNote(500, 1, 62, 0)};
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    ASSERT_EQ(2, song.GetTrackCount());
    EXPECT_EQ(3, song.GetTrack(0)->m_notes.GetAt(0)->guitarString);
    EXPECT_EQ(5, song.GetTrack(0)->m_notes.GetAt(0)->fret);
    EXPECT_EQ(UNSET, song.GetTrack(1)->m_notes.GetAt(0)->guitarString);
    EXPECT_EQ(UNSET, song.GetTrack(1)->m_notes.GetAt(0)->fret);
}

TEST(MidiFile, ABarInANameIsWrittenSoThatTheSongStillReads) {
    CTempFolder folder("midifile-bar");
    const std::string path = folder.Path("bar.mid");
    CSong song;
    MakeSong(song);
    song.GetPart(0)->m_name = "Verse|2";
    song.GetPart(0)->m_description = "loud|soft";
    song.m_info.description = "a|b";
    CMidiFile writer;
    ASSERT_TRUE(writer.Write(path.c_str(), song)) << writer.GetError();
    CSong read;
    CMidiFile reader;
    ASSERT_TRUE(reader.Read(path.c_str(), read)) << reader.GetError();
    ASSERT_EQ(read.GetPartCount(), 1);
    EXPECT_STREQ(read.GetPart(0)->m_name, "Verse/2");
    EXPECT_STREQ(read.GetPart(0)->m_description, "loud/soft");
    EXPECT_STREQ(read.m_info.description, "a/b");
}
