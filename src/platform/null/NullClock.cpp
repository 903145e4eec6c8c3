#include "platform/null/NullClock.h"

#include <cmath>
#include <ctime>

CNullClock::CNullClock(const LOCAL_TIME& start) : m_start(start) {
    Platform::SetClock(this);
}

CNullClock::~CNullClock() {
    Platform::SetClock(nullptr);
}

double CNullClock::GetSeconds() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_elapsed;
}

void CNullClock::Advance(double seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_elapsed += seconds;
}

LOCAL_TIME CNullClock::GetLocalTime() {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Let the C library carry seconds into minutes, days and months.
    struct tm broken {};
    broken.tm_year = m_start.year - 1900;
    broken.tm_mon = m_start.month - 1;
    broken.tm_mday = m_start.day;
    broken.tm_hour = m_start.hour;
    broken.tm_min = m_start.minute;
    const double total = m_start.second + m_start.millisecond / 1000.0 + m_elapsed;
    const double whole = std::floor(total);
    broken.tm_sec = static_cast<int>(whole);
    const time_t t = timegm(&broken);
    gmtime_r(&t, &broken);
    LOCAL_TIME now;
    now.year = broken.tm_year + 1900;
    now.month = broken.tm_mon + 1;
    now.day = broken.tm_mday;
    now.hour = broken.tm_hour;
    now.minute = broken.tm_min;
    now.second = broken.tm_sec;
    now.millisecond = static_cast<int>(std::lround((total - whole) * 1000.0)) % 1000;
    return now;
}
