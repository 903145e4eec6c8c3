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

int CSpectrumOctave::FewestFor(double frequency) const {
    return frequency > 0.0 ? static_cast<int>(std::ceil(kFewestPeriods * m_rate / frequency)) : 0;
}

bool CSpectrumOctave::Measure(const float* values, int count, double frequency,
                              PARTIAL_SHARES& shares) const {
    shares = PARTIAL_SHARES();
    if (values == nullptr || !(frequency > 0.0) || m_rate <= 0.0) {
        return false;
    }
    // Over six periods the partials lie six bins apart, well clear of the
    // Hann window's main lobe; three (three bins) still part them.
    if (count < FewestFor(frequency)) {
        return false;
    }
    const int needed = std::min(count, ValuesFor(frequency));
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
    if (!(all > 0.0)) {
        return false;
    }
    shares.fundamental = fundamental / all;
    shares.odd = odd / all;
    return true;
}

bool CSpectrumOctave::IsOctaveLow(const float* values, int count, double frequency) const {
    PARTIAL_SHARES shares;
    return frequency >= kLowest && Measure(values, count, frequency, shares) &&
           shares.fundamental < kFundamentalShare && shares.odd < kOddShare;
}

bool CSpectrumOctave::LacksFundamental(const float* values, int count, double frequency) const {
    PARTIAL_SHARES shares;
    return Measure(values, count, frequency, shares) && shares.fundamental < kFundamentalShare;
}
