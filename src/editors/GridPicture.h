#pragma once

#include <cstdint>
#include <string>

#include "grids/GridTypes.h"

class CNoteGrid;
class IImagePainter;

// The picture of one note grid: a column of row labels at the left and the
// grid's cells beside it, with beat and measure lines and the notes as bars
// across their cells. Knows where each cell lies, so that a point of the
// picture can be turned into a cell.
class CGridPicture {
public:
    static constexpr int kLabelWidth = 92;
    static constexpr int kMaxRowHeight = 14;
    static constexpr int kMinRowHeight = 4;
    static constexpr double kMaxBeatWidth = 160.0;
    // The colours of the notes: pitches and strums, drum hits, markers.
    static constexpr uint32_t kNoteColor = 0xFF2F6FD6;
    static constexpr uint32_t kDrumColor = 0xFFD4602C;
    static constexpr uint32_t kMarkerColor = 0xFF3E9A50;
    static constexpr uint32_t kPlayHeadColor = 0xFFE0281E;
    static constexpr float kPlayHeadWidth = 2.0f;
    static constexpr double kNoPlayHead = -1.0;

    // The layout of grid in a picture of width x height pixels; the rows
    // and beats share the room up to their largest sizes.
    CGridPicture(const CNoteGrid& grid, int width, int height);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetRowHeight() const { return m_rowHeight; }
    double GetBeatWidth() const { return m_beatWidth; }
    // The left edge and width of a column's cell, in pixels.
    double GetColumnLeft(int column) const;
    double GetColumnWidth(int column) const;
    int GetRowTop(int row) const { return row * m_rowHeight; }

    // The cell under a point and the point's place across it (0 left edge ..
    // 1 right edge); false when the point is off the cells (the cell then
    // holds the nearest row and column, which may lie outside the grid).
    bool HitTest(int x, int y, GRID_CELL& cell, double& fraction) const;

    // Paints the picture, with the play-head at playTime seconds of the
    // groove unless it is kNoPlayHead; false with the painter's reason.
    bool Paint(IImagePainter& painter, bool noteNames, std::string& error,
               double playTime = kNoPlayHead) const;
    // Where the play-head stands at time: x in pixels, -1 off the grid.
    double GetPlayHeadX(double time) const;

private:
    void PaintLabels(IImagePainter& painter) const;
    void PaintRows(IImagePainter& painter) const;
    void PaintLines(IImagePainter& painter) const;
    void PaintNote(IImagePainter& painter, const GRID_NOTE& note, bool noteNames) const;
    // A marker's text, the chord's name or the measure's number.
    CCharString MarkerText(const GRID_NOTE& placed) const;
    // Text centred in a box, shrunk to fit its width; nothing when it cannot.
    void PaintText(IImagePainter& painter, const char* text, double left, double width, int top,
                   uint32_t argb) const;

    const CNoteGrid& m_grid;
    int m_width;
    int m_height;
    int m_rowHeight;
    double m_beatWidth;
};
