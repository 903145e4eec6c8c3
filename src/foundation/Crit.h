#pragma once

#include <mutex>

// A recursive lock: the thread that holds it may take it again.
class CCrit {
public:
    CCrit() = default;
    CCrit(const CCrit&) = delete;
    CCrit& operator=(const CCrit&) = delete;
    virtual ~CCrit() = default;

    void Enter() { m_mutex.lock(); }
    bool TryEnter() { return m_mutex.try_lock(); }
    void Leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};
