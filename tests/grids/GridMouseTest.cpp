#include "GridTestUtil.h"
#include "grids/BassGrid.h"
#include "grids/DrumGrid.h"
#include "grids/GridMouse.h"
#include "grids/LeadGrid.h"
#include "grids/TopGrid.h"

namespace {

constexpr double kMiddle = 0.5;
constexpr double kNearLeft = 0.1;
constexpr double kNearRight = 0.9;

class GridMouseTest : public CGridTest {
protected:
    void SetUp() override {
        CGridTest::SetUp();
        m_lead = std::make_unique<CLeadGrid>(m_manager);
        Show(*m_lead, m_track);
        m_row = RowOf(*m_lead, 60);
    }

    // A note on middle C over columns 2..5 (0.25 s for 0.5 s).
    void AddC() {
        ASSERT_TRUE(m_track.AddNote(MakeNote(0.25, 0.5, 60, 39)));
        ASSERT_TRUE(m_lead->ShowTrack(m_track));
    }

    void Gesture(int pressColumn, double fraction, GRID_CELL release, bool ctrl = false) {
        CGridMouse mouse(*m_lead);
        mouse.Press({m_row, pressColumn}, fraction, ctrl);
        mouse.Drag(release, kMiddle);
        mouse.Release(release, kMiddle);
    }

    CTrack m_track;
    std::unique_ptr<CLeadGrid> m_lead;
    int m_row = -1;
};

TEST_F(GridMouseTest, PressingAnEmptyCellAndDraggingDrawsANote) {
    CGridMouse mouse(*m_lead);
    EXPECT_TRUE(mouse.Press({m_row, 2}, kMiddle, false));
    EXPECT_EQ(mouse.GetGesture(), GESTURE_DRAW);
    EXPECT_TRUE(mouse.Drag({m_row, 4}, kMiddle));
    EXPECT_FALSE(m_lead->IsChanged());
    EXPECT_TRUE(mouse.Release({m_row, 5}, kMiddle));
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.250 0.500 60 39"}));
    EXPECT_EQ(m_track.m_notes.GetAt(0)->length, 4);
    EXPECT_EQ(m_track.m_notes.GetAt(0)->GetName(), "C");
    EXPECT_TRUE(m_lead->IsChanged());
    EXPECT_EQ(mouse.GetGesture(), GESTURE_NONE);
}

TEST_F(GridMouseTest, DraggingLeftDrawsTowardsTheStart) {
    Gesture(5, kMiddle, {m_row, 2});
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.250 0.500 60 39"}));
}

TEST_F(GridMouseTest, DrawingStaysInThePressedRow) {
    Gesture(0, kMiddle, {m_row - 1, 1});
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.000 0.250 60 39"}));
}

TEST_F(GridMouseTest, CtrlClickOnAnEmptyCellStartsNoNote) {
    CGridMouse mouse(*m_lead);
    EXPECT_FALSE(mouse.Press({m_row, 3}, kMiddle, true));
    EXPECT_FALSE(mouse.Release({m_row, 3}, kMiddle));
    EXPECT_EQ(m_lead->GetNoteCount(), 0);
    EXPECT_EQ(m_track.m_notes.GetCount(), 0);
    EXPECT_FALSE(m_lead->IsChanged());
    EXPECT_FALSE(m_lead->CanUndo());
}

TEST_F(GridMouseTest, CtrlClickOnANoteDeletesIt) {
    AddC();
    CGridMouse mouse(*m_lead);
    EXPECT_TRUE(mouse.Press({m_row, 4}, kMiddle, true));
    EXPECT_FALSE(mouse.Release({m_row, 4}, kMiddle));
    EXPECT_EQ(m_track.m_notes.GetCount(), 0);
    EXPECT_TRUE(m_lead->IsChanged());
}

TEST_F(GridMouseTest, AMovedNoteGoesToTheCellUnderThePointerAndTakesItsRowsPitch) {
    AddC();
    const int dRow = RowOf(*m_lead, 62);
    Gesture(3, kMiddle, {dRow, 8});
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"1.000 0.500 62 39"}));
    EXPECT_EQ(m_track.m_notes.GetAt(0)->GetName(), "D");
}

TEST_F(GridMouseTest, TheStartCellChoosesStretchLeftOfThreeTenthsAndMoveOtherwise) {
    AddC();
    CGridMouse mouse(*m_lead);
    mouse.Press({m_row, 2}, 0.29, false);
    EXPECT_EQ(mouse.GetGesture(), GESTURE_STRETCH_START);
    mouse.Release({m_row, 0}, kMiddle);
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.000 0.750 60 39"}));

    mouse.Press({m_row, 0}, 0.3, false);
    EXPECT_EQ(mouse.GetGesture(), GESTURE_MOVE);
    mouse.Cancel();
}

TEST_F(GridMouseTest, TheEndCellChoosesStretchRightOfSevenTenthsAndMoveOtherwise) {
    AddC();
    CGridMouse mouse(*m_lead);
    mouse.Press({m_row, 5}, 0.71, false);
    EXPECT_EQ(mouse.GetGesture(), GESTURE_STRETCH_END);
    mouse.Release({m_row, 7}, kMiddle);
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.250 0.750 60 39"}));

    mouse.Press({m_row, 7}, 0.7, false);
    EXPECT_EQ(mouse.GetGesture(), GESTURE_MOVE);
    mouse.Cancel();
    mouse.Press({m_row, 4}, kNearRight, false);  // inside the note
    EXPECT_EQ(mouse.GetGesture(), GESTURE_MOVE);
    mouse.Cancel();
}

TEST_F(GridMouseTest, AOneCellNoteStretchesAtEitherEdgeAndMovesFromTheMiddle) {
    GRID_NOTE note;
    note.first = note.last = 3;
    EXPECT_EQ(CGridMouse::ChooseGesture(note, 3, 0.2), GESTURE_STRETCH_START);
    EXPECT_EQ(CGridMouse::ChooseGesture(note, 3, 0.8), GESTURE_STRETCH_END);
    EXPECT_EQ(CGridMouse::ChooseGesture(note, 3, kMiddle), GESTURE_MOVE);
}

TEST_F(GridMouseTest, StretchingNeverTurnsANoteInsideOut) {
    AddC();
    Gesture(2, kNearLeft, {m_row, 9});
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.625 0.125 60 39"}));
    Gesture(5, kNearRight, {m_row, 0});
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.625 0.125 60 39"}));
}

TEST_F(GridMouseTest, CancellingAGestureLeavesTheGridAsItWas) {
    AddC();
    CGridMouse mouse(*m_lead);
    mouse.Press({m_row, 3}, kMiddle, false);
    mouse.Drag({m_row, 12}, kMiddle);
    EXPECT_EQ(m_lead->GetNote(0).first, 12);
    mouse.Cancel();
    EXPECT_EQ(m_lead->GetNote(0).first, 2);
    EXPECT_FALSE(m_lead->IsChanged());
    EXPECT_FALSE(m_lead->CanUndo());
}

TEST_F(GridMouseTest, TheFingerRowTakesNoGestures) {
    ASSERT_TRUE(m_lead->SetDisplay(DISPLAY_TABS));
    CGridMouse mouse(*m_lead);
    EXPECT_FALSE(mouse.Press({0, 3}, kMiddle, false));
    EXPECT_EQ(m_lead->GetNoteCount(), 0);
}

TEST_F(GridMouseTest, InTabDisplayANoteDrawnOnAStringIsItsOpenStringAndKeepsItsFretWhenMoved) {
    ASSERT_TRUE(m_lead->SetDisplay(DISPLAY_TABS));
    const int string6 = RowLabelled(*m_lead, "Lead string 6");
    const int string5 = RowLabelled(*m_lead, "Lead string 5");
    CGridMouse mouse(*m_lead);
    mouse.Press({string6, 0}, kMiddle, false);
    mouse.Release({string6, 1}, kMiddle);
    EXPECT_EQ(m_track.m_notes.GetAt(0)->midiNote, 40);
    EXPECT_EQ(m_track.m_notes.GetAt(0)->guitarString, 6);
    ASSERT_TRUE(m_lead->SetFret(0, 3));
    mouse.Press({string6, 0}, kMiddle, false);
    mouse.Release({string5, 4}, kMiddle);
    const CNote& moved = *m_track.m_notes.GetAt(0);
    EXPECT_EQ(moved.guitarString, 5);
    EXPECT_EQ(moved.fret, 3);
    EXPECT_EQ(moved.midiNote, 48);
    EXPECT_DOUBLE_EQ(moved.time, 0.5);
}

TEST_F(GridMouseTest, TheTopGridIgnoresTheMouse) {
    CTopGrid top;
    CTrack markers;
    AddNotes(markers, {MakeMarker(EVENT_CHORD_MARKER, 0.0, 2.0)});
    Show(top, markers);
    CGridMouse mouse(top);
    EXPECT_FALSE(mouse.Press({0, 3}, kMiddle, false));
    EXPECT_FALSE(mouse.Press({1, 3}, kMiddle, true));
    EXPECT_FALSE(mouse.Release({1, 3}, kMiddle));
    EXPECT_EQ(top.GetNoteCount(), 1);
    EXPECT_EQ(markers.m_notes.GetCount(), 1);
    EXPECT_FALSE(top.IsChanged());
}

class DrumMouseTest : public CGridTest {
protected:
    void SetUp() override {
        CGridTest::SetUp();
        Show(m_drums, m_track);
    }

    CTrack m_track;
    CDrumGrid m_drums;
};

TEST_F(DrumMouseTest, ADrawnDrumNoteIsASingleHitOfTheRowsPiece) {
    CGridMouse mouse(m_drums);
    mouse.Press({7, 4}, kMiddle, false);
    mouse.Drag({7, 9}, kMiddle);
    mouse.Release({7, 9}, kMiddle);
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.500 0.125 38 9"}));
    EXPECT_EQ(m_drums.GetNote(0).last, 4);
}

TEST_F(DrumMouseTest, ADrumNotePressedNearItsLeftEdgeIsMovedNotStretched) {
    ASSERT_TRUE(m_track.AddNote(MakeNote(0.5, 0.125, 38, THING_SNARE_DRUM)));
    ASSERT_TRUE(m_drums.ShowTrack(m_track));
    CGridMouse mouse(m_drums);
    mouse.Press({7, 4}, kNearLeft, false);
    EXPECT_EQ(mouse.GetGesture(), GESTURE_MOVE);
    mouse.Release({7, 2}, kMiddle);
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.250 0.125 38 9"}));
    mouse.Press({7, 2}, kNearRight, false);
    EXPECT_EQ(mouse.GetGesture(), GESTURE_MOVE);
}

TEST_F(DrumMouseTest, ADrumMovedToAnotherRowBecomesThatRowsPiece) {
    ASSERT_TRUE(m_track.AddNote(MakeNote(0.0, 0.125, 42, THING_HI_HAT_CLOSED)));
    ASSERT_TRUE(m_drums.ShowTrack(m_track));
    CGridMouse mouse(m_drums);
    mouse.Press({5, 0}, kMiddle, false);
    mouse.Release({5, 1}, kMiddle);
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.125 0.125 42 5"}));
    mouse.Press({5, 1}, kMiddle, false);
    mouse.Release({10, 1}, kMiddle);
    EXPECT_EQ(Describe(m_track), (std::vector<std::string>{"0.125 0.125 36 2"}));
}

// A bar of rock drawn with the mouse: bass drum on 1 and 3, snare on 2 and 4,
// closed hi-hat eighths drawn into the hi-hat row as open hi-hats; and a bass
// line of two half-beat notes and a whole beat.
TEST_F(DrumMouseTest, AGrooveDrawnWithGesturesGivesItsNotes) {
    const int hiHat = 5;
    const int snare = 7;
    const int kick = 10;
    CGridMouse mouse(m_drums);
    auto hit = [&](int row, int column) {
        mouse.Press({row, column}, kMiddle, false);
        mouse.Release({row, column}, kMiddle);
    };
    for (int column = 0; column < 16; column += 2) {
        hit(hiHat, column);
    }
    hit(kick, 0);
    hit(kick, 8);
    hit(snare, 4);
    hit(snare, 12);
    EXPECT_EQ(m_track.m_notes.GetCount(), 12);
    std::vector<std::string> expected;
    for (int eighth = 0; eighth < 8; ++eighth) {
        const double time = eighth * 0.25;
        char line[64];
        if (eighth % 4 == 0) {
            snprintf(line, sizeof line, "%.3f 0.125 36 2", time);
            expected.push_back(line);
        }
        if (eighth % 4 == 2) {
            snprintf(line, sizeof line, "%.3f 0.125 38 9", time);
            expected.push_back(line);
        }
        snprintf(line, sizeof line, "%.3f 0.125 46 4", time);
        expected.push_back(line);
    }
    std::vector<std::string> actual = Describe(m_track);
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(actual, expected);

    CTrack bassTrack;
    CBassGrid bass(m_manager);
    Show(bass, bassTrack);
    CGridMouse bassMouse(bass);
    auto draw = [&](int midiNote, int first, int last) {
        bassMouse.Press({RowOf(bass, midiNote), first}, kMiddle, false);
        bassMouse.Release({RowOf(bass, midiNote), last}, kMiddle);
    };
    draw(36, 0, 1);
    draw(43, 2, 3);
    draw(40, 4, 7);
    EXPECT_EQ(
        Describe(bassTrack),
        (std::vector<std::string>{"0.000 0.250 36 36", "0.250 0.250 43 36", "0.500 0.500 40 36"}));
    EXPECT_EQ(bassTrack.m_notes.GetAt(2)->length, 4);
}

}  // namespace
