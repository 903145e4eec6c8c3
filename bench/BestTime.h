#pragma once

#include <algorithm>
#include <chrono>
#include <limits>

// The shortest of runs timings of work, in milliseconds; -1 when work fails.
template <typename Work>
double BestMilliseconds(int runs, Work work) {
    double best = std::numeric_limits<double>::max();
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (!work()) {
            return -1.0;
        }
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}
