#include "capture/Fft.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSmallest = 4;

int PowerOfTwoAtMost(int size) {
    int power = kSmallest;
    while (power * 2 <= size) {
        power *= 2;
    }
    return power;
}

}  // namespace

CFft::CFft(int size)
    : m_size(PowerOfTwoAtMost(size)),
      m_window(m_size),
      m_twiddles(m_size / 2),
      m_reversed(m_size),
      m_data(m_size) {
    for (int i = 0; i < m_size; ++i) {
        m_window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * i / m_size));
    }
    for (int i = 0; i < m_size / 2; ++i) {
        const double angle = -2.0 * kPi * i / m_size;
        m_twiddles[i] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
    }
    int bits = 0;
    while ((1 << bits) < m_size) {
        ++bits;
    }
    for (int i = 0; i < m_size; ++i) {
        int reversed = 0;
        for (int b = 0; b < bits; ++b) {
            reversed |= ((i >> b) & 1) << (bits - 1 - b);
        }
        m_reversed[i] = reversed;
    }
}

void CFft::Magnitudes(const float* frame, std::vector<float>& magnitudes) {
    for (int i = 0; i < m_size; ++i) {
        m_data[m_reversed[i]] = {frame[i] * m_window[i], 0.0f};
    }
    Transform();
    magnitudes.resize(m_size / 2 + 1);
    for (int i = 0; i <= m_size / 2; ++i) {
        magnitudes[i] = std::abs(m_data[i]);
    }
}

// Iterative decimation in time over the bit-reversed data.
void CFft::Transform() {
    for (int span = 2; span <= m_size; span *= 2) {
        const int half = span / 2;
        const int stride = m_size / span;
        for (int start = 0; start < m_size; start += span) {
            for (int k = 0; k < half; ++k) {
                const std::complex<float> odd = m_twiddles[k * stride] * m_data[start + k + half];
                const std::complex<float> even = m_data[start + k];
                m_data[start + k] = even + odd;
                m_data[start + k + half] = even - odd;
            }
        }
    }
}
