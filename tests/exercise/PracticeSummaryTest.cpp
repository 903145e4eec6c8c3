// The streak and the week of the Progress window, over month ends and with
// a day not yet practised.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LocalNoon.h"
#include "exercise/PracticeSummary.h"

namespace {

constexpr double kDay = 86400.0;

PRACTICE_DAY Day(double now, int back, int notes, double percent) {
    PRACTICE_DAY day;
    day.day = CPracticeSummary::LocalDay(now, back);
    day.notes = notes;
    day.rightFirstTryPercent = percent;
    return day;
}

}  // namespace

TEST(PracticeSummary, CountsTheDaysInARowAndTheLastWeek) {
    const double now = LocalNoon();
    // Oldest first: 9 days ago (outside the week), 5 days ago, then the last
    // three days in a row.
    const std::vector<PRACTICE_DAY> days = {Day(now, 9, 50, 10.0), Day(now, 5, 20, 50.0),
                                            Day(now, 2, 10, 100.0), Day(now, 1, 30, 80.0),
                                            Day(now, 0, 40, 90.0)};
    EXPECT_EQ(CPracticeSummary::GetStreak(days, now), 3);
    // 20*50% + 10*100% + 30*80% + 40*90% = 80 of 100.
    EXPECT_EQ(CPracticeSummary::Describe(days, now, 28),
              "3 days of practice in a row. Last 7 days: 100 notes, 80% right at first try.");
    // Not yet today: yesterday's streak still runs.
    const std::vector<PRACTICE_DAY> untilYesterday(days.begin(), days.end() - 1);
    EXPECT_EQ(CPracticeSummary::GetStreak(untilYesterday, now), 2);
    // Two days without practice end it.
    EXPECT_EQ(CPracticeSummary::GetStreak({Day(now, 2, 5, 100.0)}, now), 0);
    EXPECT_EQ(CPracticeSummary::Describe({}, now, 28), "No practice yet");
    // A streak as long as the days read may be longer.
    EXPECT_EQ(CPracticeSummary::Describe({Day(now, 1, 5, 100.0), Day(now, 0, 5, 100.0)}, now, 2),
              "2 days or more of practice in a row. Last 7 days: 10 notes, 100% right at first "
              "try.");
}

TEST(PracticeSummary, AStreakRunsAcrossTheEndOfAMonthAndAYear) {
    // Noon of 2 January 2026, local: the streak runs back into December.
    struct tm local = {};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const double now = static_cast<double>(mktime(&local));
    EXPECT_EQ(CPracticeSummary::LocalDay(now, 2), "2025-12-31");
    std::vector<PRACTICE_DAY> days;
    for (int back = 40; back >= 0; --back) {
        days.push_back(Day(now, back, 1, 100.0));
    }
    EXPECT_EQ(CPracticeSummary::GetStreak(days, now), 41);
    EXPECT_EQ(CPracticeSummary::LocalDay(now + 30 * kDay, 30), "2026-01-02");
}
