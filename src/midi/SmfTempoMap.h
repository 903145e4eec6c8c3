#pragma once

#include <cstdint>
#include <vector>

#include "midi/SmfFile.h"

// Turns ticks into seconds with the tempo events of a file: those of every
// track (format 1 keeps them in its first track, format 0 in its only one;
// format 2 is treated alike). Before the first tempo event the tempo is 120
// beats per minute, and tempo events with fewer than 3 data bytes or a tempo
// of 0 are ignored.
class CSmfTempoMap {
public:
    explicit CSmfTempoMap(const SMF_FILE& file);

    double TicksToSeconds(uint32_t tick) const;

private:
    struct TEMPO_CHANGE {
        uint32_t tick = 0;
        uint32_t microsPerQuarter = Smf::kDefaultMicrosPerQuarter;
        double seconds = 0.0;  // time at tick
    };

    double SecondsPerTick(uint32_t microsPerQuarter) const;

    int m_division;
    std::vector<TEMPO_CHANGE> m_changes;  // ordered by tick, the first at tick 0
};
