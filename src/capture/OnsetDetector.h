#pragma once

#include <deque>
#include <vector>

#include "capture/Fft.h"

// Finds where sounds begin without waiting for the level to cross a fixed
// trigger: spectral flux with a maximum filter across frequencies (a
// partial that wanders by a bin, as in vibrato, is no new energy), compared
// with the frame two hops back, over a threshold that follows the recent
// flux. It also keeps each hop's level, so that a sound's start can be
// traced back to where it first stood out of the floor.
class COnsetDetector {
public:
    // A hop's flux must exceed the recent mean this many times...
    static constexpr double kFluxRatio = 2.0;
    // ... and this much, in mean log-magnitude per bin.
    static constexpr double kFluxDelta = 0.04;

    // hop values per analysis; fftSize values per spectrum.
    COnsetDetector(int hop, int fftSize);

    void Reset();
    // Analyses the newest hop: frame points at the newest fftSize values.
    // Returns the hop's flux.
    double AddHop(const float* frame, double levelDb);
    // True when the newest hop's flux stands out of the recent flux.
    bool IsOnset() const { return m_onset; }
    double GetFlux() const { return m_flux; }
    // The rise of the newest hop's level over the quietest of the few hops
    // before it, in dB.
    double GetRiseDb() const;
    // How many hops back the level first rose above floorDb, looking back at
    // most maxHops; 0 is the newest hop.
    int HopsSinceAbove(double floorDb, int maxHops) const;
    int GetFftSize() const { return m_fft.GetSize(); }

private:
    CFft m_fft;
    std::vector<float> m_spectrum;
    std::vector<std::vector<float>> m_previous;  // compressed spectra of the last hops
    std::deque<double> m_fluxes;                 // recent flux, newest last
    std::deque<double> m_levels;                 // recent levels in dB, newest last
    double m_flux = 0.0;
    bool m_onset = false;
};
