#include "GridTestUtil.h"
#include "grids/BassGrid.h"
#include "grids/DrumGrid.h"
#include "grids/LeadGrid.h"
#include "grids/RhythmGrid.h"
#include "grids/TopGrid.h"

namespace {

using GridRowsTest = CGridTest;

std::vector<std::string> Labels(const CNoteGrid& grid) {
    std::vector<std::string> labels;
    for (int i = 0; i < grid.GetRowCount(); ++i) {
        labels.push_back(grid.GetRow(i).label.GetText());
    }
    return labels;
}

TEST_F(GridRowsTest, TheTopGridHasAMeasureRowAboveAChordRow) {
    CTopGrid grid;
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    ASSERT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetRow(0).kind, ROW_MEASURE);
    EXPECT_EQ(grid.GetRow(0).label, "Measure");
    EXPECT_EQ(grid.GetRow(1).kind, ROW_CHORD);
    EXPECT_EQ(grid.GetRow(1).label, "Chord");
    EXPECT_STREQ(CTopGrid::GetMarkerLabel(ROW_SONG_PART), "Song part");
    EXPECT_EQ(grid.GetDisplay(), DISPLAY_MARKERS);
}

TEST_F(GridRowsTest, TheRhythmGridHasOneRowOfChordStrums) {
    CRhythmGrid grid;
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    ASSERT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(grid.GetRow(0).kind, ROW_RHYTHM);
    EXPECT_EQ(grid.GetRow(0).midiNote, NOTE_CHORD);
    EXPECT_EQ(grid.GetRow(0).label, "Rhythm");
    EXPECT_EQ(grid.GetThing(), THING_RHYTHM_GUITAR);
}

TEST_F(GridRowsTest, LeadNoteRowsAreTheScaleFromE5DownToTheLowString) {
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat)) << grid.GetError();
    // C major from E5 (76) down to E2 (40): the white keys of three octaves.
    ASSERT_EQ(grid.GetRowCount(), 22);
    EXPECT_EQ(grid.GetRow(0).label, "Lead 76-E");
    EXPECT_EQ(grid.GetRow(1).label, "Lead 74-D");
    EXPECT_EQ(grid.GetRow(21).label, "Lead 40-E");
    for (int i = 0; i < grid.GetRowCount(); ++i) {
        EXPECT_EQ(grid.GetRow(i).kind, ROW_NOTE);
        if (i > 0) {
            EXPECT_LT(grid.GetRow(i).midiNote, grid.GetRow(i - 1).midiNote);
        }
    }
}

TEST_F(GridRowsTest, DegreesOneThreeAndFiveAreHighlighted) {
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetScale(SCALE_MAJOR, 50));  // D major
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    std::vector<int> highlighted;
    for (int i = 0; i < grid.GetRowCount(); ++i) {
        const GRID_ROW& row = grid.GetRow(i);
        if (row.highlight && row.midiNote >= 62 && row.midiNote <= 74) {
            highlighted.push_back(row.midiNote);
        }
    }
    // D, F# and A of two octaves, top down.
    EXPECT_EQ(highlighted, (std::vector<int>{74, 69, 66, 62}));
    EXPECT_EQ(grid.GetRow(RowOf(grid, 66)).label, "Lead 66-F#");
}

TEST_F(GridRowsTest, LeadTabRowsAreTheFingerRowAndSixStrings) {
    CLeadGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    ASSERT_TRUE(grid.SetDisplay(DISPLAY_TABS)) << grid.GetError();
    EXPECT_EQ(Labels(grid),
              (std::vector<std::string>{"Finger", "Lead string 6", "Lead string 5", "Lead string 4",
                                        "Lead string 3", "Lead string 2", "Lead string 1"}));
    EXPECT_EQ(grid.GetRow(0).kind, ROW_FINGER);
    EXPECT_EQ(grid.GetRow(0).midiNote, 253);
    EXPECT_EQ(grid.GetRow(1).kind, ROW_TAB);
    EXPECT_EQ(grid.GetRow(1).midiNote, 40);
    EXPECT_EQ(grid.GetRow(6).midiNote, 64);
    EXPECT_EQ(grid.GetRow(6).guitarString, 1);
}

TEST_F(GridRowsTest, BassRowsRunFromG3DownAndItsTabsAreFourStrings) {
    CBassGrid grid(m_manager);
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    EXPECT_EQ(grid.GetRow(0).label, "Bass 55-G");
    EXPECT_EQ(grid.GetRow(grid.GetRowCount() - 1).label, "Bass 28-E");
    EXPECT_EQ(grid.GetRowCount(), 17);
    ASSERT_TRUE(grid.SetDisplay(DISPLAY_TABS));
    EXPECT_EQ(Labels(grid), (std::vector<std::string>{"Bass string 4", "Bass string 3",
                                                      "Bass string 2", "Bass string 1"}));
}

TEST_F(GridRowsTest, TheDrumGridHasThirteenRowsOfTwoInstrumentsWithTheirKeys) {
    CDrumGrid grid;
    ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat));
    ASSERT_EQ(grid.GetRowCount(), 13);
    const int first[13] = {30, 32, 27, 26, 24, 4, 14, 9, 12, 11, 2, 10, 6};
    const int second[13] = {0, 0, 0, 0, 25, 5, 13, 0, 0, 0, 0, 0, 0};
    const int keys[13] = {55, 52, 57, 49, 51, 46, 48, 38, 45, 43, 36, 41, 44};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(grid.GetRow(i).instruments[0], first[i]) << i;
        EXPECT_EQ(grid.GetRow(i).instruments[1], second[i]) << i;
        EXPECT_EQ(grid.GetRow(i).midiNote, keys[i]) << i;
    }
    EXPECT_EQ(grid.GetRow(0).label, "Splash cymbal 1");
    EXPECT_EQ(grid.GetRow(5).label, "Hi-hat, open");
    EXPECT_EQ(grid.GetRow(7).label, "Snare drum");
    EXPECT_EQ(grid.GetRow(10).label, "Bass drum 1");
    EXPECT_EQ(grid.GetRow(12).label, "Hi-hat foot");
}

TEST_F(GridRowsTest, OnlyTheFrettedGridsHaveATabDisplay) {
    CDrumGrid drums;
    CTopGrid top;
    EXPECT_FALSE(drums.SetDisplay(DISPLAY_TABS));
    EXPECT_STREQ(drums.GetError(), "Can't change the display of this grid to 2");
    EXPECT_FALSE(top.SetDisplay(DISPLAY_NOTES));
    EXPECT_EQ(drums.GetDisplay(), DISPLAY_NOTES);
}

TEST_F(GridRowsTest, ColumnsSplitBeatsIntoSixteenthsOrThreeTriplets) {
    CGridLayout layout;
    ASSERT_TRUE(layout.SetSize(2, 4, 4, 0.5));
    EXPECT_EQ(layout.GetColumnCount(), 32);
    EXPECT_DOUBLE_EQ(layout.GetColumnTime(5), 0.625);
    EXPECT_EQ(layout.GetColumn(17).measure, 1);
    ASSERT_TRUE(layout.SetTriplet(1, true));
    EXPECT_EQ(layout.GetColumnCount(), 31);
    EXPECT_EQ(layout.GetFirstColumn(2), 7);
    EXPECT_DOUBLE_EQ(layout.GetColumnTime(5), 0.5 + 0.5 / 3);
    EXPECT_EQ(layout.FindColumn(0.5 + 0.5 / 3), 5);
    EXPECT_EQ(layout.FindColumn(4.0), -1);

    CGridLayout sixEight;
    ASSERT_TRUE(sixEight.SetSize(1, 6, 8, 0.25));
    EXPECT_EQ(sixEight.GetColumnCount(), 12);  // two sixteenths an eighth
}

TEST_F(GridRowsTest, ASizeThatCannotBeLaidOutIsRefused) {
    CGridLayout layout;
    EXPECT_FALSE(layout.SetSize(9, 4, 4, 0.5));
    EXPECT_FALSE(layout.SetSize(1, 3, 2, 0.5));
    EXPECT_FALSE(layout.SetSize(1, 4, 4, 0.0));
    EXPECT_STREQ(layout.GetError(), "Can't lay out 1 measures of 4/4 at 0.000 s a beat");
    EXPECT_EQ(layout.GetMeasures(), 1);
}

}  // namespace
