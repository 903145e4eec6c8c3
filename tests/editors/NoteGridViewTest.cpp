// The Song Editor's grid views on the null platform: notes drawn, moved and
// deleted with the pointer at pixel positions, the grid's menu on the right
// button, and the pictures of the grids.
#include <gtest/gtest.h>

#include <algorithm>

#include "SongEditorFixture.h"
#include "editors/GridPicture.h"
#include "grids/GridMenu.h"

namespace {

using P = CGridPicture;

// The geometry the views must have: the label column, then beats sharing
// the width, rows sharing the height.
struct GEOMETRY {
    double beatWidth = 0.0;
    int rowHeight = 0;
};

GEOMETRY GeometryOf(CNoteGridView& view, const CNoteGrid& grid) {
    GEOMETRY geometry;
    geometry.beatWidth = std::min(P::kMaxBeatWidth, double(view.GetWidth() - P::kLabelWidth) /
                                                        grid.GetLayout().GetBeatCount());
    geometry.rowHeight =
        std::clamp(view.GetHeight() / grid.GetRowCount(), P::kMinRowHeight, P::kMaxRowHeight);
    return geometry;
}

POINTER_EVENT Pointer(POINTER_EVENT::Kind kind, int x, int y,
                      POINTER_EVENT::Button button = POINTER_EVENT::kLeft, bool ctrl = false) {
    POINTER_EVENT event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    event.button = button;
    event.ctrl = ctrl;
    return event;
}

}  // namespace

class NoteGridViewTest : public SongEditorTest {
protected:
    void SetUp() override {
        SongEditorTest::SetUp();
        SONG_EDITOR_SETTINGS settings;
        settings.style = "Rock";
        settings.groove = "Beat";
        settings.showNotes = false;
        Open(settings);
        ASSERT_TRUE(m_editor->GetGrids().HasGroove());
    }
    CNoteGrid& Grid(int grid) { return m_editor->GetGrids().GetGrid(grid); }
    CNoteGridView& View(int grid) { return m_editor->GetGridView(grid); }
    int Id(int grid) { return L::kGridViews[grid]; }
    // The pixel of a plain beat's cell (4 cells a beat) at fraction across it,
    // in the middle of row.
    void PixelOf(int grid, int row, int column, double fraction, int& x, int& y) {
        const GEOMETRY geometry = GeometryOf(View(grid), Grid(grid));
        const double cell = geometry.beatWidth / 4;
        x = static_cast<int>(P::kLabelWidth + (column + fraction) * cell);
        y = row * geometry.rowHeight + geometry.rowHeight / 2;
    }
    void Point(int grid, POINTER_EVENT::Kind kind, int row, int column, double fraction,
               POINTER_EVENT::Button button = POINTER_EVENT::kLeft, bool ctrl = false) {
        int x = 0;
        int y = 0;
        PixelOf(grid, row, column, fraction, x, y);
        ASSERT_TRUE(m_dialog->Point(Id(grid), Pointer(kind, x, y, button, ctrl)));
    }
    uint32_t PixelAt(int grid, int row, int column) {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(m_dialog->GetPicture(Id(grid), width, height, pixels));
        int x = 0;
        int y = 0;
        PixelOf(grid, row, column, 0.5, x, y);
        return pixels.at(static_cast<size_t>(y) * width + x);
    }
    // The pixels of colour in the picture of a grid, and their bounds.
    int CountColor(int grid, uint32_t color, int& left, int& top, int& right, int& bottom) {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(m_dialog->GetPicture(Id(grid), width, height, pixels));
        left = width;
        top = height;
        right = -1;
        bottom = -1;
        int count = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixels[static_cast<size_t>(y) * width + x] == color) {
                    ++count;
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        return count;
    }
};

TEST_F(NoteGridViewTest, ANoteDrawnByPressDragAndReleaseLandsInTheCellsUnderThePointer) {
    const int lead = CGrooveGrids::kLead;
    ASSERT_EQ(Grid(lead).GetNoteCount(), 0);
    Point(lead, POINTER_EVENT::kPress, 3, 1, 0.5);
    Point(lead, POINTER_EVENT::kMove, 3, 4, 0.5);
    Point(lead, POINTER_EVENT::kMove, 3, 5, 0.2);
    Point(lead, POINTER_EVENT::kRelease, 3, 5, 0.4);
    ASSERT_EQ(Grid(lead).GetNoteCount(), 1);
    const GRID_NOTE& note = Grid(lead).GetNote(0);
    EXPECT_EQ(note.row, 3);
    EXPECT_EQ(note.first, 1);
    EXPECT_EQ(note.last, 5);
    EXPECT_EQ(note.note.midiNote, Grid(lead).GetRow(3).midiNote);
    EXPECT_DOUBLE_EQ(note.note.time, 0.125);
    EXPECT_DOUBLE_EQ(note.note.duration, 5 * 0.125);
    EXPECT_TRUE(m_editor->GetGrids().IsChanged());

    // The lead grid's edit is the one undone.
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(Grid(lead).GetNoteCount(), 0);
    EXPECT_EQ(Grid(CGrooveGrids::kDrums).GetNoteCount(), 4);
    int left, top, right, bottom;
    EXPECT_EQ(CountColor(lead, P::kNoteColor, left, top, right, bottom), 0)
        << "the undone note is still painted";
}

TEST_F(NoteGridViewTest, ThePictureShowsTheDrawnNoteInItsCellsAndNowhereElse) {
    const int lead = CGrooveGrids::kLead;
    Point(lead, POINTER_EVENT::kPress, 5, 2, 0.5);
    Point(lead, POINTER_EVENT::kRelease, 5, 6, 0.5);
    ASSERT_EQ(Grid(lead).GetNoteCount(), 1);
    for (int column = 2; column <= 6; ++column) {
        EXPECT_EQ(PixelAt(lead, 5, column), P::kNoteColor) << "column " << column;
    }
    EXPECT_NE(PixelAt(lead, 5, 1), P::kNoteColor);
    EXPECT_NE(PixelAt(lead, 5, 7), P::kNoteColor);
    EXPECT_NE(PixelAt(lead, 4, 3), P::kNoteColor);
    EXPECT_NE(PixelAt(lead, 6, 3), P::kNoteColor);
    int left, top, right, bottom;
    EXPECT_GT(CountColor(lead, P::kNoteColor, left, top, right, bottom), 100);
    int x0, y0, x1, y1;
    PixelOf(lead, 5, 2, 0.0, x0, y0);
    PixelOf(lead, 5, 7, 0.0, x1, y1);
    const int rowHeight = GeometryOf(View(lead), Grid(lead)).rowHeight;
    EXPECT_GE(left, x0);
    EXPECT_LE(right, x1);
    EXPECT_GE(top, 5 * rowHeight);
    EXPECT_LT(bottom, 6 * rowHeight);
}

TEST_F(NoteGridViewTest, TheDrumPictureShowsAHitOnEveryBeatOfItsRowOnly) {
    const int drums = CGrooveGrids::kDrums;
    ASSERT_EQ(Grid(drums).GetNoteCount(), 4);
    const int row = Grid(drums).GetNote(0).row;
    for (int beat = 0; beat < 4; ++beat) {
        EXPECT_EQ(PixelAt(drums, row, beat * 4), P::kDrumColor) << "beat " << beat;
        EXPECT_NE(PixelAt(drums, row, beat * 4 + 2), P::kDrumColor) << "beat " << beat;
    }
    int left, top, right, bottom;
    EXPECT_GT(CountColor(drums, P::kDrumColor, left, top, right, bottom), 4 * 20);
    const int rowHeight = GeometryOf(View(drums), Grid(drums)).rowHeight;
    EXPECT_GE(top, row * rowHeight);
    EXPECT_LT(bottom, (row + 1) * rowHeight);
    // The other grids are empty: no note colour at all, yet not blank.
    EXPECT_EQ(CountColor(CGrooveGrids::kBass, P::kNoteColor, left, top, right, bottom), 0);
    EXPECT_GT(CountColor(CGrooveGrids::kBass, 0xFFFFFFFF, left, top, right, bottom), 1000);
}

TEST_F(NoteGridViewTest, TheHitTestDividesATripletBeatInThree) {
    const int lead = CGrooveGrids::kLead;
    ASSERT_TRUE(Grid(lead).SetTriplets(1, true));
    const GEOMETRY geometry = GeometryOf(View(lead), Grid(lead));
    const double beatLeft = P::kLabelWidth + geometry.beatWidth;
    const double third = geometry.beatWidth / 3;
    GRID_CELL cell;
    double fraction = 0.0;
    ASSERT_TRUE(View(lead).HitTest(static_cast<int>(beatLeft + 1.5 * third), 25, cell, fraction));
    EXPECT_EQ(cell.row, 25 / geometry.rowHeight);
    EXPECT_EQ(cell.column, 4 + 1);
    EXPECT_NEAR(fraction, 0.5, 0.05);
    ASSERT_TRUE(View(lead).HitTest(static_cast<int>(beatLeft + 2.9 * third), 5, cell, fraction));
    EXPECT_EQ(cell.column, 4 + 2);
    EXPECT_NEAR(fraction, 0.9, 0.05);
    // The beat after it starts at column 7, in quarters again.
    ASSERT_TRUE(View(lead).HitTest(static_cast<int>(beatLeft + geometry.beatWidth * 1.3), 5, cell,
                                   fraction));
    EXPECT_EQ(cell.column, 7 + 1);
    EXPECT_NEAR(fraction, 0.2, 0.05);
    // The label column and below the rows are off the cells.
    EXPECT_FALSE(View(lead).HitTest(P::kLabelWidth / 2, 5, cell, fraction));
    EXPECT_FALSE(
        View(lead).HitTest(200, Grid(lead).GetRowCount() * geometry.rowHeight + 1, cell, fraction));
}

TEST_F(NoteGridViewTest, TheRightButtonPopsUpTheGridMenuAndClearsTheRow) {
    const int drums = CGrooveGrids::kDrums;
    const int row = Grid(drums).GetNote(0).row;
    Windows().ScriptMenuChoice(CGridMenu::kClearRow);
    const size_t popups = Windows().GetPopups().size();
    int x = 0;
    int y = 0;
    PixelOf(drums, row, 5, 0.5, x, y);
    ASSERT_TRUE(
        m_dialog->Point(Id(drums), Pointer(POINTER_EVENT::kPress, x, y, POINTER_EVENT::kRight)));
    ASSERT_TRUE(
        m_dialog->Point(Id(drums), Pointer(POINTER_EVENT::kRelease, x, y, POINTER_EVENT::kRight)));
    ASSERT_EQ(Windows().GetPopups().size(), popups + 1);
    const POPUP_RECORD& popup = Windows().GetPopups().back();
    const WINDOW_RECT rect = L::GetItemRect(Id(drums));
    EXPECT_EQ(popup.x, rect.left + x);
    EXPECT_EQ(popup.y, rect.top + y);
    EXPECT_TRUE(popup.hasOwner);
    const auto clear = std::find_if(popup.menu.begin(), popup.menu.end(), [](const MENU_ITEM& i) {
        return i.commandId == CGridMenu::kClearRow;
    });
    ASSERT_NE(clear, popup.menu.end());
    EXPECT_EQ(clear->text, "Clear this row (all beats)");
    EXPECT_TRUE(clear->enabled);
    EXPECT_EQ(Grid(drums).GetNoteCount(), 0);
    int left, top, right, bottom;
    EXPECT_EQ(CountColor(drums, P::kDrumColor, left, top, right, bottom), 0);

    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(Grid(drums).GetNoteCount(), 4);
    EXPECT_GT(CountColor(drums, P::kDrumColor, left, top, right, bottom), 0);
}

TEST_F(NoteGridViewTest, CtrlOnANoteDeletesItAndADismissedMenuChangesNothing) {
    const int drums = CGrooveGrids::kDrums;
    const int row = Grid(drums).GetNote(0).row;
    Point(drums, POINTER_EVENT::kPress, row, 4, 0.5, POINTER_EVENT::kRight);
    EXPECT_EQ(Grid(drums).GetNoteCount(), 4);
    Point(drums, POINTER_EVENT::kPress, row, 4, 0.5, POINTER_EVENT::kLeft, true);
    Point(drums, POINTER_EVENT::kRelease, row, 4, 0.5);
    EXPECT_EQ(Grid(drums).GetNoteCount(), 3);
    EXPECT_NE(PixelAt(drums, row, 4), P::kDrumColor);
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(Grid(drums).GetNoteCount(), 4);
    EXPECT_EQ(PixelAt(drums, row, 4), P::kDrumColor);
}

TEST_F(NoteGridViewTest, TheMenusDeleteLastMeasureGoesToTheEditor) {
    Windows().ScriptMenuChoice(CGridMenu::kDeleteLastMeasure);
    Point(CGrooveGrids::kBass, POINTER_EVENT::kPress, 2, 3, 0.5, POINTER_EVENT::kRight);
    ASSERT_FALSE(Windows().GetBoxes().empty());
    EXPECT_EQ(LastBox().text, CSongEditorDlg::kOnlyMeasure);
}

TEST_F(NoteGridViewTest, TheMenusAddMeasureWidensEveryGrid) {
    Windows().ScriptMenuChoice(CGridMenu::kAddMeasure);
    Point(CGrooveGrids::kLead, POINTER_EVENT::kPress, 2, 3, 0.5, POINTER_EVENT::kRight);
    for (int grid = 0; grid < CGrooveGrids::kGridCount; ++grid) {
        EXPECT_EQ(Grid(grid).GetLayout().GetMeasures(), 2) << "grid " << grid;
    }
    // The drum hits now share the width with a second, empty measure.
    const int drums = CGrooveGrids::kDrums;
    const int row = Grid(drums).GetNote(0).row;
    EXPECT_EQ(PixelAt(drums, row, 0), P::kDrumColor);
    m_editor->RunCommand(L::kUndo);
    EXPECT_EQ(Grid(CGrooveGrids::kTop).GetLayout().GetMeasures(), 1);
}
