#pragma once

#include <atomic>

// Counts how many of its objects are alive, to prove who deletes payloads.
struct COUNTED {
    static std::atomic<int> alive;
    int value = 0;
    explicit COUNTED(int v = 0) : value(v) { ++alive; }
    ~COUNTED() { --alive; }
};
