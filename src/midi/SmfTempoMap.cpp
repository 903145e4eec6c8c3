#include "midi/SmfTempoMap.h"

#include <algorithm>

namespace {

constexpr double kMicrosPerSecond = 1000000.0;
constexpr int kByteBits = 8;

// The tempo an event sets, or 0 when it sets none.
uint32_t TempoOf(const SMF_EVENT& event) {
    if (!event.IsMeta() || event.metaType != Smf::kMetaTempo ||
        event.data.size() < static_cast<size_t>(Smf::kTempoBytes)) {
        return 0;
    }
    uint32_t micros = 0;
    for (int i = 0; i < Smf::kTempoBytes; ++i) {
        micros = (micros << kByteBits) | event.data[i];
    }
    return micros;
}

}  // namespace

CSmfTempoMap::CSmfTempoMap(const SMF_FILE& file) : m_division(std::max(file.division, 1)) {
    std::vector<TEMPO_CHANGE> found;
    for (const SMF_TRACK& track : file.tracks) {
        for (const SMF_EVENT& event : track.events) {
            const uint32_t micros = TempoOf(event);
            if (micros != 0) {
                found.push_back({event.tick, micros, 0.0});
            }
        }
    }
    // Of several tempo events at one tick, the last one found holds.
    std::stable_sort(found.begin(), found.end(),
                     [](const TEMPO_CHANGE& a, const TEMPO_CHANGE& b) { return a.tick < b.tick; });
    m_changes.push_back(TEMPO_CHANGE{});
    for (const TEMPO_CHANGE& change : found) {
        TEMPO_CHANGE& last = m_changes.back();
        if (change.tick == last.tick) {
            last.microsPerQuarter = change.microsPerQuarter;
            continue;
        }
        const double seconds =
            last.seconds + (change.tick - last.tick) * SecondsPerTick(last.microsPerQuarter);
        m_changes.push_back({change.tick, change.microsPerQuarter, seconds});
    }
}

double CSmfTempoMap::TicksToSeconds(uint32_t tick) const {
    // The last change at or before tick.
    auto after = std::upper_bound(
        m_changes.begin(), m_changes.end(), tick,
        [](uint32_t value, const TEMPO_CHANGE& change) { return value < change.tick; });
    const TEMPO_CHANGE& change = *(after - 1);
    return change.seconds + (tick - change.tick) * SecondsPerTick(change.microsPerQuarter);
}

double CSmfTempoMap::SecondsPerTick(uint32_t microsPerQuarter) const {
    return microsPerQuarter / kMicrosPerSecond / m_division;
}
