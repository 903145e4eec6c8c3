#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "songs/Song.h"
#include "songs/SongPart.h"
#include "theory/NoteManager.h"

namespace {

constexpr double kSecondsPerBeat = 0.5;
constexpr int kBeats = 4;
constexpr double kMeasure = kSecondsPerBeat * kBeats;

CNote MakeNote(double time, double duration, int midiNote, int thing) {
    CNote note;
    note.time = time;
    note.duration = duration;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.thing = thing;
    return note;
}

// A new song in 4/4 at two beats a second.
void MakeSong(CSong& song) {
    song.m_info.secondsPerBeat = kSecondsPerBeat;
    song.m_info.measureBeats = kBeats;
    song.m_info.beatNote = 4;
    ASSERT_TRUE(song.AddNewSongTracks());
}

CTrack& Track(CSong& song, int thing) {
    CTrack* track = song.FindTrack(thing);
    EXPECT_NE(track, nullptr) << thing;
    return *track;
}

class CDebugRecorder : public IDebugOutput {
public:
    CDebugRecorder() { Platform::SetDebugOutput(this); }
    ~CDebugRecorder() override { Platform::SetDebugOutput(nullptr); }
    void Write(const char* text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

TEST(SongTest, AFreshSongHasMajorRootedAt48AndAnUnsetLength) {
    const CSong song;
    EXPECT_EQ(song.m_info.scale, 32);
    EXPECT_EQ(song.m_info.scaleRoot, 48);
    EXPECT_EQ(song.m_info.length, UNSET_TIME);
    EXPECT_EQ(song.m_info.repeat, 1);
    EXPECT_EQ(song.GetTrackCount(), 0);
}

TEST(SongTest, ANewSongHasTheFourBandTracksInOrder) {
    CSong song;
    MakeSong(song);
    const int things[] = {39, 38, 36, 1};
    const char* names[] = {"Lead guitar", "Rhythm guitar", "Bass guitar", "Drum set"};
    ASSERT_EQ(song.GetTrackCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(song.GetTrack(i)->m_thing, things[i]);
        EXPECT_STREQ(song.GetTrack(i)->GetName(), names[i]);
        EXPECT_EQ(song.GetTrack(i)->m_info.measureBeats, kBeats);
    }
}

TEST(SongTest, ATrackOutsideTheSongFailsWithTheIndexAndTheCount) {
    CSong song;
    MakeSong(song);
    EXPECT_EQ(song.GetTrack(4), nullptr);
    EXPECT_STREQ(song.GetError(), "Can't get track number 4, 4 tracks in the song");
    EXPECT_EQ(song.GetTrack(-1), nullptr);
    EXPECT_STREQ(song.GetError(), "Can't get track number -1, 4 tracks in the song");
}

TEST(SongTest, TracksOfAThingAreEnabledClearedAndStrippedTogether) {
    CSong song;
    MakeSong(song);
    CTrack& lead = Track(song, THING_LEAD_GUITAR);
    lead.AddNote(MakeNote(0.0, 0.5, 64, THING_LEAD_GUITAR));
    CNote marker = MakeNote(0.0, kMeasure, NOTE_CHORD, THING_LEAD_GUITAR);
    marker.eventKind = EVENT_CHORD_MARKER;
    lead.AddNote(marker);
    song.StripNotes(THING_LEAD_GUITAR);
    ASSERT_EQ(lead.m_notes.GetCount(), 1);
    EXPECT_TRUE(lead.m_notes.GetAt(0)->IsMarker());
    song.ClearNotes(THING_LEAD_GUITAR);
    EXPECT_EQ(lead.m_notes.GetCount(), 0);
    song.EnableTracks(THING_LEAD_GUITAR, false);
    EXPECT_FALSE(lead.m_enabled);
    EXPECT_TRUE(Track(song, THING_BASS_GUITAR).m_enabled);
}

TEST(SongTest, TheLengthTakesDurationsExceptOnTheDrums) {
    CSong song;
    MakeSong(song);
    Track(song, THING_DRUM_SET).AddNote(MakeNote(3.0, 5.0, 38, THING_SNARE_DRUM));
    EXPECT_DOUBLE_EQ(song.GetLength(), 3.0);
    Track(song, THING_BASS_GUITAR).AddNote(MakeNote(2.0, 1.5, 40, THING_BASS_GUITAR));
    EXPECT_DOUBLE_EQ(song.GetLength(), 3.5);
}

TEST(SongTest, AMeasureRemainderCountsOnlyAboveAHundredthOfASecond) {
    CSong song;
    MakeSong(song);
    EXPECT_EQ(song.CountMeasures(), 0);  // no length
    CTrack& bass = Track(song, THING_BASS_GUITAR);
    bass.AddNote(MakeNote(2 * kMeasure, 0.005, 40, THING_BASS_GUITAR));
    EXPECT_EQ(song.CountMeasures(), 2);
    bass.AddNote(MakeNote(2 * kMeasure, 0.02, 40, THING_BASS_GUITAR));
    EXPECT_EQ(song.CountMeasures(), 3);
    song.m_info.secondsPerBeat = 0.0;
    EXPECT_EQ(song.CountMeasures(), 0);
}

TEST(SongTest, CopyingTheInfoKeepsTheTrackNames) {
    CSong song;
    MakeSong(song);
    song.m_info.name = "Blues";
    song.m_info.tempo = 96.0;
    song.CopyInfoToTracks();
    EXPECT_STREQ(song.GetTrack(0)->GetName(), "Lead guitar");
    EXPECT_DOUBLE_EQ(song.GetTrack(0)->m_info.tempo, 96.0);
}

TEST(SongTest, RescalingStretchesTimesAndDurationsToTheNewBeat) {
    CSong song;
    MakeSong(song);
    CTrack& bass = Track(song, THING_BASS_GUITAR);
    bass.AddNote(MakeNote(1.0, 0.5, 40, THING_BASS_GUITAR));
    song.Rescale(kSecondsPerBeat);  // same beat: nothing changes
    EXPECT_DOUBLE_EQ(bass.m_notes.GetAt(0)->time, 1.0);
    song.Rescale(2 * kSecondsPerBeat);
    EXPECT_DOUBLE_EQ(bass.m_notes.GetAt(0)->time, 2.0);
    EXPECT_DOUBLE_EQ(bass.m_notes.GetAt(0)->duration, 1.0);
    EXPECT_DOUBLE_EQ(song.m_info.secondsPerBeat, 2 * kSecondsPerBeat);
}

TEST(SongTest, RescalingASongWithoutABeatOnlySetsTheBeat) {
    CSong song;
    song.AddNewSongTracks();
    Track(song, THING_BASS_GUITAR).AddNote(MakeNote(1.0, 0.5, 40, THING_BASS_GUITAR));
    song.Rescale(kSecondsPerBeat);
    EXPECT_DOUBLE_EQ(song.m_info.secondsPerBeat, kSecondsPerBeat);
    EXPECT_DOUBLE_EQ(Track(song, THING_BASS_GUITAR).m_notes.GetAt(0)->time, 1.0);
}

TEST(SongTest, AppendingPutsTheOtherSongAfterWholeMeasuresTrackByIndex) {
    CSong song;
    MakeSong(song);
    Track(song, THING_BASS_GUITAR).AddNote(MakeNote(0.0, 2.5, 40, THING_BASS_GUITAR));
    CSong other;
    MakeSong(other);
    other.GetTrack(2)->AddNote(MakeNote(0.5, 0.5, 43, THING_BASS_GUITAR));
    other.AddTrack(CTrack());  // no partner: left out
    other.GetTrack(4)->AddNote(MakeNote(0.0, 0.5, 50, THING_KEYBOARD));
    ASSERT_TRUE(song.Append(other));
    EXPECT_EQ(song.GetTrackCount(), 4);
    const CNoteList& notes = song.GetTrack(2)->m_notes;
    ASSERT_EQ(notes.GetCount(), 2);
    EXPECT_DOUBLE_EQ(notes.GetAt(1)->time, 2 * kMeasure + 0.5);
}

TEST(SongTest, ASegmentIsCopiedByThingFromZeroWithTheOtherMix) {
    CSong groove;
    MakeSong(groove);
    CTrack& bass = Track(groove, THING_BASS_GUITAR);
    bass.AddNote(MakeNote(1.5, 0.5, 40, THING_BASS_GUITAR));
    bass.AddNote(MakeNote(2.5, 0.5, 43, THING_BASS_GUITAR));
    bass.AddNote(MakeNote(4.0, 0.5, 45, THING_BASS_GUITAR));  // the end is left out
    groove.GetMix().Set(THING_BASS_GUITAR, 0.5f, 0.25f);
    CSong work;
    work.m_info = groove.m_info;
    CTrack drums;
    drums.m_thing = THING_DRUM_SET;
    work.AddTrack(drums);
    ASSERT_TRUE(work.CopySegment(groove, kMeasure, 2 * kMeasure));
    EXPECT_EQ(work.GetTrackCount(), 4);
    EXPECT_EQ(work.GetTrack(0)->m_thing, THING_DRUM_SET);
    const CNoteList& copied = Track(work, THING_BASS_GUITAR).m_notes;
    ASSERT_EQ(copied.GetCount(), 1);
    EXPECT_DOUBLE_EQ(copied.GetAt(0)->time, 0.5);
    EXPECT_EQ(copied.GetAt(0)->midiNote, 43);
    EXPECT_EQ(work.m_info.measures, 1);
    float volume = 0.0f;
    float pan = 0.0f;
    work.GetMix().Get(THING_BASS_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(volume, 0.5f);
}

TEST(SongTest, AMixAppliedAndRemovedGivesTheVolumesBackWithinTheirRanges) {
    CSong song;
    MakeSong(song);
    CTrack& bass = Track(song, THING_BASS_GUITAR);
    bass.m_volume = 0.5f;
    bass.m_pan = 0.75f;
    bass.AddNote(MakeNote(0.0, 0.5, 40, THING_BASS_GUITAR));
    bass.AddNote(MakeNote(1.0, 0.5, 40, THING_BASS_GUITAR));
    CTrack& drums = Track(song, THING_DRUM_SET);
    drums.AddNote(MakeNote(0.0, 0.1, 38, THING_SNARE_DRUM));
    CMix mix;
    mix.Set(THING_BASS_GUITAR, 0.8f, 0.5f);
    mix.Set(THING_SNARE_DRUM, 0.5f, -0.25f);
    song.ApplyMix(mix);
    EXPECT_FLOAT_EQ(bass.m_notes.GetAt(0)->volume, 0.4f);
    EXPECT_FLOAT_EQ(bass.m_notes.GetAt(0)->pan, 1.0f);  // 0.5 + 0.75 clamped
    EXPECT_FLOAT_EQ(drums.m_notes.GetAt(0)->volume, 0.5f);
    EXPECT_FLOAT_EQ(drums.m_notes.GetAt(0)->pan, -0.25f);
    bass.m_notes.GetAt(1)->volume = 0.6f;  // louder than the mix allows
    song.RemoveMix(mix);
    EXPECT_FLOAT_EQ(bass.m_notes.GetAt(0)->volume, 1.0f);
    EXPECT_FLOAT_EQ(bass.m_notes.GetAt(1)->volume, 1.0f);  // 1.5 clamped
    EXPECT_FLOAT_EQ(drums.m_notes.GetAt(0)->volume, 1.0f);
}

TEST(SongTest, RemovingAMixLeavesSilencedNotesAlone) {
    CSong song;
    MakeSong(song);
    CTrack& bass = Track(song, THING_BASS_GUITAR);
    bass.m_volume = 0.0f;
    bass.AddNote(MakeNote(0.0, 0.5, 40, THING_BASS_GUITAR));
    CMix mix;
    song.ApplyMix(mix);
    song.RemoveMix(mix);
    EXPECT_FLOAT_EQ(bass.m_notes.GetAt(0)->volume, 0.0f);
}

TEST(SongTest, SongPartNamesAreUniqueAndCopiesGoWithTheList) {
    CSong song;
    CSongPart verse;
    verse.m_name = "Verse";
    verse.m_chords.resize(2);
    ASSERT_TRUE(song.AddPart(verse));
    EXPECT_FALSE(song.AddPart(verse));
    EXPECT_EQ(song.GetPartCount(), 1);
    verse.m_name = "Chorus";
    ASSERT_TRUE(song.AddPart(verse));
    ASSERT_NE(song.FindPart("Verse"), nullptr);
    EXPECT_EQ(song.FindPart("Verse")->m_chords.size(), 2u);
    EXPECT_EQ(song.FindPart("Bridge"), nullptr);
    CSong other;
    ASSERT_TRUE(other.CopyParts(song));
    EXPECT_EQ(other.GetPartCount(), 2);
    EXPECT_NE(other.FindPart("Chorus"), song.FindPart("Chorus"));
    song.Clear();
    EXPECT_EQ(song.GetPartCount(), 0);
    EXPECT_EQ(other.GetPartCount(), 2);
}

TEST(SongTest, ChordMarkersOfTheLeadGuitarGetTheirNames) {
    CSong song;
    MakeSong(song);
    CNote marker = MakeNote(0.0, kMeasure, NOTE_CHORD, THING_LEAD_GUITAR);
    marker.eventKind = EVENT_CHORD_MARKER;
    marker.EditChord([&](CHORD_INFO& info) { info.chordType = 1; });
    marker.EditChord([&](CHORD_INFO& info) { info.root = 48; });
    Track(song, THING_LEAD_GUITAR).AddNote(marker);
    song.SetChordNames();
    CCharString expected;
    CNoteManager::GetChordName(1, 48, expected);
    EXPECT_FALSE(expected.IsEmpty());
    EXPECT_EQ(Track(song, THING_LEAD_GUITAR).m_notes.GetAt(0)->GetChord().name, expected);
}

TEST(SongTest, TheDumpWritesTheInfoThenEachTrack) {
    CSong song;
    MakeSong(song);
    song.m_info.name = "Blues";
    song.m_info.tempo = 120.0;
    song.EnableTracks(THING_DRUM_SET, false);
    CDebugRecorder recorder;
    song.Dump();
    const std::vector<std::string>& lines = recorder.lines;
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0], "========================= Song (Blues) =========================");
    EXPECT_EQ(lines[5], "Tempo: 120.00");
    EXPECT_EQ(lines[6], "Note time:   0.50");
    EXPECT_EQ(lines[9], "Time signature: 4 / 4");
    EXPECT_EQ(lines[10], "------- Track 0");
    EXPECT_EQ(lines[11], "Name: Lead guitar");
    EXPECT_EQ(lines[13], "Volume: 1.00");
    EXPECT_EQ(lines[15], "===== Note list (CTrack::Show), 0 notes =====");
    EXPECT_EQ(lines.back(), "### Disabled ###");
}

}  // namespace
