#include "capture/NoiseFloor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBinDb = 0.5;
constexpr int kBins = static_cast<int>(-CNoiseFloor::kLowestDb / kBinDb) + 1;

}  // namespace

void CNoiseFloor::Start(int levels, int learnt) {
    m_counts.assign(kBins, 0);
    m_ring.assign(static_cast<size_t>(std::max(1, levels)), 0);
    m_next = 0;
    m_kept = 0;
    m_learnt = std::clamp(learnt, 1, static_cast<int>(m_ring.size()));
}

void CNoiseFloor::SetFixed(bool automatic, double triggerDb) {
    m_automatic = automatic;
    m_fixedDb = triggerDb;
}

int CNoiseFloor::BinOf(double levelDb) const {
    const double clamped = std::clamp(levelDb, kLowestDb, 0.0);
    return std::min(kBins - 1, static_cast<int>((clamped - kLowestDb) / kBinDb));
}

void CNoiseFloor::Learn(double levelDb) {
    if (m_ring.empty()) {
        return;
    }
    const int size = static_cast<int>(m_ring.size());
    if (m_kept == size) {
        --m_counts[m_ring[m_next]];
    } else {
        ++m_kept;
    }
    m_ring[m_next] = BinOf(levelDb);
    ++m_counts[m_ring[m_next]];
    m_next = (m_next + 1) % size;
}

double CNoiseFloor::GetFloorDb() const {
    if (m_kept == 0) {
        return kLowestDb;
    }
    const int wanted = std::max(1, static_cast<int>(std::ceil(kPercentile * m_kept)));
    int seen = 0;
    for (int bin = 0; bin < kBins; ++bin) {
        seen += m_counts[bin];
        if (seen >= wanted) {
            return kLowestDb + (bin + 0.5) * kBinDb;
        }
    }
    return 0.0;
}

double CNoiseFloor::GetTriggerDb() const {
    if (!m_automatic) {
        return m_fixedDb;
    }
    if (m_kept < m_learnt) {
        return std::max(kStartTriggerDb, GetFloorDb() + kMarginDb);
    }
    return std::max(kLowestTriggerDb, GetFloorDb() + kMarginDb);
}
