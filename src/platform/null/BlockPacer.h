#pragma once

#include <chrono>
#include <cstdint>

// Paces a device thread that handles one block of frames at a time: each
// block's deadline is counted in whole frames from the start, so the rate
// neither drifts nor depends on how long a block takes. A thread that falls
// more than kMaxLag behind starts counting again from now instead of
// racing to catch up.
class CBlockPacer {
public:
    static constexpr std::chrono::milliseconds kMaxLag{100};

    explicit CBlockPacer(int rate) : m_rate(rate), m_start(std::chrono::steady_clock::now()) {}

    // When the block after another frames is due.
    std::chrono::steady_clock::time_point Next(int frames) {
        constexpr int64_t kNanosecondsPerSecond = 1000000000;
        m_frames += frames;
        auto deadline =
            m_start + std::chrono::nanoseconds(m_frames * kNanosecondsPerSecond / m_rate);
        const auto now = std::chrono::steady_clock::now();
        if (now - deadline > kMaxLag) {
            m_start = deadline = now;
            m_frames = 0;
        }
        return deadline;
    }

private:
    const int64_t m_rate;
    std::chrono::steady_clock::time_point m_start;
    int64_t m_frames = 0;
};
