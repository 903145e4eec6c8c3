#pragma once

#include <cstdint>
#include <vector>

// Mixes 16-bit PCM frames to one channel of floats (full scale 1.0) and
// lowers the rate by halving it a set number of times, each halving behind
// a windowed-sinc low-pass filter: the note tracker needs no more than a
// few kilohertz, and fewer values cost less to search.
class CDecimator {
public:
    // channels of the frames; halvings 0 (rate kept) to kMostHalvings.
    static constexpr int kMostHalvings = 3;
    void Start(int channels, int halvings);

    // Appends the values of frames 16-bit frames to out.
    void Add(const uint8_t* bytes, int frames, std::vector<float>& out);
    int GetFactor() const { return 1 << m_halvings; }

private:
    // One halving: a filter's history and whether the next value is kept.
    struct STAGE {
        std::vector<float> history;  // the newest taps, oldest first, doubled
        int position = 0;
        bool skip = true;  // the next value only feeds the filter
    };
    bool Push(STAGE& stage, float value, float& out) const;

    int m_channels = 1;
    int m_halvings = 0;
    std::vector<float> m_taps;
    std::vector<STAGE> m_stages;
};
