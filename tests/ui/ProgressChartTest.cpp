#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "LocalNoon.h"
#include "platform/null/NullImagePainter.h"
#include "ui/ProgressChart.h"

namespace {

std::string DayBefore(double now, int back) {
    const time_t when = static_cast<time_t>(now);
    tm local{};
    localtime_r(&when, &local);
    local.tm_mday -= back;
    local.tm_isdst = -1;
    mktime(&local);
    char text[16] = "";
    strftime(text, sizeof(text), "%Y-%m-%d", &local);
    return text;
}

// A year of days: the older days all right, the last four weeks half right.
std::vector<PRACTICE_DAY> AYear(double now) {
    std::vector<PRACTICE_DAY> days;
    for (int back = 364; back >= 0; --back) {
        PRACTICE_DAY day;
        day.day = DayBefore(now, back);
        day.notes = 30;
        day.rightFirstTryPercent = back < CProgressChart::kDays ? 50.0 : 100.0;
        day.meanReaction = 1.0 + back % 5 * 0.3;
        days.push_back(day);
    }
    return days;
}

// How many pixels of the rectangle have exactly argb.
int Count(const std::vector<uint32_t>& pixels, int width, int left, int top, int right, int bottom,
          uint32_t argb) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            count += pixels[static_cast<size_t>(y) * width + x] == argb ? 1 : 0;
        }
    }
    return count;
}

bool Drew(const CNullImagePainter& painter, const std::string& text) {
    for (const NULL_DRAWN_TEXT& drawn : painter.GetTexts()) {
        if (drawn.text == text) {
            return true;
        }
    }
    return false;
}

uint32_t Red(uint32_t argb) {
    return (argb >> 16) & 0xFF;
}
uint32_t Green(uint32_t argb) {
    return (argb >> 8) & 0xFF;
}
uint32_t Blue(uint32_t argb) {
    return argb & 0xFF;
}

}  // namespace

TEST(ProgressChart, AccuracyGoesFromRedThroughYellowToGreen) {
    const uint32_t missed = CProgressChart::AccuracyColor(0.0);
    const uint32_t half = CProgressChart::AccuracyColor(0.5);
    const uint32_t mastered = CProgressChart::AccuracyColor(1.0);
    EXPECT_EQ(missed >> 24, 0xFFu);
    EXPECT_GT(Red(missed), 2 * Green(missed));
    EXPECT_GT(Red(missed), 2 * Blue(missed));
    EXPECT_GT(Red(half), 0xC0u) << "yellow";
    EXPECT_GT(Green(half), 0xA0u);
    EXPECT_LT(Blue(half), 0x60u);
    EXPECT_GT(Green(mastered), 2 * Red(mastered));
    EXPECT_GT(Green(mastered), 2 * Blue(mastered));
    EXPECT_EQ(CProgressChart::AccuracyColor(-1.0), missed) << "clamped";
    EXPECT_EQ(CProgressChart::AccuracyColor(2.0), mastered);
    const uint32_t quarter = CProgressChart::AccuracyColor(0.25);
    EXPECT_GT(Green(quarter), Green(missed));
    EXPECT_LT(Green(quarter), Green(half));
}

TEST(ProgressChart, TheRightFractionOfANoteNeverShownIsNegative) {
    PRACTICE_NOTE_STATS note;
    EXPECT_LT(CProgressChart::RightFraction(note), 0.0);
    note.shown = 4;
    note.rightFirstTry = 3;
    EXPECT_DOUBLE_EQ(CProgressChart::RightFraction(note), 0.75);
}

TEST(ProgressChart, AnEmptyHistoryPaintsTheNoPracticeStateOnBothPictures) {
    CProgressChart chart;
    CNullImagePainter painter;
    std::vector<uint32_t> days;
    ASSERT_TRUE(chart.PaintDays(painter, {}, LocalNoon(), days)) << chart.GetError();
    ASSERT_EQ(days.size(),
              static_cast<size_t>(CProgressChart::kWidth * CProgressChart::kDaysHeight));
    EXPECT_TRUE(Drew(painter, CProgressChart::kNoPractice));
    EXPECT_TRUE(Drew(painter, "100%")) << "the axes stay";
    EXPECT_EQ(Count(days, CProgressChart::kWidth, 0, 0, CProgressChart::kWidth,
                    CProgressChart::kDaysHeight, CProgressChart::AccuracyColor(0.5)),
              0)
        << "no bars";

    std::vector<uint32_t> notes;
    ASSERT_TRUE(chart.PaintNotes(painter, {}, notes)) << chart.GetError();
    ASSERT_EQ(notes.size(),
              static_cast<size_t>(CProgressChart::kWidth * CProgressChart::kNotesHeight));
    EXPECT_TRUE(Drew(painter, CProgressChart::kNoPractice));
    const int keysBottom = CProgressChart::kKeysTop + CProgressChart::kWhiteKeyHeight;
    EXPECT_GT(Count(notes, CProgressChart::kWidth, 0, CProgressChart::kKeysTop,
                    CProgressChart::kWidth, keysBottom, CProgressChart::kNeverWhite),
              1000)
        << "the keys are grey";
    EXPECT_EQ(Count(notes, CProgressChart::kWidth, 0, CProgressChart::kKeysTop,
                    CProgressChart::kWidth, keysBottom, CProgressChart::AccuracyColor(1.0)),
              0);
}

TEST(ProgressChart, AYearOfDaysShowsOnlyTheLastFourWeeks) {
    const double now = LocalNoon();
    const std::vector<PRACTICE_DAY> year = AYear(now);
    const std::vector<CHART_DAY> slots = CProgressChart::LastDays(year, now);
    ASSERT_EQ(slots.size(), static_cast<size_t>(CProgressChart::kDays));
    EXPECT_EQ(slots.front().day, DayBefore(now, CProgressChart::kDays - 1));
    EXPECT_EQ(slots.back().day, DayBefore(now, 0));
    for (const CHART_DAY& slot : slots) {
        EXPECT_TRUE(slot.practised) << slot.day;
        EXPECT_DOUBLE_EQ(slot.stats.rightFirstTryPercent, 50.0) << slot.day;
    }

    CProgressChart chart;
    CNullImagePainter painter;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(chart.PaintDays(painter, year, now, pixels)) << chart.GetError();
    EXPECT_FALSE(Drew(painter, CProgressChart::kNoPractice));
    const int plotWidth = CProgressChart::kPlotRight - CProgressChart::kPlotLeft;
    const int plotHeight = CProgressChart::kPlotBottom - CProgressChart::kPlotTop;
    const int halfBars = Count(pixels, CProgressChart::kWidth, CProgressChart::kPlotLeft,
                               CProgressChart::kPlotTop, CProgressChart::kPlotRight,
                               CProgressChart::kPlotBottom, CProgressChart::AccuracyColor(0.5));
    // 28 bars of 70 % of their slot, half the plot high, less the line.
    EXPECT_GT(halfBars, plotWidth * plotHeight * 0.7 * 0.5 * 0.8);
    EXPECT_EQ(Count(pixels, CProgressChart::kWidth, CProgressChart::kPlotLeft,
                    CProgressChart::kPlotTop, CProgressChart::kPlotRight,
                    CProgressChart::kPlotBottom, CProgressChart::AccuracyColor(1.0)),
              0)
        << "an older day's bar is drawn";
}

TEST(ProgressChart, DaysWithoutPracticeLeaveGapsAndOnlyTheirDaysGetBars) {
    const double now = LocalNoon();
    PRACTICE_DAY today;
    today.day = DayBefore(now, 0);
    today.notes = 10;
    today.rightFirstTryPercent = 0.0;
    today.meanReaction = 2.0;
    const std::vector<CHART_DAY> slots = CProgressChart::LastDays({today}, now);
    ASSERT_EQ(slots.size(), static_cast<size_t>(CProgressChart::kDays));
    EXPECT_TRUE(slots.back().practised);
    EXPECT_FALSE(slots.front().practised);
    CProgressChart chart;
    CNullImagePainter painter;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(chart.PaintDays(painter, {today}, now, pixels));
    EXPECT_GT(Count(pixels, CProgressChart::kWidth, CProgressChart::kPlotLeft,
                    CProgressChart::kPlotTop, CProgressChart::kPlotRight,
                    CProgressChart::kPlotBottom, CProgressChart::AccuracyColor(0.0)),
              0)
        << "a day of none right still shows its bar";
}

TEST(ProgressChart, EachKeyTakesTheColourOfItsNote) {
    std::vector<PRACTICE_NOTE_STATS> stats(3);
    stats[0].midiNote = 60;  // C4, mastered
    stats[0].shown = 10;
    stats[0].rightFirstTry = 10;
    stats[1].midiNote = 61;  // C#4, missed
    stats[1].shown = 10;
    stats[2].midiNote = 45;  // A2, half
    stats[2].shown = 10;
    stats[2].rightFirstTry = 5;
    CProgressChart chart;
    CNullImagePainter painter;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(chart.PaintNotes(painter, stats, pixels)) << chart.GetError();
    EXPECT_FALSE(Drew(painter, CProgressChart::kNoPractice));
    const auto at = [&pixels](float x, int y) {
        return pixels[static_cast<size_t>(y) * CProgressChart::kWidth + static_cast<int>(x)];
    };
    const int whiteY = CProgressChart::kKeysTop + CProgressChart::kWhiteKeyHeight - 10;
    const int blackY = CProgressChart::kKeysTop + 20;
    EXPECT_EQ(at(CProgressChart::KeyCentre(60), whiteY), CProgressChart::AccuracyColor(1.0));
    EXPECT_EQ(at(CProgressChart::KeyCentre(61), blackY), CProgressChart::AccuracyColor(0.0));
    EXPECT_EQ(at(CProgressChart::KeyCentre(45), whiteY), CProgressChart::AccuracyColor(0.5));
    EXPECT_EQ(at(CProgressChart::KeyCentre(62), whiteY), CProgressChart::kNeverWhite);
    EXPECT_EQ(at(CProgressChart::KeyCentre(63), blackY), CProgressChart::kNeverBlack);
    EXPECT_EQ(CProgressChart::WhiteKeyCount(), 52);
    EXPECT_LT(CProgressChart::KeyCentre(CProgressChart::kHighestNote), CProgressChart::kWidth);
    // The staff holds a head of each note's colour above its key.
    int mastered = 0;
    for (int y = 0; y < CProgressChart::kKeysTop; ++y) {
        mastered += at(CProgressChart::KeyCentre(60), y) == CProgressChart::AccuracyColor(1.0);
    }
    EXPECT_GT(mastered, 3);
}
