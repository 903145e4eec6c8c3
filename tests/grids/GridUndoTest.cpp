#include <functional>

#include "GridTestUtil.h"
#include "grids/GridMouse.h"
#include "grids/LeadGrid.h"

namespace {

struct EDIT_CASE {
    const char* name;
    std::function<bool(CLeadGrid& grid, int row)> edit;
};

class GridUndoTest : public CGridTest, public testing::WithParamInterface<EDIT_CASE> {
protected:
    void SetUp() override {
        CGridTest::SetUp();
        m_lead = std::make_unique<CLeadGrid>(m_manager);
        // The third note makes beat 3 a beat of triplets.
        AddNotes(m_track, {MakeNote(0.25, 0.5, 60, 39), MakeNote(2.0, 0.5, 62, 39),
                           MakeNote(1.5 + kBeat / 3, kBeat / 3, 64, 39)});
        Show(*m_lead, m_track);
        m_row = RowOf(*m_lead, 60);
    }

    CTrack m_track;
    std::unique_ptr<CLeadGrid> m_lead;
    int m_row = -1;
};

// Every value an edit can change, note by note.
std::vector<std::string> DescribeFully(const CTrack& track) {
    std::vector<std::string> lines;
    for (int i = 0; i < track.m_notes.GetCount(); ++i) {
        const CNote& note = *track.m_notes.GetAt(i);
        lines.push_back(Describe(note) + " " + std::to_string(note.guitarString) + " " +
                        std::to_string(note.fret) + " " + std::to_string(note.finger) + " " +
                        std::to_string(note.accidental));
    }
    return lines;
}

bool Gesture(CLeadGrid& grid, GRID_CELL press, double fraction, GRID_CELL release, bool ctrl) {
    CGridMouse mouse(grid);
    const bool pressed = mouse.Press(press, fraction, ctrl);
    mouse.Release(release, 0.5);
    return pressed;
}

TEST_P(GridUndoTest, UndoGoesBackAndRedoForward) {
    const std::vector<std::string> before = DescribeFully(m_track);
    const int measures = m_lead->GetLayout().GetMeasures();
    const int columns = m_lead->GetLayout().GetColumnCount();
    ASSERT_TRUE(GetParam().edit(*m_lead, m_row)) << m_lead->GetError();
    const std::vector<std::string> after = DescribeFully(m_track);
    const int columnsAfter = m_lead->GetLayout().GetColumnCount();
    ASSERT_TRUE(after != before || columnsAfter != columns) << "the edit changed nothing";
    EXPECT_TRUE(m_lead->IsChanged());
    m_lead->SetChanged(false);

    ASSERT_TRUE(m_lead->Undo()) << m_lead->GetError();
    EXPECT_EQ(DescribeFully(m_track), before);
    EXPECT_EQ(m_lead->GetLayout().GetMeasures(), measures);
    EXPECT_EQ(m_lead->GetLayout().GetColumnCount(), columns);
    EXPECT_TRUE(m_lead->IsChanged());
    EXPECT_FALSE(m_lead->CanUndo());

    ASSERT_TRUE(m_lead->Redo()) << m_lead->GetError();
    EXPECT_EQ(DescribeFully(m_track), after);
    EXPECT_EQ(m_lead->GetLayout().GetColumnCount(), columnsAfter);
    EXPECT_FALSE(m_lead->CanRedo());
}

const EDIT_CASE kEdits[] = {
    {"Draw",
     [](CLeadGrid& g, int row) {
         return Gesture(g, {row, 8}, 0.5, {row, 10}, false);
     }},
    {"Move",
     [](CLeadGrid& g, int row) {
         return Gesture(g, {row, 3}, 0.5, {row - 1, 9}, false);
     }},
    {"StretchStart",
     [](CLeadGrid& g, int row) {
         return Gesture(g, {row, 2}, 0.1, {row, 0}, false);
     }},
    {"StretchEnd",
     [](CLeadGrid& g, int row) {
         return Gesture(g, {row, 5}, 0.9, {row, 7}, false);
     }},
    {"CtrlDelete",
     [](CLeadGrid& g, int row) {
         return Gesture(g, {row, 3}, 0.5, {row, 3}, true);
     }},
    {"DeleteNote", [](CLeadGrid& g, int) { return g.DeleteNote(0); }},
    {"SetFret", [](CLeadGrid& g, int) { return g.SetDisplay(DISPLAY_TABS) && g.SetFret(0, 3); }},
    {"SetFinger", [](CLeadGrid& g, int) { return g.SetFinger(0, 2); }},
    {"SetTriplets", [](CLeadGrid& g, int) { return g.SetTriplets(0, true); }},
    {"RemoveTriplets", [](CLeadGrid& g, int) { return g.SetTriplets(3, false); }},
    {"AddMeasure", [](CLeadGrid& g, int) { return g.AddMeasure(); }},
    {"DeleteLastMeasure", [](CLeadGrid& g, int) { return g.DeleteLastMeasure(); }},
    {"RepeatBeatRow", [](CLeadGrid& g, int row) { return g.RepeatBeat(0, row); }},
    {"RepeatBeatAll", [](CLeadGrid& g, int) { return g.RepeatBeat(0, -1); }},
    {"RepeatMeasureRow", [](CLeadGrid& g, int row) { return g.RepeatMeasure(0, row); }},
    {"RepeatMeasureAll", [](CLeadGrid& g, int) { return g.RepeatMeasure(0, -1); }},
    {"ClearRow", [](CLeadGrid& g, int row) { return g.ClearRow(row); }},
    {"ClearBeat", [](CLeadGrid& g, int) { return g.ClearBeat(0); }},
    {"ClearMeasure", [](CLeadGrid& g, int) { return g.ClearMeasure(1); }},
};

INSTANTIATE_TEST_SUITE_P(EveryEdit, GridUndoTest, testing::ValuesIn(kEdits),
                         [](const testing::TestParamInfo<EDIT_CASE>& info) {
                             return std::string(info.param.name);
                         });

using GridHistoryTest = GridUndoTest;

TEST_F(GridHistoryTest, NothingToUndoOrRedoIsRefused) {
    EXPECT_FALSE(m_lead->Undo());
    EXPECT_STREQ(m_lead->GetError(), "Can't undo: there is no edit to undo");
    EXPECT_FALSE(m_lead->Redo());
    EXPECT_STREQ(m_lead->GetError(), "Can't redo: there is no edit to redo");
    EXPECT_FALSE(m_lead->IsChanged());
}

TEST_F(GridHistoryTest, ANewEditForgetsWhatCouldBeRedone) {
    ASSERT_TRUE(m_lead->ClearBeat(0));
    ASSERT_TRUE(m_lead->Undo());
    ASSERT_TRUE(m_lead->ClearMeasure(1));
    EXPECT_FALSE(m_lead->CanRedo());
    ASSERT_TRUE(m_lead->Undo());
    EXPECT_EQ(m_track.m_notes.GetCount(), 3);
}

TEST_F(GridHistoryTest, EditsUndoOneAtATimeInReverseOrder) {
    ASSERT_TRUE(m_lead->ClearBeat(0));
    ASSERT_TRUE(m_lead->AddMeasure());
    ASSERT_TRUE(m_lead->ClearMeasure(1));
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"1.667 0.167 64 39"}));
    ASSERT_TRUE(m_lead->Undo());
    EXPECT_EQ(Describe(m_track),
              (std::vector<std::string>{"1.667 0.167 64 39", "2.000 0.500 62 39"}));
    ASSERT_TRUE(m_lead->Undo());
    EXPECT_EQ(m_lead->GetLayout().GetMeasures(), 2);
    ASSERT_TRUE(m_lead->Undo());
    EXPECT_EQ(m_track.m_notes.GetCount(), 3);
    EXPECT_FALSE(m_lead->CanUndo());
}

TEST_F(GridHistoryTest, ShowingATrackStartsANewHistory) {
    ASSERT_TRUE(m_lead->ClearBeat(0));
    CTrack other;
    ASSERT_TRUE(m_lead->ShowTrack(other));
    EXPECT_FALSE(m_lead->CanUndo());
    EXPECT_FALSE(m_lead->IsChanged());
}

}  // namespace
