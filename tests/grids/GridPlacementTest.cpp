#include "GridTestUtil.h"
#include "grids/DrumGrid.h"
#include "grids/LeadGrid.h"
#include "grids/RhythmGrid.h"
#include "grids/TopGrid.h"

namespace {

using GridPlacementTest = CGridTest;

TEST_F(GridPlacementTest, ChordAndMeasureMarkersGoToTheirRowsAndASongPartMarkerIsNotShown) {
    CTrack track;
    AddNotes(track,
             {MakeMarker(EVENT_PART_MARKER, 0.0, 4.0), MakeMarker(EVENT_CHORD_MARKER, 0.0, 2.0),
              MakeMarker(EVENT_MEASURE_MARKER, 2.0, 2.0), MakeNote(0.0, 0.5, 60, 39)});
    CTopGrid grid;
    Show(grid, track);
    ASSERT_EQ(grid.GetNoteCount(), 2);
    EXPECT_EQ(grid.GetNote(0).row, 1);  // chord row
    EXPECT_EQ(grid.GetNote(0).first, 0);
    EXPECT_EQ(grid.GetNote(0).last, 15);
    EXPECT_EQ(grid.GetNote(1).row, 0);  // measure row
    EXPECT_EQ(grid.GetNote(1).first, 16);
    // An edit writes the markers back and leaves the song-part marker and the
    // lead note alone.
    ASSERT_TRUE(grid.AddMeasure());
    EXPECT_EQ(track.m_notes.GetCount(), 4);
    EXPECT_EQ(track.m_notes.GetAt(0)->eventKind, EVENT_PART_MARKER);
}

TEST_F(GridPlacementTest, MarkersAreNotShownInTheInstrumentGrids) {
    CTrack track;
    AddNotes(track, {MakeMarker(EVENT_CHORD_MARKER, 0.0, 2.0), MakeNote(0.0, 0.5, 60, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    ASSERT_EQ(grid.GetNoteCount(), 1);
    EXPECT_EQ(grid.GetNote(0).note.midiNote, 60);
}

TEST_F(GridPlacementTest, ANoteIsCompletedFromTheNoteTable) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, 69, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    const CNote& note = grid.GetNote(0).note;
    EXPECT_EQ(note.GetName(), "A");
    EXPECT_EQ(note.GetOctave(), 4);
    EXPECT_DOUBLE_EQ(note.frequency, 440.0);
}

TEST_F(GridPlacementTest, TheRhythmGridTakesOnlyChordStrums) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, NOTE_CHORD, 38), MakeNote(0.5, 0.5, 60, 38)});
    CRhythmGrid grid;
    Show(grid, track);
    ASSERT_EQ(grid.GetNoteCount(), 1);
    EXPECT_EQ(grid.GetNote(0).row, 0);
    EXPECT_EQ(grid.GetNote(0).note.midiNote, NOTE_CHORD);
}

TEST_F(GridPlacementTest, AChordStrumInTheLeadGridHasNoRow) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, NOTE_CHORD, 39)});
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    EXPECT_FALSE(grid.ShowTrack(track));
    EXPECT_STREQ(grid.GetError(), "Can't find a row for note 254");
}

TEST_F(GridPlacementTest, APitchOffTheScaleIsTheSharpOfTheRowBelow) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, 60, 39), MakeNote(0.5, 0.5, 61, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    EXPECT_EQ(grid.GetNote(0).row, RowOf(grid, 60));
    EXPECT_EQ(grid.GetNote(0).note.accidental, ACCIDENTAL_NOT_SET);
    EXPECT_EQ(grid.GetNote(1).row, RowOf(grid, 60));
    EXPECT_EQ(grid.GetNote(1).note.accidental, ACCIDENTAL_SHARP);
    EXPECT_EQ(grid.GetNote(1).note.writtenNote, 60);
    EXPECT_EQ(grid.GetNote(1).note.midiNote, 61);
}

TEST_F(GridPlacementTest, OnlyTheTopRowsOwnSharpFitsAboveIt) {
    CTrack sharp;
    AddNotes(sharp, {MakeNote(0.0, 0.5, 77, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, sharp);
    EXPECT_EQ(grid.GetNote(0).row, 0);
    EXPECT_EQ(grid.GetNote(0).note.accidental, ACCIDENTAL_SHARP);

    CTrack high;
    AddNotes(high, {MakeNote(0.0, 0.5, 79, 39)});
    EXPECT_FALSE(grid.ShowTrack(high));
    EXPECT_STREQ(grid.GetError(), "Can't find a row for note 79");
}

TEST_F(GridPlacementTest, ANoteWithoutARowLeavesTheTrackUnshownAndUntouched) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, 60, 39), MakeNote(0.5, 0.5, 30, 39)});
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    EXPECT_FALSE(grid.ShowTrack(track));
    EXPECT_STREQ(grid.GetError(), "Can't find a row for note 30");
    EXPECT_EQ(grid.GetNoteCount(), 0);
    // Edits of the empty grid do not reach the track.
    ASSERT_TRUE(grid.AddMeasure());
    EXPECT_EQ(track.m_notes.GetCount(), 2);
}

TEST_F(GridPlacementTest, AHiHatOfTheAlternativeStrokeSharesTheOpenHiHatsRow) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.1, 46, THING_HI_HAT_OPEN),
                     MakeNote(0.5, 0.1, 42, THING_HI_HAT_CLOSED)});
    CDrumGrid grid;
    Show(grid, track);
    EXPECT_EQ(grid.GetNote(0).row, 5);
    EXPECT_EQ(grid.GetNote(1).row, 5);
    EXPECT_EQ(grid.GetNote(1).note.thing, THING_HI_HAT_CLOSED);
}

TEST_F(GridPlacementTest, ADrumNoteMatchesOnlyByItsInstrument) {
    CTrack track;
    // A hi-hat bottom has no row, although its key 38 is the snare's.
    AddNotes(track, {MakeNote(0.0, 0.1, 38, THING_HI_HAT_BOTTOM)});
    CDrumGrid grid;
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    EXPECT_FALSE(grid.ShowTrack(track));
    EXPECT_STREQ(grid.GetError(), "Can't find a row for note 38");
}

TEST_F(GridPlacementTest, ADrumNoteTakesOneCellWhateverItsDuration) {
    CTrack track;
    AddNotes(track, {MakeNote(0.5, 10.0, 38, THING_SNARE_DRUM)});
    CDrumGrid grid;
    Show(grid, track);
    EXPECT_EQ(grid.GetNote(0).first, 4);
    EXPECT_EQ(grid.GetNote(0).last, 4);
    EXPECT_EQ(grid.GetNote(0).note.length, 1);
}

TEST_F(GridPlacementTest, InTabDisplayANoteGoesToItsStringOrTheFirstStringThatCanSoundIt) {
    CNote fretted = MakeNote(0.0, 0.5, 60, 39);
    fretted.guitarString = 2;
    CTrack track;
    AddNotes(track, {fretted, MakeNote(0.5, 0.5, 50, 39), MakeNote(1.0, 0.5, 253, 39)});
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    ASSERT_TRUE(grid.SetDisplay(DISPLAY_TABS));
    ASSERT_TRUE(grid.ShowTrack(track)) << grid.GetError();
    EXPECT_EQ(grid.GetNote(0).row, RowLabelled(grid, "Lead string 2"));
    EXPECT_EQ(grid.GetNote(0).fret, 1);
    EXPECT_EQ(grid.GetNote(1).row, RowLabelled(grid, "Lead string 6"));
    EXPECT_EQ(grid.GetNote(1).fret, 10);
    // Showing tabs gives the note no string of its own.
    EXPECT_EQ(grid.GetNote(1).note.guitarString, UNSET);
    EXPECT_EQ(grid.GetNote(1).note.fret, UNSET);
    EXPECT_EQ(grid.GetNote(2).row, RowLabelled(grid, "Finger"));
}

TEST_F(GridPlacementTest, SwitchingTheDisplayPlacesTheNotesAgain) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, 64, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    ASSERT_TRUE(grid.SetDisplay(DISPLAY_TABS));
    EXPECT_EQ(grid.GetNote(0).row, RowLabelled(grid, "Lead string 6"));
    ASSERT_TRUE(grid.SetDisplay(DISPLAY_NOTES));
    EXPECT_EQ(grid.GetNote(0).row, RowOf(grid, 64));
    EXPECT_FALSE(grid.IsChanged());
}

TEST_F(GridPlacementTest, ADisplayWithoutARowForANoteIsRefused) {
    CTrack track;
    AddNotes(track, {MakeNote(0.0, 0.5, 253, 39)});
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    ASSERT_TRUE(grid.SetDisplay(DISPLAY_TABS));
    ASSERT_TRUE(grid.ShowTrack(track));
    EXPECT_FALSE(grid.SetDisplay(DISPLAY_NOTES));
    EXPECT_STREQ(grid.GetError(), "Can't find a row for note 253");
    EXPECT_EQ(grid.GetDisplay(), DISPLAY_TABS);
    EXPECT_EQ(grid.GetRowCount(), 7);
}

TEST_F(GridPlacementTest, ANoteCoversTheCellsOfItsDurationOrItsLength) {
    CNote byLength = MakeNote(1.0, UNSET_TIME, 62, 39);
    byLength.length = 3;
    CTrack track;
    AddNotes(track, {MakeNote(0.25, 0.5, 60, 39), byLength, MakeNote(3.5, 2.0, 64, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    EXPECT_EQ(grid.GetNote(0).first, 2);
    EXPECT_EQ(grid.GetNote(0).last, 5);
    EXPECT_EQ(grid.GetNote(0).note.length, 4);
    EXPECT_EQ(grid.GetNote(1).first, 8);
    EXPECT_EQ(grid.GetNote(1).last, 10);
    // A note reaching past the end is cut at the last cell.
    EXPECT_EQ(grid.GetNote(2).last, 31);
    const int row = RowOf(grid, 60);
    EXPECT_EQ(grid.GetNoteAt({row, 1}), -1);
    EXPECT_EQ(grid.GetNoteAt({row, 2}), 0);
    EXPECT_EQ(grid.GetNoteAt({row, 5}), 0);
    EXPECT_EQ(grid.GetNoteAt({row, 6}), -1);
}

TEST_F(GridPlacementTest, ANoteOffTheCellsOrPastTheEndIsMarkedAndKept) {
    CTrack track;
    AddNotes(track, {MakeNote(0.3, 0.2, 60, 39), MakeNote(5.0, 0.5, 62, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    EXPECT_EQ(grid.GetNote(0).first, 2);
    EXPECT_TRUE(grid.GetNote(0).offGrid);
    EXPECT_EQ(grid.GetNote(1).first, -1);
    EXPECT_EQ(grid.GetNote(1).row, RowOf(grid, 62));
    ASSERT_TRUE(grid.SetTriplets(7, true));
    EXPECT_EQ(track.m_notes.GetCount(), 2);
    EXPECT_DOUBLE_EQ(track.m_notes.GetAt(1)->time, 5.0);
}

TEST_F(GridPlacementTest, NotesOnThirdsOfABeatMakeItABeatOfTriplets) {
    const double third = kBeat / 3;
    CTrack track;
    AddNotes(track, {MakeNote(kBeat + third, third, 60, 39), MakeNote(2 * kBeat, kBeat, 62, 39)});
    CLeadGrid grid(m_manager);
    Show(grid, track);
    EXPECT_FALSE(grid.GetLayout().IsTriplet(0));
    EXPECT_TRUE(grid.GetLayout().IsTriplet(1));
    EXPECT_FALSE(grid.GetLayout().IsTriplet(2));
    EXPECT_EQ(grid.GetNote(0).first, 5);
    EXPECT_EQ(grid.GetNote(0).last, 5);
    EXPECT_FALSE(grid.GetNote(0).offGrid);
    EXPECT_EQ(grid.GetNote(1).first, 7);
}

}  // namespace
