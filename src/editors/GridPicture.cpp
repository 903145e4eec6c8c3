#include "editors/GridPicture.h"

#include <algorithm>
#include <cmath>

#include "grids/NoteGrid.h"
#include "platform/ImagePainter.h"
#include "theory/NoteManager.h"

namespace {

constexpr const char* kFace = "Sans";

constexpr uint32_t kBackground = 0xFFFFFFFF;
constexpr uint32_t kLabelBackground = 0xFFE6E8EE;
constexpr uint32_t kLabelHighlight = 0xFFFFDC80;
constexpr uint32_t kLabelText = 0xFF202028;
constexpr uint32_t kHighlightRow = 0xFFFFF4D0;
constexpr uint32_t kFingerRow = 0xFFECECF6;
constexpr uint32_t kRowLine = 0xFFE2E2E8;
constexpr uint32_t kCellLine = 0xFFEDEDF0;
constexpr uint32_t kTripletLine = 0xFFD6C4EC;
constexpr uint32_t kBeatLine = 0xFFB4B4C0;
constexpr uint32_t kMeasureLine = 0xFF383848;
constexpr uint32_t kNoteText = 0xFFFFFFFF;
constexpr uint32_t kFingerText = 0xFF5040A0;
constexpr uint32_t kOffGridColor = 0xFFE0141E;

constexpr float kMeasureLineWidth = 2.0f;
constexpr float kThinLine = 1.0f;
constexpr float kNoteInset = 1.0f;       // between a note's bar and its cell's edges
constexpr float kOffGridWidth = 2.0f;    // the mark at the left of an off-grid note
constexpr float kTextPadding = 2.0f;     // around the texts
constexpr float kMinTextSize = 6.0f;     // smaller texts are left out
constexpr float kBaselineShare = 0.78f;  // of the row height, from the row's top
constexpr float kCharacterShare = 0.5f;  // a narrow character's width, of the text size

}  // namespace

CGridPicture::CGridPicture(const CNoteGrid& grid, int width, int height)
    : m_grid(grid), m_width(std::max(width, kLabelWidth + 1)), m_height(std::max(height, 1)) {
    const int rows = std::max(grid.GetRowCount(), 1);
    m_rowHeight = std::clamp(m_height / rows, kMinRowHeight, kMaxRowHeight);
    const int beats = std::max(grid.GetLayout().GetBeatCount(), 1);
    m_beatWidth = std::min(kMaxBeatWidth, static_cast<double>(m_width - kLabelWidth) / beats);
}

double CGridPicture::GetColumnLeft(int column) const {
    const GRID_COLUMN& place = m_grid.GetLayout().GetColumn(column);
    return kLabelWidth + (place.beat + static_cast<double>(place.cell) / place.cells) * m_beatWidth;
}

double CGridPicture::GetColumnWidth(int column) const {
    return m_beatWidth / m_grid.GetLayout().GetColumn(column).cells;
}

bool CGridPicture::HitTest(int x, int y, GRID_CELL& cell, double& fraction) const {
    const CGridLayout& layout = m_grid.GetLayout();
    const double beats = (x - kLabelWidth + 0.5) / m_beatWidth;
    const int beat = static_cast<int>(std::floor(beats));
    cell.row = y >= 0 ? y / m_rowHeight : -1;
    fraction = 0.0;
    if (beat < 0 || beat >= layout.GetBeatCount()) {
        cell.column = beat < 0 ? -1 : layout.GetColumnCount();
        return false;
    }
    const int cells = layout.GetCellsInBeat(beat);
    const double across = (beats - beat) * cells;
    const int inBeat = std::min(static_cast<int>(across), cells - 1);
    cell.column = layout.GetFirstColumn(beat) + inBeat;
    fraction = std::clamp(across - inBeat, 0.0, 1.0);
    return cell.row >= 0 && cell.row < m_grid.GetRowCount();
}

bool CGridPicture::Paint(IImagePainter& painter, bool noteNames, std::string& error,
                         double playTime) const {
    if (!painter.Begin(m_width, m_height, error)) {
        return false;
    }
    painter.FillRect(0, 0, static_cast<float>(m_width), static_cast<float>(m_height), kBackground);
    PaintRows(painter);
    PaintLines(painter);
    for (int i = 0; i < m_grid.GetNoteCount(); ++i) {
        PaintNote(painter, m_grid.GetNote(i), noteNames);
    }
    const double playX = playTime == kNoPlayHead ? -1.0 : GetPlayHeadX(playTime);
    if (playX >= 0.0) {
        const auto x = static_cast<float>(playX);
        painter.DrawLine(x, 0.0f, x, static_cast<float>(m_height), kPlayHeadWidth, kPlayHeadColor);
    }
    PaintLabels(painter);
    return true;
}

double CGridPicture::GetPlayHeadX(double time) const {
    const CGridLayout& layout = m_grid.GetLayout();
    const int column = layout.FindColumn(time);
    if (column < 0 || column >= layout.GetColumnCount()) {
        return -1.0;
    }
    const double duration = layout.GetColumnDuration(column);
    const double across = duration > 0.0 ? (time - layout.GetColumnTime(column)) / duration : 0.0;
    return GetColumnLeft(column) + std::clamp(across, 0.0, 1.0) * GetColumnWidth(column);
}

void CGridPicture::PaintRows(IImagePainter& painter) const {
    const float width = static_cast<float>(m_width - kLabelWidth);
    for (int row = 0; row < m_grid.GetRowCount(); ++row) {
        const GRID_ROW& place = m_grid.GetRow(row);
        const auto top = static_cast<float>(GetRowTop(row));
        if (place.kind == ROW_FINGER) {
            painter.FillRect(kLabelWidth, top, width, m_rowHeight, kFingerRow);
        } else if (place.highlight) {
            painter.FillRect(kLabelWidth, top, width, m_rowHeight, kHighlightRow);
        }
        painter.FillRect(kLabelWidth, top + m_rowHeight - kThinLine, width, kThinLine, kRowLine);
    }
}

void CGridPicture::PaintLines(IImagePainter& painter) const {
    const CGridLayout& layout = m_grid.GetLayout();
    const auto bottom = static_cast<float>(m_grid.GetRowCount() * m_rowHeight);
    for (int column = 0; column < layout.GetColumnCount(); ++column) {
        const GRID_COLUMN& place = layout.GetColumn(column);
        const auto x = static_cast<float>(std::round(GetColumnLeft(column)));
        if (place.cell == 0) {
            continue;  // a beat's line
        }
        const uint32_t color = layout.IsTriplet(place.beat) ? kTripletLine : kCellLine;
        painter.FillRect(x, 0, kThinLine, bottom, color);
    }
    for (int beat = 0; beat <= layout.GetBeatCount(); ++beat) {
        const auto x = static_cast<float>(std::round(kLabelWidth + beat * m_beatWidth));
        if (beat % layout.GetBeatsPerMeasure() == 0) {
            painter.FillRect(x - kMeasureLineWidth / 2, 0, kMeasureLineWidth, bottom, kMeasureLine);
        } else {
            painter.FillRect(x, 0, kThinLine, bottom, kBeatLine);
        }
    }
}

void CGridPicture::PaintNote(IImagePainter& painter, const GRID_NOTE& placed,
                             bool noteNames) const {
    if (placed.first < 0 || placed.row < 0 || placed.row >= m_grid.GetRowCount()) {
        return;  // past the last measure
    }
    const CNote& note = placed.note;
    const double left = std::round(GetColumnLeft(placed.first)) + kNoteInset;
    const double right =
        std::round(GetColumnLeft(placed.last) + GetColumnWidth(placed.last)) - kNoteInset;
    const int top = GetRowTop(placed.row);
    const float height = m_rowHeight - 2 * kNoteInset;
    if (note.IsDrum()) {
        // A single hit: a dot in its first cell.
        const double radius = std::min(GetColumnWidth(placed.first), 1.0 * m_rowHeight) / 2;
        painter.FillEllipse(
            static_cast<float>(left - kNoteInset + GetColumnWidth(placed.first) / 2),
            top + m_rowHeight / 2.0f, static_cast<float>(radius),
            static_cast<float>(radius) - kNoteInset, kDrumColor);
    } else {
        const uint32_t color = note.IsMarker() ? kMarkerColor : kNoteColor;
        painter.FillRect(static_cast<float>(left), top + kNoteInset,
                         static_cast<float>(std::max(right - left, 1.0)), height, color);
    }
    if (placed.offGrid) {
        painter.FillRect(static_cast<float>(left - kNoteInset), static_cast<float>(top),
                         kOffGridWidth, static_cast<float>(m_rowHeight), kOffGridColor);
    }
    CCharString text;
    if (note.IsMarker()) {
        text = MarkerText(placed);
    } else if (m_grid.GetDisplay() == DISPLAY_TABS && placed.fret != UNSET) {
        text.Format("%d", placed.fret);
    } else if (noteNames && !note.IsDrum()) {
        text = note.GetName();
    }
    if (!text.IsEmpty()) {
        PaintText(painter, text, left, right - left, top, kNoteText);
    }
    if (m_grid.GetDisplay() == DISPLAY_TABS && note.finger != UNSET && m_grid.GetRowCount() > 0 &&
        m_grid.GetRow(0).kind == ROW_FINGER) {
        text.Format("%d", note.finger);
        PaintText(painter, text, left, GetColumnWidth(placed.first), 0, kFingerText);
    }
}

CCharString CGridPicture::MarkerText(const GRID_NOTE& placed) const {
    const CNote& marker = placed.note;
    CCharString text = marker.GetMarkerText();
    if (!text.IsEmpty()) {
        return text;
    }
    if (marker.eventKind == EVENT_MEASURE_MARKER) {
        text.Format("%d", m_grid.GetLayout().GetColumn(placed.first).measure + 1);
    } else if (!marker.GetChord().name.IsEmpty()) {
        text = marker.GetChord().name;
    } else {
        CNoteManager::GetChordName(marker.GetChord().chordType, marker.GetChord().root, text);
    }
    return text;
}

void CGridPicture::PaintLabels(IImagePainter& painter) const {
    painter.FillRect(0, 0, kLabelWidth, static_cast<float>(m_height), kLabelBackground);
    for (int row = 0; row < m_grid.GetRowCount(); ++row) {
        const GRID_ROW& place = m_grid.GetRow(row);
        const int top = GetRowTop(row);
        if (place.highlight) {
            painter.FillRect(0, static_cast<float>(top), kLabelWidth, m_rowHeight, kLabelHighlight);
        }
        PaintText(painter, place.label, 0, kLabelWidth, top, kLabelText);
    }
    painter.FillRect(kLabelWidth - kThinLine, 0, kThinLine, static_cast<float>(m_height),
                     kMeasureLine);
}

void CGridPicture::PaintText(IImagePainter& painter, const char* text, double left, double width,
                             int top, uint32_t argb) const {
    float size = static_cast<float>(m_rowHeight) - kTextPadding;
    const auto room = static_cast<float>(width) - kTextPadding;
    if (room < kMinTextSize * kCharacterShare || size < kMinTextSize) {
        return;  // not even one character fits
    }
    const float measured = painter.MeasureText(kFace, size, text);
    if (measured > room && measured > 0.0f) {
        size *= room / measured;
    }
    if (size < kMinTextSize) {
        return;
    }
    const float textWidth = painter.MeasureText(kFace, size, text);
    const float x = static_cast<float>(left + (width - textWidth) / 2);
    painter.DrawText(kFace, size, x, top + m_rowHeight * kBaselineShare, text, argb);
}
