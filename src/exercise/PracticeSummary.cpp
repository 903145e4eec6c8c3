#include "exercise/PracticeSummary.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {
constexpr size_t kDayLength = 16;
constexpr int kNoon = 12;  // a day's middle: no daylight-saving change moves it to another day
constexpr double kPercent = 100.0;
}  // namespace

std::string CPracticeSummary::LocalDay(double now, int daysBack) {
    const auto seconds = static_cast<time_t>(now);
    struct tm local = {};
    localtime_r(&seconds, &local);
    local.tm_mday -= daysBack;
    local.tm_hour = kNoon;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    mktime(&local);  // brings the day into its month
    char text[kDayLength] = {};
    strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

int CPracticeSummary::GetStreak(const std::vector<PRACTICE_DAY>& days, double now) {
    std::set<std::string> practised;
    for (const PRACTICE_DAY& day : days) {
        if (day.notes > 0) {
            practised.insert(day.day);
        }
    }
    // Today not yet practised leaves yesterday's streak running.
    int back = practised.count(LocalDay(now, 0)) > 0 ? 0 : 1;
    int streak = 0;
    while (practised.count(LocalDay(now, back)) > 0) {
        ++streak;
        ++back;
    }
    return streak;
}

std::string CPracticeSummary::Describe(const std::vector<PRACTICE_DAY>& days, double now,
                                       int windowDays) {
    if (days.empty()) {
        return "No practice yet";
    }
    const std::string weekStart = LocalDay(now, kWeekDays - 1);
    int notes = 0;
    double right = 0.0;
    for (const PRACTICE_DAY& day : days) {
        if (day.day >= weekStart) {
            notes += day.notes;
            right += day.notes * day.rightFirstTryPercent / kPercent;
        }
    }
    const int streak = GetStreak(days, now);
    std::string text;
    if (streak >= windowDays) {
        text = std::to_string(windowDays) + " days or more of practice in a row. ";
    } else if (streak == 1) {
        text = "1 day of practice in a row. ";
    } else if (streak > 1) {
        text = std::to_string(streak) + " days of practice in a row. ";
    }
    text += "Last " + std::to_string(kWeekDays) + " days: " + std::to_string(notes) + " notes";
    if (notes > 0) {
        const auto percent = static_cast<int>(std::lround(right * kPercent / notes));
        text += ", " + std::to_string(percent) + "% right at first try";
    }
    return text + ".";
}

std::string CPracticeSummary::DescribePaces(const std::vector<PRACTICE_LESSON_PACE>& paces,
                                            size_t maxLessons) {
    std::string text;
    size_t told = 0;
    for (const PRACTICE_LESSON_PACE& pace : paces) {
        if (told == maxLessons) {
            break;
        }
        if (pace.meanReaction <= 0.0 || pace.notes <= 0 || pace.lesson.empty()) {
            continue;
        }
        const long perMinute = std::lround(kSecondsPerMinute / pace.meanReaction);
        text += (told == 0 ? "Notes per minute: " : ", ") + pace.lesson + " " +
                std::to_string(perMinute);
        ++told;
    }
    return text.empty() ? text : text + ".";
}
