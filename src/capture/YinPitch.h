#pragma once

#include <vector>

// What one look at a window found.
struct YIN_ESTIMATE {
    double frequency = 0.0;     // Hz; 0: no period found
    double aperiodicity = 1.0;  // the normalised difference at the period: 0 perfectly periodic
};

// Period of a window of mono values by the cumulative-mean-normalised
// difference function (YIN): the first dip below an absolute threshold is
// the period, refined between lags by a parabola. Before answering, the
// period is compared with its half and its double, so that a tone whose
// fundamental is weak or whose alternate cycles differ a little is named by
// its own period. A window of n values looks at lags up to n / 2, so a short
// window already answers for high notes; a period is only told once its
// double could be looked at too (or lies beyond the range).
class CYinPitch {
public:
    // A dip this low is a period (YIN's absolute threshold).
    static constexpr double kThreshold = 0.15;
    // Without such a dip, the deepest one still counts up to this.
    static constexpr double kWeakest = 0.45;

    // rate of the values; lowest and highest fundamental in Hz.
    void Configure(double rate, double lowest, double highest);

    // Looks at count values; false (estimate cleared) when the window is too
    // short for any lag or holds no period. avoid (Hz, 0 for none): a note
    // that may still fade in the window, whose mixture with a new one is not
    // to be taken for the new one.
    bool Estimate(const float* values, int count, YIN_ESTIMATE& estimate, double avoid = 0.0);

    // After Estimate: the deepest dip within cents of frequency, if it lies
    // inside that span (not on its edge, which would be the shoulder of a
    // dip beyond); 1.0 when there is none. A held note is still heard while
    // its own period stays periodic, whatever dip is deepest.
    double DipNear(double frequency, double cents) const;
    // Values a window needs to tell a period of lag samples, with its double.
    int ValuesFor(double lag) const;
    int GetLongestLag() const { return m_longest; }
    int GetShortestLag() const { return m_shortest; }
    double GetRate() const { return m_rate; }

private:
    void Differences(const float* values, int window, int lags);
    void Normalise(int lags);
    int FirstDip(int lags) const;
    int PastRipple(int lag, int last) const;
    static bool IsMultiple(int longer, int lag);
    int DeepestDip(int first, int last) const;
    int DipAround(int centre, int last) const;
    bool IsDip(int lag) const;
    int CheckOctaves(int lag, int lags) const;
    int AvoidMixture(int lag, double avoid) const;
    double Refine(int lag, int lags) const;

    double m_rate = 0.0;
    int m_shortest = 2;
    int m_longest = 2;
    std::vector<double> m_energy;  // running sums of squares
    std::vector<float> m_curve;    // difference, then normalised, by lag
    int m_lags = 0;                // lags of the last estimate
};
