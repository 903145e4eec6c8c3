#pragma once

#include <chrono>
#include <thread>

// Waits until condition holds, looking every millisecond, for at most limit;
// false when it never did.
template <typename Condition>
bool WaitFor(Condition condition,
             std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
