// Times repainting the Song Editor's five grids with the Qt painter for an
// 8-measure groove whose every row has a note in every cell, at the sizes
// the editor gives them: the best of several runs, in milliseconds.

#include <stdlib.h>

#include <QGuiApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "BestTime.h"
#include "editors/GridPicture.h"
#include "editors/GrooveGrids.h"
#include "editors/GrooveInfoDlg.h"
#include "editors/SongEditorLayout.h"
#include "grids/NoteGrid.h"
#include "platform/qt/QtImagePainter.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kMeasures = 8;
constexpr int kRuns = 20;
constexpr double kFrameMs = 16.0;

// A note in every cell of every row the mouse can draw into.
bool FillEveryRow(CNoteGrid& grid) {
    if (grid.IgnoresMouse()) {
        return true;
    }
    grid.BeginEdit();
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        for (int column = 0; row < grid.GetRowCount() && grid.IsNoteRow(row) &&
                             column < grid.GetLayout().GetColumnCount();
             ++column) {
            if (grid.InsertNote(row, column, column) < 0) {
                grid.CancelEdit();
                return false;
            }
        }
    }
    grid.CommitEdit();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Painting needs no display; a platform the caller chose is kept.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    CNoteManager manager;
    if (!manager.Init()) {
        std::fprintf(stderr, "Can't set up the note tables\n");
        return 1;
    }
    CGrooveGrids grids(manager);
    GROOVE_INFO info;
    info.measures = kMeasures;
    if (!grids.MakeNew(info)) {
        std::fprintf(stderr, "%s\n", grids.GetError());
        return 1;
    }
    int notes = 0;
    for (int i = 0; i < CGrooveGrids::kGridCount; ++i) {
        if (!FillEveryRow(grids.GetGrid(i))) {
            std::fprintf(stderr, "Can't fill grid %d: %s\n", i, grids.GetGrid(i).GetError());
            return 1;
        }
        notes += grids.GetGrid(i).GetNoteCount();
    }
    CQtImagePainter painter;
    std::vector<uint32_t> pixels;
    const double best = BestMilliseconds(kRuns, [&]() {
        for (int i = 0; i < CGrooveGrids::kGridCount; ++i) {
            const WINDOW_RECT rect =
                CSongEditorLayout::GetItemRect(CSongEditorLayout::kGridViews[i]);
            const CGridPicture picture(grids.GetGrid(i), rect.width, rect.height);
            std::string error;
            if (!picture.Paint(painter, true, error) || !painter.End(pixels, error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return false;
            }
        }
        return true;
    });
    std::printf(
        "Five grids, %d measures, %d notes: repainted in %.2f ms (best of %d; a frame is "
        "%.0f ms)\n",
        kMeasures, notes, best, kRuns, kFrameMs);
    return best >= 0.0 && best < kFrameMs ? 0 : 1;
}
