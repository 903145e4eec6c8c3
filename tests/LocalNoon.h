#pragma once

#include <time.h>

// Noon of the local day of time (Unix seconds; now by default), so that
// whole days back from it stay whole days across daylight-saving changes.
inline double LocalNoon(double time = static_cast<double>(::time(nullptr))) {
    constexpr int kNoon = 12;
    const auto seconds = static_cast<time_t>(time);
    struct tm local = {};
    localtime_r(&seconds, &local);
    local.tm_hour = kNoon;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<double>(mktime(&local));
}
