#include "capture/OnsetDetector.h"

#include <algorithm>
#include <cmath>

namespace {

// log10(1 + kCompression · magnitude): quiet partials count as much as loud
// ones, so a slow attack shows at its start.
constexpr float kCompression = 1000.0f;
constexpr int kLagHops = 2;       // the spectrum compared with
constexpr size_t kFluxHops = 16;  // the recent flux the threshold follows
constexpr size_t kLevelHops = 32;
constexpr int kRiseHops = 4;

}  // namespace

COnsetDetector::COnsetDetector(int hop, int fftSize) : m_fft(std::max(fftSize, 2 * hop)) {
    Reset();
}

void COnsetDetector::Reset() {
    m_previous.clear();
    m_fluxes.clear();
    m_levels.clear();
    m_flux = 0.0;
    m_onset = false;
}

double COnsetDetector::AddHop(const float* frame, double levelDb) {
    m_fft.Magnitudes(frame, m_spectrum);
    // A full-scale sine's bin reads 1.
    const float scale = 4.0f / m_fft.GetSize();
    for (float& bin : m_spectrum) {
        bin = std::log10(1.0f + kCompression * scale * bin);
    }
    m_flux = 0.0;
    if (static_cast<int>(m_previous.size()) == kLagHops) {
        const std::vector<float>& old = m_previous.front();
        const size_t bins = m_spectrum.size();
        double sum = 0.0;
        for (size_t k = 0; k < bins; ++k) {
            const float lower = old[k > 0 ? k - 1 : k];
            const float upper = old[k + 1 < bins ? k + 1 : k];
            const float before = std::max({lower, old[k], upper});
            sum += std::max(0.0f, m_spectrum[k] - before);
        }
        m_flux = sum / bins;
        m_previous.erase(m_previous.begin());
    }
    m_previous.push_back(m_spectrum);
    double mean = 0.0;
    for (double flux : m_fluxes) {
        mean += flux;
    }
    mean = m_fluxes.empty() ? 0.0 : mean / m_fluxes.size();
    m_onset = m_fluxes.size() >= kLagHops && m_flux > kFluxRatio * mean + kFluxDelta;
    m_fluxes.push_back(m_flux);
    if (m_fluxes.size() > kFluxHops) {
        m_fluxes.pop_front();
    }
    m_levels.push_back(levelDb);
    if (m_levels.size() > kLevelHops) {
        m_levels.pop_front();
    }
    return m_flux;
}

double COnsetDetector::GetRiseDb() const {
    if (m_levels.size() < 2) {
        return 0.0;
    }
    const auto newest = m_levels.end() - 1;
    const auto first = m_levels.size() > kRiseHops ? newest - kRiseHops : m_levels.begin();
    return *newest - *std::min_element(first, newest);
}

int COnsetDetector::HopsSinceAbove(double floorDb, int maxHops) const {
    int back = 0;
    const int count = static_cast<int>(m_levels.size());
    while (back + 1 < count && back + 1 <= maxHops && m_levels[count - 2 - back] > floorDb) {
        ++back;
    }
    return back;
}
