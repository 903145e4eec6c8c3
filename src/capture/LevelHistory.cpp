#include "capture/LevelHistory.h"

#include <algorithm>

void CLevelHistory::Add(double levelDb) {
    m_levels.push_back(levelDb);
    if (m_levels.size() > kCapacity) {
        m_levels.pop_front();
    }
}

int CLevelHistory::HopsSinceTrough(int maxHops, double troughDb) const {
    const int count = static_cast<int>(m_levels.size());
    const int span = std::min(maxHops, count - 1);
    if (span <= 0) {
        return 0;
    }
    double quietest = m_levels.back();
    for (int back = 1; back <= span; ++back) {
        quietest = std::min(quietest, m_levels[count - 1 - back]);
    }
    int back = 0;
    while (back < span && m_levels[count - 1 - back] > quietest + troughDb) {
        ++back;
    }
    return back;
}

int CLevelHistory::HopsSinceRise(int span, double riseDb) const {
    const int count = static_cast<int>(m_levels.size());
    if (count == 0) {
        return -1;
    }
    const int newest = count - 1;
    const int first = std::max(0, newest - span);
    int quietest = first;
    for (int i = first + 1; i < count; ++i) {
        if (m_levels[i] < m_levels[quietest]) {
            quietest = i;
        }
    }
    const double loudest = *std::max_element(m_levels.begin() + quietest, m_levels.end());
    return loudest - m_levels[quietest] < riseDb ? -1 : newest - quietest;
}

double CLevelHistory::SwellDb(int span) const {
    const int count = static_cast<int>(m_levels.size());
    if (span <= 0 || count < 2 * span) {
        return 0.0;
    }
    double newer = 0.0, older = 0.0;
    for (int i = 0; i < span; ++i) {
        newer += m_levels[count - 1 - i];
        older += m_levels[count - 1 - span - i];
    }
    return (newer - older) / span;
}
