#include "foundation/Profiler.h"

#include <algorithm>

#include "platform/Clock.h"

CProfiler::CProfiler(const char* name) : m_name(name) {}

void CProfiler::Begin() {
    m_start = Platform::GetClock().GetSeconds();
}

void CProfiler::End() {
    if (m_start < 0.0) {
        return;
    }
    const double elapsed = Platform::GetClock().GetSeconds() - m_start;
    m_start = -1.0;
    m_total += elapsed;
    m_max = std::max(m_max, elapsed);
    ++m_count;
}

void CProfiler::Reset() {
    m_start = -1.0;
    m_total = m_max = 0.0;
    m_count = 0;
}

const char* CProfiler::Describe(CCharString& text) const {
    return text.Format("%s: %llu calls, mean %.3f ms, max %.3f ms", m_name.GetText(),
                       static_cast<unsigned long long>(m_count), GetMeanSeconds() * 1000.0,
                       m_max * 1000.0);
}
