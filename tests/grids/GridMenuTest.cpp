#include <utility>

#include "GridTestUtil.h"
#include "grids/DrumGrid.h"
#include "grids/GridMenu.h"
#include "grids/LeadGrid.h"
#include "grids/TopGrid.h"

namespace {

class GridMenuTest : public CGridTest {
protected:
    void SetUp() override {
        CGridTest::SetUp();
        m_lead = std::make_unique<CLeadGrid>(m_manager);
        AddNotes(m_track, {MakeNote(0.25, 0.5, 60, 39), MakeNote(0.5, 0.25, 64, 39),
                           MakeNote(2.0, 0.5, 62, 39)});
        Show(*m_lead, m_track);
        m_c = RowOf(*m_lead, 60);
        m_e = RowOf(*m_lead, 64);
    }

    const GRID_MENU_ITEM& Find(const std::vector<GRID_MENU_ITEM>& items, int id) {
        for (const GRID_MENU_ITEM& item : items) {
            if (item.id == id) {
                return item;
            }
        }
        ADD_FAILURE() << "no item " << id;
        static const GRID_MENU_ITEM none;
        return none;
    }

    bool Enabled(int id, GRID_CELL cell) { return CGridMenu::IsEnabled(*m_lead, id, cell); }

    CTrack m_track;
    std::unique_ptr<CLeadGrid> m_lead;
    int m_c = -1;
    int m_e = -1;
};

TEST_F(GridMenuTest, TheMenuListsEveryItemWithItsIdAndText) {
    const std::vector<GRID_MENU_ITEM> items = CGridMenu::Build(*m_lead, {m_c, 3});
    const std::vector<std::pair<int, std::string>> expected = {
        {1790, "Delete note"},
        {CGridMenu::kFretMenu, "Set fret"},
        {CGridMenu::kFingerMenu, "Set finger"},
        {1795, "Show notes"},
        {1799, "Show tabs"},
        {1487, "Set triplets"},
        {1489, "Remove triplets"},
        {1506, "Add measure to the end"},
        {1505, "Delete last measure"},
        {1578, "Repeat beat to the end (this row only)"},
        {1579, "Repeat beat to the end (all rows)"},
        {1780, "Repeat measure to the end (this row only)"},
        {1784, "Repeat measure to the end (all rows)"},
        {1581, "Clear this row (all beats)"},
        {1583, "Clear this beat (all rows)"},
        {1841, "Clear this measure (all rows)"},
    };
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].id, expected[i].first) << i;
        EXPECT_EQ(items[i].text, expected[i].second.c_str()) << i;
    }
    const GRID_MENU_ITEM& frets = items[1];
    ASSERT_EQ(frets.items.size(), 25u);
    EXPECT_EQ(frets.items[0].id, 1804);
    EXPECT_EQ(frets.items[0].text, "Open string");
    EXPECT_EQ(frets.items[24].id, 1828);
    EXPECT_EQ(frets.items[24].text, "24");
    const GRID_MENU_ITEM& fingers = items[2];
    ASSERT_EQ(fingers.items.size(), 4u);
    EXPECT_EQ(fingers.items[0].id, 1830);
    EXPECT_EQ(fingers.items[0].text, "1");
    EXPECT_EQ(fingers.items[3].id, 1833);
    EXPECT_STREQ(CGridMenu::kTitle, "Note Grid");
}

TEST_F(GridMenuTest, DeleteNoteNeedsANoteOutsideTheFingerRow) {
    EXPECT_TRUE(Enabled(1790, {m_c, 3}));
    EXPECT_FALSE(Enabled(1790, {m_c, 8}));
    ASSERT_TRUE(m_lead->SetDisplay(DISPLAY_TABS));
    EXPECT_FALSE(Enabled(1790, {0, 3}));
}

TEST_F(GridMenuTest, FretAndFingerNeedTabDisplayAndANote) {
    EXPECT_FALSE(Enabled(CGridMenu::kFretMenu, {m_c, 3}));
    EXPECT_FALSE(Enabled(1805, {m_c, 3}));
    EXPECT_FALSE(Enabled(1831, {m_c, 3}));
    ASSERT_TRUE(m_lead->SetDisplay(DISPLAY_TABS));
    const int note = m_lead->GetNoteAt({RowLabelled(*m_lead, "Lead string 6"), 3});
    ASSERT_GE(note, 0);
    const GRID_CELL cell{m_lead->GetNote(note).row, 3};
    EXPECT_TRUE(Enabled(CGridMenu::kFretMenu, cell));
    EXPECT_TRUE(Enabled(1805, cell));
    EXPECT_TRUE(Enabled(1833, cell));
    EXPECT_FALSE(Enabled(1805, {cell.row, 12}));
    // The note's own fret is checked.
    const std::vector<GRID_MENU_ITEM> items = CGridMenu::Build(*m_lead, cell);
    EXPECT_TRUE(Find(items, CGridMenu::kFretMenu).items[20].checked);
    EXPECT_FALSE(Find(items, CGridMenu::kFretMenu).items[19].checked);
}

TEST_F(GridMenuTest, RowCommandsAreDisabledInTheFingerRow) {
    ASSERT_TRUE(m_lead->SetDisplay(DISPLAY_TABS));
    for (const int id : {1578, 1780, 1581}) {
        EXPECT_FALSE(Enabled(id, {0, 3})) << id;
        EXPECT_TRUE(Enabled(id, {1, 3})) << id;
    }
    for (const int id : {1579, 1784, 1583, 1841, 1505, 1506}) {
        EXPECT_TRUE(Enabled(id, {0, 3})) << id;
    }
}

TEST_F(GridMenuTest, ShowNotesAndShowTabsAreMarkedByTheDisplay) {
    std::vector<GRID_MENU_ITEM> items = CGridMenu::Build(*m_lead, {m_c, 3});
    EXPECT_TRUE(Find(items, 1795).checked);
    EXPECT_FALSE(Find(items, 1799).checked);
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1799, {m_c, 3}));
    EXPECT_EQ(m_lead->GetDisplay(), DISPLAY_TABS);
    items = CGridMenu::Build(*m_lead, {1, 3});
    EXPECT_FALSE(Find(items, 1795).checked);
    EXPECT_TRUE(Find(items, 1799).checked);
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1795, {1, 3}));
    EXPECT_EQ(m_lead->GetDisplay(), DISPLAY_NOTES);
    EXPECT_FALSE(m_lead->IsChanged());

    CDrumGrid drums;
    CTrack empty;
    Show(drums, empty);
    EXPECT_FALSE(CGridMenu::IsEnabled(drums, 1799, {0, 0}));
    EXPECT_FALSE(CGridMenu::IsEnabled(drums, 1795, {0, 0}));
}

TEST_F(GridMenuTest, TheTopGridHasNoMenu) {
    CTopGrid top;
    CTrack empty;
    Show(top, empty);
    EXPECT_TRUE(CGridMenu::Build(top, {0, 0}).empty());
    EXPECT_FALSE(CGridMenu::Run(top, 1506, {0, 0}));
}

TEST_F(GridMenuTest, ADisabledCommandIsRefused) {
    EXPECT_FALSE(CGridMenu::Run(*m_lead, 1790, {m_c, 8}));
    EXPECT_STREQ(m_lead->GetError(), "Can't run command 1790 here");
    EXPECT_FALSE(CGridMenu::Run(*m_lead, 1805, {m_c, 3}));
    EXPECT_EQ(m_track.m_notes.GetCount(), 3);
}

TEST_F(GridMenuTest, DeleteNoteRemovesTheNoteUnderThePointer) {
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1790, {m_c, 5}));
    EXPECT_EQ(Describe(m_track),
              (std::vector<std::string>{"0.500 0.250 64 39", "2.000 0.500 62 39"}));
    EXPECT_TRUE(m_lead->IsChanged());
}

TEST_F(GridMenuTest, SetFretRepitchesTheNoteOnItsStringAndSetFingerSetsTheFinger) {
    ASSERT_TRUE(m_lead->SetDisplay(DISPLAY_TABS));
    const int string6 = RowLabelled(*m_lead, "Lead string 6");
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1804 + 5, {string6, 3}));
    EXPECT_EQ(m_track.m_notes.GetAt(0)->midiNote, 45);
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1804, {string6, 3}));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1832, {string6, 3}));
    const CNote& c = *m_track.m_notes.GetAt(0);
    EXPECT_EQ(c.midiNote, 40);
    EXPECT_EQ(c.fret, 0);
    EXPECT_EQ(c.guitarString, 6);
    EXPECT_EQ(c.finger, 3);
    EXPECT_EQ(c.GetName(), "E");
}

TEST_F(GridMenuTest, SetTripletsSplitsTheBeatAndMovesItsNotesToTheNearestCell) {
    // Beat 1 holds E at its start; C starts in beat 0.
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1487, {m_e, 5}));
    EXPECT_TRUE(m_lead->GetLayout().IsTriplet(1));
    EXPECT_EQ(m_lead->GetLayout().GetColumnCount(), 31);
    EXPECT_FALSE(CGridMenu::IsEnabled(*m_lead, 1487, {m_e, 5}));
    EXPECT_TRUE(CGridMenu::IsEnabled(*m_lead, 1489, {m_e, 5}));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1487, {m_c, 0}));
    // C at 0.25 s is half a beat in, as near to the second third as to the
    // first; it goes to the later one, and back to the nearest sixteenth.
    EXPECT_NEAR(m_track.m_notes.GetAt(0)->time, 1.0 / 3, 1e-9);
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1489, {m_c, 0}));
    EXPECT_DOUBLE_EQ(m_track.m_notes.GetAt(0)->time, 0.375);
    EXPECT_FALSE(m_lead->GetLayout().IsTriplet(0));
}

TEST_F(GridMenuTest, AddAndDeleteTheLastMeasure) {
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1506, {m_c, 0}));
    EXPECT_EQ(m_lead->GetLayout().GetMeasures(), 3);
    EXPECT_EQ(m_lead->GetRow(m_c).cells.size(), 48u);
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1505, {m_c, 0}));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1505, {m_c, 0}));
    EXPECT_EQ(m_lead->GetLayout().GetMeasures(), 1);
    // D in the second measure went with it.
    EXPECT_EQ(m_track.m_notes.GetCount(), 2);
    EXPECT_FALSE(m_lead->DeleteLastMeasure());
    EXPECT_STREQ(m_lead->GetError(), "Can't delete the only measure");
    EXPECT_TRUE(CGridMenu::IsGrooveCommand(1505));
    EXPECT_TRUE(CGridMenu::IsGrooveCommand(1506));
    EXPECT_FALSE(CGridMenu::IsGrooveCommand(1583));
}

TEST_F(GridMenuTest, ANoteHangingIntoADeletedMeasureEndsAtTheNewEnd) {
    CTrack track;
    AddNotes(track, {MakeNote(1.5, 1.5, 60, 39)});
    ASSERT_TRUE(m_lead->ShowTrack(track));
    ASSERT_TRUE(m_lead->DeleteLastMeasure());
    EXPECT_EQ(Describe(track), (std::vector<std::string>{"1.500 0.500 60 39"}));
}

TEST_F(GridMenuTest, AddingAMeasureStopsAtEight) {
    for (int measures = 3; measures <= 8; ++measures) {
        ASSERT_TRUE(m_lead->AddMeasure());
    }
    EXPECT_FALSE(CGridMenu::IsEnabled(*m_lead, 1506, {m_c, 0}));
    EXPECT_FALSE(m_lead->AddMeasure());
    EXPECT_STREQ(m_lead->GetError(), "Can't add a measure: a groove has at most 8 measures");
    EXPECT_EQ(m_lead->GetLayout().GetMeasures(), 8);
}

TEST_F(GridMenuTest, RepeatBeatThisRowCopiesTheRowsBeatIntoEveryLaterBeat) {
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1578, {m_e, 4}));
    // E's beat (1) goes to beats 2..7; C and D in other rows stay.
    std::vector<std::string> expected = {"0.250 0.500 60 39", "0.500 0.250 64 39"};
    for (int beat = 2; beat < 8; ++beat) {
        char line[64];
        snprintf(line, sizeof line, "%.3f 0.250 64 39", beat * 0.5);
        if (beat == 4) {
            expected.push_back("2.000 0.500 62 39");
        }
        expected.push_back(line);
    }
    EXPECT_EQ(Describe(m_track), expected);
}

TEST_F(GridMenuTest, RepeatBeatAllRowsReplacesEveryRowAndCopiesTriplets) {
    ASSERT_TRUE(m_lead->SetTriplets(1, true));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1579, {m_c, 4}));
    for (int beat = 1; beat < 8; ++beat) {
        EXPECT_TRUE(m_lead->GetLayout().IsTriplet(beat)) << beat;
    }
    // D at beat 4 is replaced by E.
    EXPECT_EQ(m_track.m_notes.GetCount(), 2 + 6);
    for (int i = 2; i < m_track.m_notes.GetCount(); ++i) {
        EXPECT_EQ(m_track.m_notes.GetAt(i)->midiNote, 64);
    }
}

TEST_F(GridMenuTest, RepeatMeasureCopiesTheMeasureIntoTheLaterMeasures) {
    ASSERT_TRUE(m_lead->AddMeasure());
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1780, {m_c, 0}));
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.250 0.500 60 39", "0.500 0.250 64 39",
                                                           "2.000 0.500 62 39", "2.250 0.500 60 39",
                                                           "4.250 0.500 60 39"}));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1784, {m_c, 0}));
    EXPECT_EQ(
        Describe(m_track),
        (std::vector<std::string>{"0.250 0.500 60 39", "0.500 0.250 64 39", "2.250 0.500 60 39",
                                  "2.500 0.250 64 39", "4.250 0.500 60 39", "4.500 0.250 64 39"}));
}

TEST_F(GridMenuTest, ClearRowBeatAndMeasureDeleteTheNotesOfTheirArea) {
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1583, {m_e, 4}));
    EXPECT_EQ(Describe(m_track),
              (std::vector<std::string>{"0.250 0.500 60 39", "2.000 0.500 62 39"}));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1581, {m_c, 20}));
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"2.000 0.500 62 39"}));
    ASSERT_TRUE(CGridMenu::Run(*m_lead, 1841, {0, 31}));
    EXPECT_EQ(m_track.m_notes.GetCount(), 0);
}

}  // namespace
