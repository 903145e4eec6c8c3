#include "foundation/TimeText.h"

#include <cmath>

#include "platform/Clock.h"

bool GetTimeText(CCharString& text, bool withDate, bool withMilliseconds) {
    const LOCAL_TIME now = Platform::GetClock().GetLocalTime();
    CCharString date;
    if (withDate) {
        date.Format("%02d/%02d/%02d ", now.month, now.day, now.year % 100);
    }
    CCharString milliseconds;
    if (withMilliseconds) {
        milliseconds.Format(".%03d", now.millisecond);
    }
    return text.Format("%s%02d:%02d:%02d%s", date.GetText(), now.hour, now.minute, now.second,
                       milliseconds.GetText()) != nullptr;
}

TIME_PAIR GetTimeDifference(const TIME_PAIR& later, const TIME_PAIR& earlier) {
    TIME_PAIR difference;
    difference.seconds = later.seconds - earlier.seconds;
    int milliseconds =
        static_cast<int>(later.milliseconds) - static_cast<int>(earlier.milliseconds);
    if (milliseconds < 0) {
        milliseconds += 1000;
        --difference.seconds;
    }
    difference.milliseconds = static_cast<uint16_t>(milliseconds);
    return difference;
}

double TimePairToSeconds(const TIME_PAIR& time) {
    if (time.seconds > kMaxTimePairSeconds) {
        return -1.0;
    }
    return static_cast<double>(time.seconds) + time.milliseconds / 1000.0;
}

TIME_PAIR SecondsToTimePair(double seconds) {
    TIME_PAIR time;
    if (std::isnan(seconds)) {
        return time;
    }
    // 2^63 is exactly representable; seconds outside [-2^63, 2^63) are clamped.
    constexpr double kLimit = 9223372036854775808.0;
    if (seconds >= kLimit) {
        time.seconds = INT64_MAX;
        time.milliseconds = 999;
        return time;
    }
    if (seconds < -kLimit) {
        time.seconds = INT64_MIN;
        return time;
    }
    const double whole = std::floor(seconds);
    int64_t milliseconds = std::llround((seconds - whole) * 1000.0);
    time.seconds = static_cast<int64_t>(whole);
    if (milliseconds >= 1000) {
        if (time.seconds < INT64_MAX) {
            milliseconds -= 1000;
            ++time.seconds;
        } else {
            milliseconds = 999;
        }
    }
    time.milliseconds = static_cast<uint16_t>(milliseconds);
    return time;
}
