#include "foundation/Random.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <random>

namespace {

constexpr double kDrawRange = 32768.0;

struct RANDOM_SOURCE {
    std::mutex lock;
    std::minstd_rand engine;
};

RANDOM_SOURCE& Source() {
    static RANDOM_SOURCE source;
    return source;
}

// A 15-bit draw, 0..32767, taken from the engine's upper bits.
int Draw() {
    RANDOM_SOURCE& source = Source();
    std::lock_guard<std::mutex> guard(source.lock);
    return static_cast<int>((source.engine() >> 16) & 0x7FFF);
}

}  // namespace

int Random(int a, int b) {
    const int64_t lo = std::min(a, b);
    const int64_t hi = std::max(a, b);
    if (lo == hi) {
        return static_cast<int>(lo);
    }
    // 64-bit so that the width of the full int range does not overflow.
    const int64_t width = hi - lo + 1;
    const auto offset = static_cast<int64_t>(Draw() / kDrawRange * static_cast<double>(width));
    return static_cast<int>(std::clamp(lo + offset, lo, hi));
}

double RandomDouble(double a, double b) {
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    const double t = Draw() / kDrawRange;
    double value = lo + (hi - lo) * t;
    if (!std::isfinite(value)) {
        // The width overflows for bounds near the ends of the double range;
        // weighting the bounds instead stays finite.
        value = lo * (1.0 - t) + hi * t;
    }
    return std::clamp(value, lo, hi);
}

void SeedRandom(unsigned seed) {
    RANDOM_SOURCE& source = Source();
    std::lock_guard<std::mutex> guard(source.lock);
    source.engine.seed(seed);
}
