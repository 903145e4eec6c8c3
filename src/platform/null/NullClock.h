#pragma once

#include <mutex>

#include "platform/Clock.h"

// A clock that moves only when told to; installs itself for its lifetime.
class CNullClock : public IClock {
public:
    explicit CNullClock(const LOCAL_TIME& start = LOCAL_TIME());
    ~CNullClock() override;

    double GetSeconds() override;
    LOCAL_TIME GetLocalTime() override;
    void Advance(double seconds);

private:
    mutable std::mutex m_mutex;
    LOCAL_TIME m_start;
    double m_elapsed = 0.0;
};
