#pragma once

#include <cstdint>

#include "foundation/CharString.h"

// Accumulates the durations of a repeated operation (a frame, a buffer
// refill) between Begin and End.
class CProfiler {
public:
    explicit CProfiler(const char* name = "");
    virtual ~CProfiler() = default;

    void Begin();
    void End();
    void Reset();

    uint64_t GetCount() const { return m_count; }
    double GetTotalSeconds() const { return m_total; }
    double GetMeanSeconds() const {
        return m_count != 0 ? m_total / static_cast<double>(m_count) : 0.0;
    }
    double GetMaxSeconds() const { return m_max; }
    const char* GetName() const { return m_name; }
    // "<name>: <n> calls, mean <x> ms, max <y> ms"
    const char* Describe(CCharString& text) const;

private:
    CCharString m_name;
    double m_start = -1.0;
    double m_total = 0.0;
    double m_max = 0.0;
    uint64_t m_count = 0;
};
