#pragma once

#include <string>
#include <vector>

#include "exercise/PracticeRecords.h"

// The figures learners ask each other for, from the days of practice: the
// streak of days practised in a row up to today (a streak whose last day was
// yesterday still runs), and the notes of the last week with how many were
// right at first try.
class CPracticeSummary {
public:
    static constexpr int kWeekDays = 7;

    // days: the days with practice, oldest first (CPracticeHistory::GetDays);
    // now: Unix seconds.
    static int GetStreak(const std::vector<PRACTICE_DAY>& days, double now);
    // "3 days of practice in a row. Last 7 days: 120 notes, 85% right at
    // first try." or "No practice yet". days cover the last windowDays
    // days: a streak that reaches back that far is "windowDays days or more".
    static std::string Describe(const std::vector<PRACTICE_DAY>& days, double now, int windowDays);
    // "Notes per minute: Welcome 42, Bass clef 30." for the lessons practised
    // last (at most maxLessons), from each one's mean time to a right
    // answer; empty without any.
    static std::string DescribePaces(const std::vector<PRACTICE_LESSON_PACE>& paces,
                                     size_t maxLessons = kPaceLessons);
    static constexpr size_t kPaceLessons = 4;
    static constexpr double kSecondsPerMinute = 60.0;
    // "YYYY-MM-DD" of the local day daysBack days before the day of now.
    static std::string LocalDay(double now, int daysBack);
};
