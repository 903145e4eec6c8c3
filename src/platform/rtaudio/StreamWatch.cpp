#include "platform/rtaudio/StreamWatch.h"

#include <chrono>

void CStreamWatch::Start(const std::atomic<uint64_t>& blocks, std::function<void()> onStall) {
    Stop();
    m_blocks = &blocks;
    m_onStall = std::move(onStall);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = false;
    }
    m_thread = std::thread(&CStreamWatch::Run, this);
}

void CStreamWatch::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CStreamWatch::Run() {
    using namespace std::chrono;
    uint64_t seen = m_blocks->load(std::memory_order_relaxed);
    auto lastBlock = steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, milliseconds(kPeriodMs), [this] { return m_stop; })) {
        const uint64_t blocks = m_blocks->load(std::memory_order_relaxed);
        const auto now = steady_clock::now();
        if (blocks != seen) {
            seen = blocks;
            lastBlock = now;
        } else if (now - lastBlock > milliseconds(kStallLimitMs)) {
            lock.unlock();
            m_onStall();
            return;
        }
    }
}
