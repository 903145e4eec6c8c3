#include "capture/PitchNamer.h"

#include <algorithm>
#include <cmath>

namespace {

// Dips are looked for this far about a pitch.
constexpr double kNearCents = 60.0;
// The double period wins when it dips under this share of a period that
// dips no lower than kLowerFloor.
constexpr double kLowerShare = 0.3;
constexpr double kLowerFloor = 0.085;
// A followed note is looked at over this many of its periods, and at lags
// at least this share longer than its period.
constexpr double kFollowSlack = 1.1;
constexpr double kFollowPeriods = 4.0;
constexpr int kSemitones = 12;
constexpr double kA4 = 440.0;
constexpr int kA4Midi = 69;
constexpr double kCentsPerOctave = 1200.0;

}  // namespace

int CPitchNamer::MidiOf(double frequency) {
    return kA4Midi + static_cast<int>(std::lround(kSemitones * std::log2(frequency / kA4)));
}

double CPitchNamer::FrequencyOf(int midi) {
    return kA4 * std::pow(2.0, static_cast<double>(midi - kA4Midi) / kSemitones);
}

double CPitchNamer::Cents(double frequency, double reference) {
    return kCentsPerOctave * std::log2(frequency / reference);
}

double CPitchNamer::OctaveNear(double frequency, double reference) {
    return frequency * std::pow(2.0, std::round(std::log2(reference / frequency)));
}

void CPitchNamer::Configure(double rate, double lowest, double highest) {
    m_rate = rate;
    m_yin.Configure(rate, lowest, highest);
    m_spectrum = CSpectrumOctave(rate);
    m_longestWindow = m_yin.ValuesFor(m_yin.GetLongestLag());
}

int CPitchNamer::FollowWindow(double frequency) const {
    const double period = m_rate / frequency;
    return std::min<int>(m_longestWindow, std::max(m_yin.ValuesFor(kFollowSlack * period),
                                                   static_cast<int>(kFollowPeriods * period)));
}

bool CPitchNamer::Name(const float* values, int count, double avoid, YIN_ESTIMATE& estimate) {
    const int window = std::min(count, m_longestWindow);
    if (values == nullptr || window <= 0 ||
        !m_yin.Estimate(values + (count - window), window, estimate, avoid)) {
        return false;
    }
    LookCloser(values, count, avoid, estimate);
    PreferLowerOctave(estimate);
    PreferUpperOctave(values, count, estimate);
    return true;
}

bool CPitchNamer::IsHollow(const float* values, int count, double frequency) const {
    const int window = std::min(count, m_spectrum.ValuesFor(frequency));
    return m_spectrum.LacksFundamental(values + (count - window), window, frequency);
}

// The long window may still hold an attack that repeats at twice the
// period, or a weak fundamental the short one does not see.
void CPitchNamer::LookCloser(const float* values, int count, double avoid, YIN_ESTIMATE& estimate) {
    const int window = std::min(count, FollowWindow(estimate.frequency));
    YIN_ESTIMATE closer;
    if (window <= 0 || !m_yin.Estimate(values + (count - window), window, closer, avoid)) {
        return;
    }
    const int apart = MidiOf(closer.frequency) - MidiOf(estimate.frequency);
    if (apart != 0 && apart % kSemitones == 0 && closer.aperiodicity < kCloserAperiodicity) {
        estimate = closer;
    }
}

// After the closer look: when twice the period repeats much better than the
// period, which is no clear one, the note is an octave lower (a guitar's low
// string whose second partial outsounds its fundamental).
void CPitchNamer::PreferLowerOctave(YIN_ESTIMATE& estimate) const {
    const double ownDip = m_yin.DipNear(estimate.frequency, kNearCents);
    const double lowerDip = m_yin.DipNear(estimate.frequency / 2.0, kNearCents);
    if (ownDip < 1.0 && ownDip > kLowerFloor && lowerDip < kLowerShare * ownDip) {
        estimate.frequency /= 2.0;
        estimate.aperiodicity = lowerDip;
    }
}

// A pitch from the middle of the keyboard up whose spectrum lacks its
// fundamental is the octave above (an organ's quint stop).
void CPitchNamer::PreferUpperOctave(const float* values, int count, YIN_ESTIMATE& estimate) const {
    const double upper = 2.0 * estimate.frequency;
    if (upper * m_yin.GetShortestLag() > m_yin.GetRate()) {
        return;
    }
    const int window = std::min(count, m_spectrum.ValuesFor(estimate.frequency));
    if (m_spectrum.IsOctaveLow(values + (count - window), window, estimate.frequency)) {
        estimate.frequency = upper;
    }
}
