#pragma once

#include <cstdint>

struct LOCAL_TIME {
    int year = 1970;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Time as the system reads it: a monotonic clock for measuring and the local
// wall-clock time for time stamps. Tests install a stepped clock.
class IClock {
public:
    virtual ~IClock() = default;
    virtual double GetSeconds() = 0;  // monotonic, arbitrary origin
    virtual LOCAL_TIME GetLocalTime() = 0;
};

namespace Platform {
// Installs clock as the process clock (null restores the system clock). The
// caller keeps clock alive until it is replaced.
void SetClock(IClock* clock);
IClock& GetClock();
}  // namespace Platform
