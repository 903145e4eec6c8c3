#pragma once

// Tells from the spectrum whether a pitch found by its period lies an
// octave below the note. A stop that sounds a fifth over the octave below
// the key (an organ's quint) makes the sound repeat at twice the key's
// period, though nothing sounds at the octave below itself. From the middle
// of the keyboard up, every instrument a learner plays sounds its
// fundamental (a microphone loses it only in the bass), so a pitch there
// without one is the octave above.
struct PARTIAL_SHARES {
    double fundamental = 0.0;
    double odd = 0.0;
};

class CSpectrumOctave {
public:
    // Pitches from here up are checked.
    static constexpr double kLowest = 250.0;
    // A fundamental under this share of the power is missing...
    static constexpr double kFundamentalShare = 0.001;
    // ... if the other odd partials are no more than this share either (a
    // hollow, clarinet-like tone is no octave higher).
    static constexpr double kOddShare = 0.3;
    // Periods of the pitch found that the check looks at...
    static constexpr double kPeriods = 6.0;
    // ... and at least this many.
    static constexpr double kFewestPeriods = 3.0;

    explicit CSpectrumOctave(double rate = 0.0) : m_rate(rate) {}

    // Values the check needs for a pitch of frequency Hz.
    int ValuesFor(double frequency) const;
    // Values any check of that pitch needs.
    int FewestFor(double frequency) const;
    // The shares of the power at the multiples of frequency that lie at
    // the fundamental and at the odd multiples (the fundamental included),
    // over the newest values of count; false when there are too few.
    bool Measure(const float* values, int count, double frequency, PARTIAL_SHARES& shares) const;
    // Whether the pitch frequency (found by its period) is an octave below
    // the note; false when there are too few values to tell.
    bool IsOctaveLow(const float* values, int count, double frequency) const;
    // Whether nothing sounds at frequency itself: a period found in a mixture
    // of a new note and the last one's ringing can lie far below both.
    bool LacksFundamental(const float* values, int count, double frequency) const;

private:
    double m_rate;
};
