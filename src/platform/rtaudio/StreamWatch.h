#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// A thread that looks at a stream's block count every period and calls
// onStall once, on its own thread, when the count has not moved for the
// stall limit: the device has stopped (a JACK server that ends, an
// unplugged card), whatever stopped it.
class CStreamWatch {
public:
    static constexpr int kPeriodMs = 250;
    static constexpr int kStallLimitMs = 2000;

    CStreamWatch() = default;
    CStreamWatch(const CStreamWatch&) = delete;
    CStreamWatch& operator=(const CStreamWatch&) = delete;
    ~CStreamWatch() { Stop(); }

    // blocks must outlive the watch.
    void Start(const std::atomic<uint64_t>& blocks, std::function<void()> onStall);
    // Ends the thread and waits for it; any thread but the watch's own.
    void Stop();

private:
    void Run();

    const std::atomic<uint64_t>* m_blocks = nullptr;
    std::function<void()> m_onStall;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};
