#include "capture/StepWatcher.h"

#include <algorithm>
#include <cmath>

#include "capture/PitchNamer.h"

namespace {

constexpr int kSemitones = 12;

}  // namespace

void CStepWatcher::Reset() {
    m_frequency = 0.0;
    m_hops = 0;
    m_lostIndex = -1;
    m_lostTime = 0.0;
}

void CStepWatcher::Lost(int64_t index, double time) {
    if (m_lostIndex < 0) {
        m_lostIndex = index;
        m_lostTime = time;
    }
}

bool CStepWatcher::Add(double frequency, int noteMidi, double& named) {
    const int midi = CPitchNamer::MidiOf(frequency);
    if ((midi - noteMidi) % kSemitones == 0 ||
        std::abs(CPitchNamer::Cents(frequency, CPitchNamer::FrequencyOf(noteMidi))) < kCents) {
        m_hops = 0;
        return false;
    }
    // A voice whose second partial outsounds its fundamental is read an
    // octave high now and then: an octave of the new pitch is that pitch,
    // and the note is the middle pitch read, in the lowest octave read (a
    // voice wavers about its note).
    const double folded = CPitchNamer::OctaveNear(frequency, m_frequency);
    if (m_hops == 0 || std::abs(CPitchNamer::Cents(folded, m_frequency)) > kSteadyCents) {
        m_frequency = frequency;
        m_hops = 0;
    } else if (frequency < folded) {
        m_frequency = frequency;
    }
    m_readings[m_hops] = frequency;
    if (++m_hops < kHops) {
        return false;
    }
    for (double& reading : m_readings) {
        reading = CPitchNamer::OctaveNear(reading, m_frequency);
    }
    // Still gliding (a voice scooping into its note, or the mixture of the
    // two notes shifting): heard again from the newest reading.
    const double first = (m_readings[0] + m_readings[1]) / 2.0;
    const double newest = (m_readings[kHops - 2] + m_readings[kHops - 1]) / 2.0;
    if (std::abs(CPitchNamer::Cents(newest, first)) > kDriftCents) {
        m_frequency = m_readings[0] = m_readings[kHops - 1];
        m_hops = 1;
        return false;
    }
    std::array<double, kHops> sorted = m_readings;
    std::sort(sorted.begin(), sorted.end());
    named = sorted[kHops / 2];
    if ((CPitchNamer::MidiOf(named) - noteMidi) % kSemitones == 0) {
        m_hops = 0;
        return false;
    }
    return true;
}
