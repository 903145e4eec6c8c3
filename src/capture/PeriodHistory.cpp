#include "capture/PeriodHistory.h"

#include <algorithm>
#include <vector>

void CPeriodHistory::Add(int64_t end, double dip, double levelDb) {
    m_hops.push_back({end, dip, levelDb});
    if (m_hops.size() > kCapacity) {
        m_hops.pop_front();
    }
}

int64_t CPeriodHistory::TroubledSince(int64_t index, double noiseDb) const {
    // A note whose period never repeats cleanly (voices beating) is troubled
    // only well above its usual dip.
    std::vector<double> dips;
    for (const HOP& hop : m_hops) {
        if (hop.end <= index) {
            dips.push_back(hop.dip);
        }
    }
    if (dips.empty()) {
        return -1;
    }
    std::nth_element(dips.begin(), dips.begin() + dips.size() / 2, dips.end());
    const double troubled = std::max(kTroubledDip, kUsualDips * dips[dips.size() / 2]);
    const HOP* earliest = nullptr;
    double quietestDb = 0.0, clearDb = 0.0;
    int hops = 0, clearHops = 0;
    for (auto it = m_hops.rbegin(); it != m_hops.rend() && hops < kMostHops; ++it) {
        if (it->end > index) {
            continue;
        }
        ++hops;
        if (it->dip <= troubled) {
            clearDb = clearHops == 0 ? it->levelDb : std::max(clearDb, it->levelDb);
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
        earliest->levelDb < noiseDb + kAboveNoiseDb ||
        std::max(earliest->levelDb, clearDb) > quietestDb + kFallDb) {
        return -1;
    }
    return earliest->end;
}
