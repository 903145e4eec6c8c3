#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs one job on a thread of its own and keeps its answer until it is
// taken: for work that may take long or never end (opening a device of a
// sound system that hangs). The caller waits only as long as it chooses; a
// job that never ends is left to its thread, which ends with the process.
template <class T>
class CBackgroundTask {
public:
    CBackgroundTask() = default;
    CBackgroundTask(const CBackgroundTask&) = delete;
    CBackgroundTask& operator=(const CBackgroundTask&) = delete;

    void Start(std::function<T()> job) {
        m_state = std::make_shared<STATE>();
        // The thread keeps the state alive: it may outlive the task.
        std::thread([state = m_state, job = std::move(job)] {
            T answer = job();
            std::lock_guard<std::mutex> lock(state->lock);
            state->answer = std::move(answer);
            state->done = true;
            state->answered.notify_all();
        }).detach();
    }
    // Waits up to seconds for the answer; true once there is one.
    bool WaitFor(double seconds) {
        if (m_state == nullptr) {
            return false;
        }
        std::unique_lock<std::mutex> lock(m_state->lock);
        return m_state->answered.wait_for(lock, std::chrono::duration<double>(seconds),
                                          [this] { return m_state->done; });
    }
    // Takes the answer once there is one; false while the job still runs.
    bool Take(T& answer) {
        if (m_state == nullptr) {
            return false;
        }
        // The state may die with m_state below: it must outlive the lock.
        const std::shared_ptr<STATE> state = m_state;
        std::lock_guard<std::mutex> lock(state->lock);
        if (!state->done) {
            return false;
        }
        answer = std::move(state->answer);
        m_state.reset();
        return true;
    }
    bool IsStarted() const { return m_state != nullptr; }

private:
    struct STATE {
        std::mutex lock;
        std::condition_variable answered;
        bool done = false;
        T answer{};
    };

    std::shared_ptr<STATE> m_state;
};
