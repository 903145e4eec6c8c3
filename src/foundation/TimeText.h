#pragma once

#include <cstdint>

#include "foundation/CharString.h"

// The local time as "hh:mm:ss", optionally preceded by "MM/DD/YY " and
// followed by ".mmm".
bool GetTimeText(CCharString& text, bool withDate, bool withMilliseconds);

// A time as whole seconds and milliseconds (0..999).
struct TIME_PAIR {
    int64_t seconds = 0;
    uint16_t milliseconds = 0;
};

// Longest span, in whole seconds, that TimePairToSeconds converts: one
// 365-day year.
constexpr int64_t kMaxTimePairSeconds = 31536000;

// later - earlier, borrowing a second when the milliseconds run short.
TIME_PAIR GetTimeDifference(const TIME_PAIR& later, const TIME_PAIR& earlier);

// Seconds as a real number; -1.0 for spans longer than kMaxTimePairSeconds.
double TimePairToSeconds(const TIME_PAIR& time);

// The pair nearest to seconds, rounded to the millisecond (a negative time
// keeps positive milliseconds: -0.25 is -1 s + 750 ms). NaN gives zero,
// values beyond the int64 range are clamped.
TIME_PAIR SecondsToTimePair(double seconds);
