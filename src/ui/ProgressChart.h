#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exercise/PracticeRecords.h"
#include "foundation/CharString.h"
#include "platform/ControlDialog.h"

class IImagePainter;

// One day of the per-day chart: a local day and what was practised on it.
struct CHART_DAY {
    std::string day;  // "YYYY-MM-DD"
    int dayOfMonth = 1;
    int month = 1;  // 1..12
    bool practised = false;
    PRACTICE_DAY stats;
};

// Paints the learner's progress as two pictures: the last days, with bars
// of the notes right at the first try and a line of the mean reaction, and
// a map of the notes, where each key and each note of a grand staff takes
// the colour of its accuracy. Both read only the statistics given, so that
// they can be painted without a history.
class CProgressChart {
public:
    static constexpr int kDays = 28;
    static constexpr int kWidth = 760;
    static constexpr int kDaysHeight = 250;
    static constexpr int kNotesHeight = 410;
    // The plot area of the per-day chart, in its pixels.
    static constexpr int kPlotLeft = 56;
    static constexpr int kPlotTop = 44;
    static constexpr int kPlotRight = kWidth - 60;
    static constexpr int kPlotBottom = kDaysHeight - 44;
    // The keyboard of the note map: A0..C8, and where it lies.
    static constexpr int kLowestNote = 21;
    static constexpr int kHighestNote = 108;
    static constexpr int kKeysLeft = 62;
    static constexpr int kKeysTop = 282;
    static constexpr int kWhiteKeyWidth = 13;
    static constexpr int kWhiteKeyHeight = 70;
    static constexpr uint32_t kNeverWhite = 0xFFD4D4D4;  // keys never practised
    static constexpr uint32_t kNeverBlack = 0xFF505050;
    static constexpr const char* kNoPractice = "No practice yet";

    // The colour of a share of right answers at the first try, shared with
    // the keys of the 3D keyboard.
    static uint32_t AccuracyColor(double rightFraction);
    // The share of stats right at the first try; negative when never shown.
    static double RightFraction(const PRACTICE_NOTE_STATS& stats);
    // The count local days that end with the day of now (Unix seconds),
    // oldest first, each with what days holds for it.
    static std::vector<CHART_DAY> LastDays(const std::vector<PRACTICE_DAY>& days, double now,
                                           int count = kDays);
    // The white keys of the note map, and the middle of a note's key.
    static int WhiteKeyCount();
    static float KeyCentre(int midiNote);
    static bool IsBlack(int midiNote);

    // The tips of the note map: for each note practised, over its dot on
    // the staff and over its key, "C4: 25 notes, 80% right at the first
    // try, 1.2 s on average".
    static std::vector<PICTURE_TIP> NoteTips(const std::vector<PRACTICE_NOTE_STATS>& stats);
    // Where a note's head lies on the staff, and its key.
    static WINDOW_RECT DotRect(int midiNote);
    static WINDOW_RECT KeyRect(int midiNote);

    // Each paints a picture of kWidth pixels into argb, top row first.
    bool PaintDays(IImagePainter& painter, const std::vector<PRACTICE_DAY>& days, double now,
                   std::vector<uint32_t>& argb);
    bool PaintNotes(IImagePainter& painter, const std::vector<PRACTICE_NOTE_STATS>& stats,
                    std::vector<uint32_t>& argb);

    const char* GetError() const { return m_error; }

private:
    bool Begin(IImagePainter& painter, int height);
    bool End(IImagePainter& painter, std::vector<uint32_t>& argb);
    static void PaintDayAxes(IImagePainter& painter, double mostSeconds);
    static void PaintDayLabels(IImagePainter& painter, const std::vector<CHART_DAY>& slots);
    static void PaintBars(IImagePainter& painter, const std::vector<CHART_DAY>& slots);
    static void PaintReactions(IImagePainter& painter, const std::vector<CHART_DAY>& slots,
                               double mostSeconds);
    static void PaintDayLegend(IImagePainter& painter);
    static void PaintStaff(IImagePainter& painter);
    static void PaintStaffNote(IImagePainter& painter, int midiNote, uint32_t color);
    static void PaintKeys(IImagePainter& painter, const std::vector<double>& fractions);
    static void PaintNoteLegend(IImagePainter& painter);
    static void PaintCentred(IImagePainter& painter, float size, float x, float y, const char* text,
                             uint32_t argb);

    CCharString m_error;
};
