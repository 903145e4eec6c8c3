#pragma once

#include <complex>
#include <vector>

// Magnitude spectrum of a short real frame by a radix-2 FFT whose twiddles
// and window are computed once: the onset detector takes one every hop.
class CFft {
public:
    // size: a power of two from 4 up; anything else is rounded down to one.
    explicit CFft(int size);

    int GetSize() const { return m_size; }
    // Bins 0..size/2 of the Hann-windowed frame (size values).
    void Magnitudes(const float* frame, std::vector<float>& magnitudes);

private:
    void Transform();

    int m_size;
    std::vector<float> m_window;
    std::vector<std::complex<float>> m_twiddles;
    std::vector<int> m_reversed;  // bit-reversed index of each position
    std::vector<std::complex<float>> m_data;
};
