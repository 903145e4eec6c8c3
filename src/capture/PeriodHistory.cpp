#include "capture/PeriodHistory.h"

#include <algorithm>

void CPeriodHistory::Add(int64_t end, double dip, double levelDb) {
    m_hops.push_back({end, dip, levelDb});
    if (m_hops.size() > kCapacity) {
        m_hops.pop_front();
    }
}

int64_t CPeriodHistory::TroubledSince(int64_t index, double noiseDb) const {
    const HOP* earliest = nullptr;
    double quietestDb = 0.0;
    int hops = 0, clearHops = 0;
    for (auto it = m_hops.rbegin(); it != m_hops.rend() && hops < kMostHops; ++it) {
        if (it->end > index) {
            continue;
        }
        ++hops;
        if (it->dip <= kTroubledDip) {
            if (++clearHops >= kClearHops) {
                break;
            }
            continue;
        }
        clearHops = 0;
        quietestDb = earliest == nullptr ? it->levelDb : std::min(quietestDb, it->levelDb);
        earliest = &*it;
    }
    if (earliest == nullptr || clearHops < kClearHops ||
        earliest->levelDb < noiseDb + kAboveNoiseDb || earliest->levelDb > quietestDb + kFallDb) {
        return -1;
    }
    return earliest->end;
}
