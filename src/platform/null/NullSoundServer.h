#pragma once

#include <atomic>

// The sound server behind the null devices that are given one: a test stops
// it to see its open devices stop by themselves, as a sound server that ends
// stops a real device, and starts it again. While it is stopped, no device
// of it opens.
class CNullSoundServer {
public:
    void Stop() { m_running.store(false, std::memory_order_release); }
    void Start() { m_running.store(true, std::memory_order_release); }
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_running{true};
};
