#include "capture/Decimator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTaps = 31;
// Cut-off as a share of the lower rate's Nyquist frequency.
constexpr double kCutoff = 0.9;
constexpr float kFullScale = 32768.0f;

std::vector<float> LowPassTaps() {
    std::vector<float> taps(kTaps);
    const double cutoff = 0.5 * kCutoff;  // of the higher rate's Nyquist
    const int middle = kTaps / 2;
    double sum = 0.0;
    for (int i = 0; i < kTaps; ++i) {
        const double x = i - middle;
        const double sinc = x == 0.0 ? cutoff : std::sin(kPi * cutoff * x) / (kPi * x);
        const double window = 0.54 - 0.46 * std::cos(2.0 * kPi * i / (kTaps - 1));
        taps[i] = static_cast<float>(sinc * window);
        sum += taps[i];
    }
    for (float& tap : taps) {
        tap = static_cast<float>(tap / sum);
    }
    return taps;
}

}  // namespace

void CDecimator::Start(int channels, int halvings) {
    m_channels = std::max(1, channels);
    m_halvings = std::clamp(halvings, 0, kMostHalvings);
    m_taps = LowPassTaps();
    m_stages.assign(static_cast<size_t>(m_halvings), STAGE());
    for (STAGE& stage : m_stages) {
        stage.history.assign(2 * kTaps, 0.0f);
    }
}

// Feeds one value through a halving; true when it gives a value out.
bool CDecimator::Push(STAGE& stage, float value, float& out) const {
    // The history is kept twice over so that the newest kTaps values are
    // always one run in memory.
    stage.history[stage.position] = value;
    stage.history[stage.position + kTaps] = value;
    stage.position = (stage.position + 1) % kTaps;
    stage.skip = !stage.skip;
    if (stage.skip) {
        return false;
    }
    const float* run = stage.history.data() + stage.position;
    float sum = 0.0f;
    for (int i = 0; i < kTaps; ++i) {
        sum += run[i] * m_taps[i];
    }
    out = sum;
    return true;
}

void CDecimator::Add(const uint8_t* bytes, int frames, std::vector<float>& out) {
    const float scale = 1.0f / (kFullScale * m_channels);
    for (int f = 0; f < frames; ++f) {
        int sum = 0;
        for (int c = 0; c < m_channels; ++c) {
            int16_t value = 0;
            std::memcpy(&value, bytes + (static_cast<size_t>(f) * m_channels + c) * 2,
                        sizeof value);
            sum += value;
        }
        float value = sum * scale;
        bool passed = true;
        for (STAGE& stage : m_stages) {
            if (!Push(stage, value, value)) {
                passed = false;
                break;
            }
        }
        if (passed) {
            out.push_back(value);
        }
    }
}
