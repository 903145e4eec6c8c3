#include <gtest/gtest.h>

#include <vector>

#include "songs/SongPart.h"
#include "theory/NoteManager.h"

namespace {

constexpr double kSecondsPerBeat = 0.5;
constexpr int kBeats = 4;
constexpr double kMeasure = kSecondsPerBeat * kBeats;
constexpr int kC3 = 48;

CNote MakeNote(double time, int midiNote, int thing) {
    CNote note;
    note.time = time;
    note.duration = kSecondsPerBeat;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.thing = thing;
    return note;
}

CChord MakeChord(int root, int degree, int repeat) {
    CChord chord;
    chord.m_root.midiNote = static_cast<uint8_t>(root);
    chord.m_root.EditChord([&](CHORD_INFO& info) { info.root = static_cast<uint8_t>(root); });
    chord.m_root.EditChord([&](CHORD_INFO& info) { info.chordType = 1; });
    chord.m_root.EditChord([&](CHORD_INFO& info) { info.number = degree; });
    chord.m_repeat = repeat;
    return chord;
}

class SongPartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Init());
        m_part.m_name = "Verse";
        SONG_INFO& info = m_part.m_arrangement.m_info;
        info.secondsPerBeat = kSecondsPerBeat;
        info.measureBeats = kBeats;
        info.beatNote = 4;
        info.tempo = 120.0;
        SONG_INFO& groove = m_part.m_groove.m_info;
        groove.secondsPerBeat = kSecondsPerBeat;
        groove.measureBeats = kBeats;
        groove.beatNote = 4;
        ASSERT_TRUE(m_part.m_groove.AddNewSongTracks());
    }

    // One bass note of the given pitch on the first beat of each measure.
    void AddBassLine(const std::vector<int>& midiNotes) {
        CTrack& bass = *m_part.m_groove.FindTrack(THING_BASS_GUITAR);
        for (size_t m = 0; m < midiNotes.size(); ++m) {
            bass.AddNote(MakeNote(m * kMeasure, midiNotes[m], THING_BASS_GUITAR));
        }
        m_part.m_groove.m_info.measures = static_cast<int>(midiNotes.size());
    }

    std::vector<const CNote*> Markers(int eventKind) {
        std::vector<const CNote*> found;
        const CNoteList& notes = Lead().m_notes;
        for (int i = 0; i < notes.GetCount(); ++i) {
            if (notes.GetAt(i)->eventKind == eventKind) {
                found.push_back(notes.GetAt(i));
            }
        }
        return found;
    }

    CTrack& Lead() { return *m_part.m_arrangement.FindTrack(THING_LEAD_GUITAR); }
    CTrack& Bass() { return *m_part.m_arrangement.FindTrack(THING_BASS_GUITAR); }

    CNoteManager m_manager;
    CSongPart m_part;
};

TEST_F(SongPartTest, TwoChordsOfRepeatTwoOverAOneMeasureGrooveGiveFourMarkedMeasures) {
    AddBassLine({kC3});
    m_part.m_chords = {MakeChord(kC3, 1, 2), MakeChord(kC3 + 7, 5, 2)};
    ASSERT_TRUE(m_part.Build(m_manager, true)) << m_part.GetError();
    const SONG_INFO& info = m_part.m_arrangement.m_info;
    EXPECT_EQ(info.measures, 4);
    EXPECT_DOUBLE_EQ(info.length, 4 * kMeasure);
    const std::vector<const CNote*> measures = Markers(EVENT_MEASURE_MARKER);
    ASSERT_EQ(measures.size(), 4u);
    for (int m = 0; m < 4; ++m) {
        EXPECT_EQ(measures[m]->partMeasure, m + 1);
        EXPECT_DOUBLE_EQ(measures[m]->time, m * kMeasure);
    }
    const std::vector<const CNote*> chords = Markers(EVENT_CHORD_MARKER);
    ASSERT_EQ(chords.size(), 4u);
    EXPECT_EQ(chords[1]->GetChord().number, 1);
    EXPECT_EQ(chords[2]->GetChord().number, 5);
    EXPECT_EQ(chords[2]->GetChord().position, 2);
    EXPECT_FLOAT_EQ(chords[0]->volume, 0.0f);
    const std::vector<const CNote*> parts = Markers(EVENT_PART_MARKER);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_STREQ(parts[0]->GetMarkerText(), "Verse");
    EXPECT_EQ(Bass().m_notes.GetCount(), 4);
    EXPECT_EQ(Bass().m_info.measures, 4);
}

TEST_F(SongPartTest, AThreeMeasureGrooveUnderFiveChordMeasuresStartsAgainAfterThree) {
    // Groove measures 1, 2, 3 play C, D and E: the fitted notes tell them apart.
    AddBassLine({kC3, kC3 + 2, kC3 + 4});
    m_part.m_chords = {MakeChord(kC3, 1, 5)};
    ASSERT_TRUE(m_part.Build(m_manager, false)) << m_part.GetError();
    EXPECT_EQ(m_part.m_arrangement.m_info.measures, 5);
    const CNoteList& bass = Bass().m_notes;
    const int expected[] = {kC3, kC3 + 2, kC3 + 4, kC3, kC3 + 2};
    ASSERT_EQ(bass.GetCount(), 5);
    for (int m = 0; m < 5; ++m) {
        EXPECT_EQ(bass.GetAt(m)->midiNote, expected[m]) << "measure " << m + 1;
        EXPECT_DOUBLE_EQ(bass.GetAt(m)->time, m * kMeasure);
    }
    EXPECT_TRUE(Markers(EVENT_MEASURE_MARKER).empty());
}

TEST_F(SongPartTest, TheBassLineFollowsTheChordDegreeAtOrAboveItsRoot) {
    // Root and fifth of the groove become the root and fifth of the V chord.
    AddBassLine({36, 43});
    m_part.m_chords = {MakeChord(43, 5, 2)};
    ASSERT_TRUE(m_part.Build(m_manager, false)) << m_part.GetError();
    const CNoteList& bass = Bass().m_notes;
    ASSERT_EQ(bass.GetCount(), 2);
    EXPECT_EQ(bass.GetAt(0)->midiNote, 43);  // G
    EXPECT_EQ(bass.GetAt(1)->midiNote, 50);  // D above it
}

TEST_F(SongPartTest, ABassNoteBelowTheLowString28IsRaisedByOctaves) {
    AddBassLine({kC3});
    m_part.m_chords = {MakeChord(4, 3, 1)};  // E far below the bass
    ASSERT_TRUE(m_part.Build(m_manager, false)) << m_part.GetError();
    const CNote& note = *Bass().m_notes.GetAt(0);
    EXPECT_EQ(note.midiNote, 28);
    EXPECT_EQ(note.guitarString, 4);
    EXPECT_EQ(note.fret, 0);
}

TEST_F(SongPartTest, ABassNoteWithoutItsDegreeInTheScaleFailsTheBuild) {
    AddBassLine({kC3 + 3});  // D sharp: degree 2 and one semitone
    m_part.m_chords = {MakeChord(kC3 + 2, 2, 1)};
    EXPECT_FALSE(m_part.Build(m_manager, false));
    EXPECT_STREQ(m_part.GetError(), "Can't find interval");
}

TEST_F(SongPartTest, ASongPartWithoutChordsIsLeftAsItIs) {
    AddBassLine({kC3});
    ASSERT_TRUE(m_part.Build(m_manager, true));
    EXPECT_EQ(m_part.m_arrangement.GetTrackCount(), 0);
}

TEST_F(SongPartTest, AGrooveWithoutMeasuresFailsTheBuild) {
    m_part.m_chords = {MakeChord(kC3, 1, 1)};
    EXPECT_FALSE(m_part.Build(m_manager, false));
}

TEST_F(SongPartTest, TheLeadMelodyOutlivesARebuildAndItsMarkersAreNotDoubled) {
    AddBassLine({kC3});
    m_part.m_chords = {MakeChord(kC3, 1, 2)};
    ASSERT_TRUE(m_part.Build(m_manager, true));
    Lead().AddNote(MakeNote(1.0, 69, THING_LEAD_GUITAR));
    Lead().AddNote(MakeNote(5.0, 71, THING_LEAD_GUITAR));  // past the last measure
    ASSERT_TRUE(m_part.Build(m_manager, true)) << m_part.GetError();
    EXPECT_EQ(Markers(EVENT_MEASURE_MARKER).size(), 2u);
    EXPECT_EQ(Markers(EVENT_CHORD_MARKER).size(), 2u);
    EXPECT_DOUBLE_EQ(m_part.m_arrangement.m_info.length, 5.0 + kSecondsPerBeat);
    int melody = 0;
    for (int i = 0; i < Lead().m_notes.GetCount(); ++i) {
        melody += Lead().m_notes.GetAt(i)->IsMarker() ? 0 : 1;
    }
    EXPECT_EQ(melody, 2);
}

TEST_F(SongPartTest, LeadNotesArePlacedInTheirWindowWithFingersAndAlternatePicking) {
    AddBassLine({kC3});
    m_part.m_chords = {MakeChord(kC3, 1, 1)};
    ASSERT_TRUE(m_part.Build(m_manager, false));
    Lead().AddNote(MakeNote(0.0, 69, THING_LEAD_GUITAR));  // A: string 1, fret 5
    Lead().AddNote(MakeNote(0.5, 71, THING_LEAD_GUITAR));  // B: string 1, fret 7
    ASSERT_TRUE(m_part.Build(m_manager, false));
    const CNoteList& lead = Lead().m_notes;
    ASSERT_EQ(lead.GetCount(), 2);
    EXPECT_EQ(lead.GetAt(0)->guitarString, 1);
    EXPECT_EQ(lead.GetAt(0)->fret, 5);
    EXPECT_EQ(lead.GetAt(0)->finger, 1);
    EXPECT_EQ(lead.GetAt(1)->fret, 7);
    EXPECT_EQ(lead.GetAt(1)->finger, 3);
    EXPECT_EQ(lead.GetAt(0)->mode, MODE_START);
    EXPECT_EQ(lead.GetAt(1)->mode, MODE_START | MODE_UP);
}

TEST_F(SongPartTest, AMeasureSpreadOverFourFretsIsPlacedAgainOneFretLower) {
    AddBassLine({kC3});
    m_part.m_chords = {MakeChord(kC3, 1, 1)};
    ASSERT_TRUE(m_part.Build(m_manager, false));
    // In frets 5..10, G sharp lies on string 2, fret 9 and A on string 1,
    // fret 5; from fret 4 both fit on string 1.
    Lead().AddNote(MakeNote(0.0, 68, THING_LEAD_GUITAR));
    Lead().AddNote(MakeNote(0.5, 69, THING_LEAD_GUITAR));
    ASSERT_TRUE(m_part.Build(m_manager, false));
    const CNoteList& lead = Lead().m_notes;
    EXPECT_EQ(lead.GetAt(0)->guitarString, 1);
    EXPECT_EQ(lead.GetAt(0)->fret, 4);
    EXPECT_EQ(lead.GetAt(1)->fret, 5);
}

TEST_F(SongPartTest, CopyingToASongGivesTheArrangementAndItsInfo) {
    AddBassLine({kC3});
    m_part.m_chords = {MakeChord(kC3, 1, 3)};
    ASSERT_TRUE(m_part.Build(m_manager, false));
    CSong song;
    song.AddNewSongTracks();
    song.AddTrack(CTrack());
    ASSERT_TRUE(m_part.CopyToSong(song));
    EXPECT_EQ(song.GetTrackCount(), 4);
    EXPECT_EQ(song.m_info.measures, 3);
    EXPECT_EQ(song.FindTrack(THING_BASS_GUITAR)->m_notes.GetCount(), 3);
}

}  // namespace
