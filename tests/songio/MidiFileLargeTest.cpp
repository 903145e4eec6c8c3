#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../TempFolder.h"
#include "midi/SmfFile.h"
#include "songio/MidiFile.h"
#include "songs/Song.h"

// A song of 100,000 notes written as a MIDI file and read back: a lead
// guitar whose notes carry guitar values and a drum set, made as the MIDI
// file benchmark makes them. Every field the writer writes reads back.
namespace {

constexpr int kNotes = 100000;
constexpr int kDrumEvery = 4;        // one drum hit per four notes
constexpr double kNoteStep = 0.125;  // a sixteenth note at 120 beats per minute
constexpr double kTimeTolerance = 1e-6;

CNote MakeLeadNote(int i) {
    CNote note;
    note.time = i * kNoteStep;
    note.duration = kNoteStep;
    note.volume = 0.25f + 0.75f * static_cast<float>(i % 5) / 4.0f;
    note.midiNote = static_cast<uint8_t>(52 + i % 24);
    note.guitarString = 1 + i % 6;
    note.fret = i % 12;
    note.finger = 1 + i % 4;
    note.mode = static_cast<uint8_t>(i % 3 == 0 ? MODE_BARRE | MODE_UP : i % 3);
    note.interval = static_cast<int16_t>(i % 7);
    return note;
}

CNote MakeDrumHit(int i) {
    CNote note;
    note.time = i * kNoteStep;
    note.duration = kNoteStep / 2;
    note.volume = 0.8f;
    note.thing = i % 8 == 0 ? THING_BASS_DRUM_1 : THING_SNARE_DRUM;
    return note;
}

void MakeSong(CSong& song) {
    song.m_info.secondsPerBeat = 0.5;
    song.m_info.tempo = 120.0;
    CTrack lead;
    lead.m_thing = THING_LEAD_GUITAR;
    lead.m_info.name = "Lead";
    CTrack drums;
    drums.m_thing = THING_DRUM_SET;
    drums.m_info.name = "Drums";
    lead.m_notes.SetCapacity(kNotes - kNotes / kDrumEvery);
    drums.m_notes.SetCapacity(kNotes / kDrumEvery);
    for (int i = 0; i < kNotes; ++i) {
        if (i % kDrumEvery == 0) {
            drums.m_notes.Add(MakeDrumHit(i));
        } else {
            lead.m_notes.Add(MakeLeadNote(i));
        }
    }
    song.AddTrack(std::move(lead));
    song.AddTrack(std::move(drums));
}

// The first field of read that differs from written, or empty.
std::string FirstDifference(const CNote& written, const CNote& read) {
    const float volume = CMidiFile::VelocityToVolume(CMidiFile::VolumeToVelocity(written.volume));
    if (std::fabs(written.time - read.time) > kTimeTolerance)
        return "time";
    if (std::fabs(written.duration - read.duration) > kTimeTolerance)
        return "duration";
    if (volume != read.volume)
        return "volume";
    if (written.IsDrum() != read.IsDrum() || (written.IsDrum() && written.thing != read.thing))
        return "thing";
    if (!written.IsDrum() && written.midiNote != read.midiNote)
        return "midiNote";
    if (written.guitarString != read.guitarString)
        return "guitarString";
    if (written.fret != read.fret)
        return "fret";
    if (written.finger != read.finger)
        return "finger";
    if (written.mode != read.mode)
        return "mode";
    if (written.interval != read.interval)
        return "interval";
    if (read.source != SOURCE_MIDI_FILE || read.eventKind != EVENT_NONE)
        return "source or event kind";
    return "";
}

}  // namespace

TEST(MidiFileLarge, HundredThousandNotesReadBackFieldForField) {
    CTempFolder folder("midifile-large");
    const std::string path = folder.Path("large.mid");
    CSong song;
    MakeSong(song);
    CMidiFile writer;
    ASSERT_TRUE(writer.Write(path.c_str(), song)) << writer.GetError();

    CSong read;
    CMidiFile reader;
    ASSERT_TRUE(reader.Read(path.c_str(), read)) << reader.GetError();
    ASSERT_EQ(song.GetTrackCount(), read.GetTrackCount());
    int compared = 0;
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        const CNoteList& written = song.GetTrack(t)->m_notes;
        const CNoteList& back = read.GetTrack(t)->m_notes;
        EXPECT_EQ(song.GetTrack(t)->m_thing, read.GetTrack(t)->m_thing);
        ASSERT_EQ(written.GetCount(), back.GetCount()) << "track " << t;
        for (int i = 0; i < written.GetCount(); ++i, ++compared) {
            const std::string field = FirstDifference(*written.GetAt(i), *back.GetAt(i));
            ASSERT_EQ("", field) << "track " << t << ", note " << i;
        }
    }
    EXPECT_EQ(kNotes, compared);
}

// Notes that sound over later ones make a track whose events must be put in
// time order before they are written.
TEST(MidiFileLarge, OverlappingNotesAreWrittenInTimeOrderAndReadBack) {
    CSong song;
    song.m_info.secondsPerBeat = 0.5;
    CTrack keys;
    keys.m_thing = THING_KEYBOARD;
    const double starts[] = {0.0, 0.5, 1.0, 1.0, 3.0};
    const double durations[] = {2.0, 0.5, 0.25, 2.5, 0.5};
    for (int i = 0; i < 5; ++i) {
        CNote note;
        note.time = starts[i];
        note.duration = durations[i];
        note.midiNote = static_cast<uint8_t>(60 + i);
        keys.m_notes.Add(note);
    }
    song.AddTrack(std::move(keys));
    CMidiFile midi;
    SMF_FILE file;
    ASSERT_TRUE(midi.MakeSmf(song, file)) << midi.GetError();
    ASSERT_EQ(2u, file.tracks.size());
    const std::vector<SMF_EVENT>& events = file.tracks[1].events;
    for (size_t i = 1; i < events.size(); ++i) {
        ASSERT_LE(events[i - 1].tick, events[i].tick) << i;
    }
    CSong read;
    ASSERT_TRUE(midi.ReadSmf(file, read)) << midi.GetError();
    const CNoteList& notes = read.GetTrack(0)->m_notes;
    ASSERT_EQ(5, notes.GetCount());
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(starts[i], notes.GetAt(i)->time, kTimeTolerance) << i;
        EXPECT_NEAR(durations[i], notes.GetAt(i)->duration, kTimeTolerance) << i;
        EXPECT_EQ(60 + i, notes.GetAt(i)->midiNote) << i;
    }
}
