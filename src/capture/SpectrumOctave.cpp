#include "capture/SpectrumOctave.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Partials above this carry little of the pitch and much noise.
constexpr double kHighestPartial = 5000.0;
constexpr int kMostPartials = 24;

// Power of the Hann-windowed values at cycles per value, by Goertzel's
// recurrence.
double PowerAt(const float* values, int count, double cycles) {
    const double coefficient = 2.0 * std::cos(2.0 * kPi * cycles);
    double previous = 0.0, older = 0.0;
    for (int i = 0; i < count; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * kPi * (i + 0.5) / count);
        const double current = window * values[i] + coefficient * previous - older;
        older = previous;
        previous = current;
    }
    return std::max(0.0, previous * previous + older * older - coefficient * previous * older);
}

}  // namespace

int CSpectrumOctave::ValuesFor(double frequency) const {
    return frequency > 0.0 ? static_cast<int>(std::ceil(kPeriods * m_rate / frequency)) : 0;
}

bool CSpectrumOctave::IsOctaveLow(const float* values, int count, double frequency) const {
    if (values == nullptr || !(frequency >= kLowest) || m_rate <= 0.0) {
        return false;
    }
    const int needed = ValuesFor(frequency);
    if (count < needed) {
        return false;
    }
    // Over six periods the partials lie six bins apart, well clear of the
    // Hann window's main lobe.
    const float* newest = values + (count - needed);
    const int partials = std::min(
        kMostPartials, static_cast<int>(std::min(kHighestPartial, m_rate / 2.0) / frequency));
    const double fundamental = PowerAt(newest, needed, frequency / m_rate);
    double odd = fundamental, all = fundamental;
    for (int k = 2; k <= partials; ++k) {
        const double power = PowerAt(newest, needed, k * frequency / m_rate);
        all += power;
        odd += k % 2 == 1 ? power : 0.0;
    }
    return all > 0.0 && fundamental < kFundamentalShare * all && odd < kOddShare * all;
}
