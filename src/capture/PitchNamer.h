#pragma once

#include "capture/SpectrumOctave.h"
#include "capture/YinPitch.h"

// Names the pitch of the sound in a window of decimated values for the note
// tracker: YIN on the longest window the range needs, then the octave
// checks a young note needs (a closer look at its newest few periods, the
// double period where the period is no clear one, the octave above where
// the spectrum holds no fundamental), and the looks at a held note.
class CPitchNamer {
public:
    // A closer look names another octave when it is this clearly periodic.
    static constexpr double kCloserAperiodicity = 0.1;

    // The MIDI note nearest a frequency in Hz.
    static int MidiOf(double frequency);
    // The equal-tempered frequency of a MIDI note.
    static double FrequencyOf(int midi);
    // How many cents frequency lies above reference.
    static double Cents(double frequency, double reference);
    // frequency moved by whole octaves to lie nearest reference.
    static double OctaveNear(double frequency, double reference);

    // rate of the values; lowest and highest fundamental in Hz.
    void Configure(double rate, double lowest, double highest);
    // Values the lowest pitch needs, with its double period.
    int GetLongestWindow() const { return m_longestWindow; }
    // Values that show a note of this pitch: a few of its periods, and its
    // double period where the range reaches it.
    int FollowWindow(double frequency) const;

    // The pitch of a young note from count values since just after its
    // onset (the newest last); avoid: the pitch of a note that may still
    // fade under it, 0 for none. False when no period is found.
    bool Name(const float* values, int count, double avoid, YIN_ESTIMATE& estimate);
    // Whether the newest values hold nothing at frequency itself; false
    // when count values are too few to tell.
    bool IsHollow(const float* values, int count, double frequency) const;
    // Whether count values are enough for IsHollow to tell.
    bool CanTellHollow(int count, double frequency) const {
        return count >= m_spectrum.FewestFor(frequency);
    }

    // YIN alone over count values, the newest last.
    bool Estimate(const float* values, int count, YIN_ESTIMATE& estimate, double avoid = 0.0) {
        return m_yin.Estimate(values, count, estimate, avoid);
    }
    // After a look: the deepest dip within cents of frequency (see CYinPitch).
    double DipNear(double frequency, double cents) const { return m_yin.DipNear(frequency, cents); }
    // The newest few periods of the pitch found in count values: an octave
    // they name clearly is the note's.
    void LookCloser(const float* values, int count, double avoid, YIN_ESTIMATE& estimate);

private:
    void PreferLowerOctave(YIN_ESTIMATE& estimate) const;
    void PreferUpperOctave(const float* values, int count, YIN_ESTIMATE& estimate) const;

    CYinPitch m_yin;
    CSpectrumOctave m_spectrum;
    double m_rate = 0.0;
    int m_longestWindow = 0;
};
