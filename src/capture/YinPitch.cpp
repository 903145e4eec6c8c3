#include "capture/YinPitch.h"

#include <algorithm>
#include <cmath>

namespace {

// The double of a period wins when it is this much more periodic...
constexpr double kDoubleShare = 0.15;
// ... and the period itself was no clear dip.
constexpr double kDoubleFloor = 0.12;
// A period's whole fraction (a half, a third, ...) wins when its dip is
// nearly as deep: the shortest of near-equal periods is the period.
constexpr double kFractionMargin = 0.1;
constexpr int kMostParts = 6;
// A period that is a multiple of one to avoid (a fading note's) gives way
// to the deepest of its fractions that is not related to that one, if the
// dip there is at least this deep.
constexpr double kMixedWeakest = 0.45;
// Without a dip under the threshold, the first dip this close to the
// deepest is the period.
constexpr double kFallbackMargin = 0.1;
// A dip this share past another may show that one a ripple.
constexpr double kRippleSpan = 1.12;
// A dip at a multiple of a lag is looked for this share of the lag about it.
constexpr double kMultipleSlack = 0.03;
// Lags past the last one searched that a dip's bottom and a parabola need.
constexpr int kEdgeLags = 2;
constexpr int kSmallestWindow = 8;

// Σ a[i]·b[i] in four independent sums, which the compiler keeps in
// registers side by side.
float Dot(const float* a, const float* b, int count) {
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        s0 += a[i] * b[i];
        s1 += a[i + 1] * b[i + 1];
        s2 += a[i + 2] * b[i + 2];
        s3 += a[i + 3] * b[i + 3];
    }
    for (; i < count; ++i) {
        s0 += a[i] * b[i];
    }
    return (s0 + s1) + (s2 + s3);
}

}  // namespace

void CYinPitch::Configure(double rate, double lowest, double highest) {
    m_rate = rate;
    m_shortest = std::max(2, static_cast<int>(rate / highest));
    m_longest = std::max(m_shortest + 1, static_cast<int>(std::ceil(rate / lowest)));
    m_curve.assign(static_cast<size_t>(m_longest) + kEdgeLags + 1, 0.0f);
}

int CYinPitch::ValuesFor(double lag) const {
    const double checked = 2.0 * lag <= m_longest ? 2.0 * lag : lag;
    return 2 * (static_cast<int>(std::ceil(checked)) + kEdgeLags);
}

bool CYinPitch::Estimate(const float* values, int count, YIN_ESTIMATE& estimate, double avoid) {
    estimate = YIN_ESTIMATE();
    m_lags = 0;
    const int lags = std::min(m_longest + kEdgeLags, count / 2);
    const int window = count - lags;
    if (values == nullptr || lags <= m_shortest + kEdgeLags || window < kSmallestWindow) {
        return false;
    }
    Differences(values, window, lags);
    Normalise(lags);
    m_lags = lags;
    int lag = FirstDip(lags);
    if (lag == 0) {
        return false;
    }
    lag = CheckOctaves(lag, lags);
    if (avoid > 0.0) {
        lag = AvoidMixture(lag, m_rate / avoid);
    }
    // The double of the period must have been in view, unless it is out of
    // the range: otherwise a longer window may still find the true period.
    if (2 * lag + kEdgeLags > lags && 2 * lag <= m_longest) {
        return false;
    }
    estimate.aperiodicity = m_curve[lag];
    estimate.frequency = m_rate / Refine(lag, lags);
    return true;
}

// d(τ) = Σ (x[j] − x[j−τ])² over the newest window values against those τ
// earlier, as the two windows' energies less twice their product. The
// newest values are the reference, so short lags (high notes) are judged on
// the newest sound, not on an attack or a previous note's tail at the
// window's start.
void CYinPitch::Differences(const float* values, int window, int lags) {
    const int total = window + lags;
    m_energy.assign(static_cast<size_t>(total) + 1, 0.0);
    for (int i = 0; i < total; ++i) {
        m_energy[i + 1] = m_energy[i] + static_cast<double>(values[i]) * values[i];
    }
    const float* newest = values + lags;
    const double reference = m_energy[total] - m_energy[lags];
    m_curve[0] = 0.0f;
    for (int lag = 1; lag <= lags; ++lag) {
        const double shifted = m_energy[total - lag] - m_energy[lags - lag];
        const double product = Dot(newest, newest - lag, window);
        m_curve[lag] = static_cast<float>(std::max(0.0, reference + shifted - 2.0 * product));
    }
}

// d'(τ) = d(τ) · τ / Σ d(1..τ): 1 at lag 0, low where the signal repeats.
void CYinPitch::Normalise(int lags) {
    m_curve[0] = 1.0f;
    double sum = 0.0;
    for (int lag = 1; lag <= lags; ++lag) {
        sum += m_curve[lag];
        m_curve[lag] = sum > 0.0 ? static_cast<float>(m_curve[lag] * lag / sum) : 1.0f;
    }
}

// The bottom of the first dip below the threshold, else the deepest dip if
// it is not too shallow; 0 for none.
int CYinPitch::FirstDip(int lags) const {
    const int last = lags - kEdgeLags;
    for (int lag = m_shortest; lag <= last; ++lag) {
        if (m_curve[lag] < kThreshold) {
            while (lag < last && m_curve[lag + 1] < m_curve[lag]) {
                ++lag;
            }
            return PastRipple(lag, last);
        }
    }
    const int deepest = DeepestDip(m_shortest, last);
    if (m_curve[deepest] >= kWeakest) {
        return 0;
    }
    // The first dip nearly as deep of which the deepest is a multiple: the
    // deepest is often a multiple of the period, the normalisation favouring
    // long lags. A dip just short of the deepest is only a ripple on its
    // slope (a low string's upper partials read a semitone sharp).
    const float nearly = m_curve[deepest] + static_cast<float>(kFallbackMargin);
    for (int lag = m_shortest + 1; lag < deepest; ++lag) {
        if (m_curve[lag] < nearly && m_curve[lag] <= m_curve[lag - 1] &&
            m_curve[lag] <= m_curve[lag + 1] && IsMultiple(deepest, lag)) {
            return PastRipple(lag, last);
        }
    }
    return deepest;
}

// A deeper dip a little past lag (within kRippleSpan of it) is the period,
// lag only a ripple on its slope: a low piano string's sharp partials
// repeat a semitone short of its period.
int CYinPitch::PastRipple(int lag, int last) const {
    const int ahead = std::min(last, static_cast<int>(lag * kRippleSpan));
    if (ahead <= lag + 1) {
        return lag;
    }
    const int deeper = DeepestDip(lag + 1, ahead);
    return IsDip(deeper) && m_curve[deeper] < m_curve[lag] ? deeper : lag;
}

// longer is a whole or a half multiple (1.5, 2, 2.5, ...) of lag, within
// kMultipleSlack: a tone with a strong second partial dips at every half
// period.
bool CYinPitch::IsMultiple(int longer, int lag) {
    const double halves = 2.0 * longer / lag;
    return halves > 2.5 && std::abs(halves - std::round(halves)) < kMultipleSlack * halves;
}

int CYinPitch::DeepestDip(int first, int last) const {
    int best = first;
    for (int lag = first + 1; lag <= last; ++lag) {
        if (m_curve[lag] < m_curve[best]) {
            best = lag;
        }
    }
    return best;
}

// The deepest dip within a few per cent of centre.
int CYinPitch::DipAround(int centre, int last) const {
    const int slack = std::max(1, static_cast<int>(centre * kMultipleSlack));
    return DeepestDip(std::max(m_shortest, centre - slack), std::min(last, centre + slack));
}

bool CYinPitch::IsDip(int lag) const {
    return lag > 0 && m_curve[lag] <= m_curve[lag - 1] && m_curve[lag] <= m_curve[lag + 1];
}

// Whole fractions and the double of the period found: a fraction nearly as
// periodic wins (a tone whose attack or a reverberant tail blurs its own
// period can look more periodic at a multiple); a dip that is no clear
// period gives way to a much deeper one at its double (a weak fundamental
// under loud harmonics makes the half period look periodic).
int CYinPitch::CheckOctaves(int lag, int lags) const {
    const int last = lags - kEdgeLags;
    for (int parts = kMostParts; parts >= 2; --parts) {
        if (lag / parts < m_shortest) {
            continue;
        }
        const int fraction = DipAround((lag + parts / 2) / parts, last);
        if (IsDip(fraction) && m_curve[fraction] < m_curve[lag] + kFractionMargin) {
            lag = fraction;
            break;
        }
    }
    if (2 * lag + 1 <= last && m_curve[lag] > kDoubleFloor) {
        const int twice = DipAround(2 * lag, last);
        if (m_curve[twice] < kDoubleShare * m_curve[lag]) {
            lag = twice;
        }
    }
    return lag;
}

// A window that still holds a fading note's sound (reverberation, a long
// release) alongside the new one repeats at a common multiple of their
// periods. When the period found is a multiple of the avoided one, the new
// note is the deepest of its fractions that is no multiple or fraction of
// the avoided period.
int CYinPitch::AvoidMixture(int lag, double avoid) const {
    const auto related = [](double a, double b) {
        const double ratio = a > b ? a / b : b / a;
        return std::abs(ratio - std::round(ratio)) < kMultipleSlack * ratio;
    };
    if (lag < 1.5 * avoid || !related(lag, avoid)) {
        return lag;
    }
    const int last = m_lags - kEdgeLags;
    int best = 0;
    for (int parts = 2; parts <= kMostParts && lag / parts >= m_shortest; ++parts) {
        const int fraction = DipAround((lag + parts / 2) / parts, last);
        if (IsDip(fraction) && !related(fraction, avoid) &&
            (best == 0 || m_curve[fraction] < m_curve[best])) {
            best = fraction;
        }
    }
    return best > 0 && m_curve[best] < kMixedWeakest ? best : lag;
}

// The lag of the parabola's bottom through the dip and its neighbours.
double CYinPitch::Refine(int lag, int lags) const {
    if (lag <= 1 || lag >= lags) {
        return lag;
    }
    const double left = m_curve[lag - 1];
    const double middle = m_curve[lag];
    const double right = m_curve[lag + 1];
    const double curvature = left - 2.0 * middle + right;
    if (curvature <= 0.0) {
        return lag;
    }
    return lag + std::clamp((left - right) / (2.0 * curvature), -0.5, 0.5);
}

double CYinPitch::DipNear(double frequency, double cents) const {
    if (!(frequency > 0.0) || m_lags == 0) {
        return 1.0;
    }
    const double spread = std::pow(2.0, cents / 1200.0);
    const int first = std::max(1, static_cast<int>(std::floor(m_rate / (frequency * spread))));
    const int last = std::min(m_lags - 1, static_cast<int>(std::ceil(m_rate * spread / frequency)));
    if (first + 2 > last) {
        return 1.0;
    }
    const int deepest = DeepestDip(first, last);
    return deepest > first && deepest < last ? m_curve[deepest] : 1.0;
}
