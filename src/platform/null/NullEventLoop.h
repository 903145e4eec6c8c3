#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "platform/EventLoop.h"

class CNullJournal;

// A deterministic event loop: time is virtual and moves only when the test
// (or Run) advances it; messages are dispatched in the order posted.
class CNullEventLoop : public IEventLoop {
public:
    explicit CNullEventLoop(CNullJournal* journal = nullptr);
    ~CNullEventLoop() override;

    WindowId AddWindow(IWindowHandler* handler) override;
    void RemoveWindow(WindowId window) override;
    void Post(WindowId window, int message, std::unique_ptr<IPayload> payload) override;
    bool SetTimer(WindowId window, int timerId, int periodMs) override;
    void KillTimer(WindowId window, int timerId) override;
    // Dispatches messages and fires timers in virtual time until Quit. With
    // nothing queued and no timer set it returns at once with -1, since
    // nothing could ever happen again.
    int Run() override;
    void Quit(int exitCode) override;

    // Dispatches the messages queued now and those they post; returns the
    // number dispatched.
    int ProcessMessages();
    // Moves virtual time on by ms, firing each due timer in time order and
    // dispatching messages after each.
    void AdvanceTime(int64_t ms);
    // Waits up to timeoutMs of real time for a message from another thread.
    bool WaitForMessage(int timeoutMs);

    int64_t GetTimeMs() const { return m_nowMs; }
    bool IsQuitRequested() const { return m_quit; }
    int GetExitCode() const { return m_exitCode; }
    size_t GetQueuedCount() const;
    bool HasTimer(WindowId window, int timerId) const;
    size_t GetWindowCount() const { return m_handlers.size(); }

private:
    struct QUEUED_MESSAGE {
        WindowId window;
        int message;
        std::unique_ptr<IPayload> payload;
    };
    struct TIMER {
        int periodMs;
        int64_t dueMs;
    };
    using TimerKey = std::pair<WindowId, int>;

    bool FireNextTimer(int64_t untilMs);
    void Record(const std::string& entry);

    CNullJournal* m_journal;
    std::map<WindowId, IWindowHandler*> m_handlers;
    std::map<TimerKey, TIMER> m_timers;
    WindowId m_nextId = 1;
    int64_t m_nowMs = 0;
    bool m_quit = false;
    int m_exitCode = 0;

    mutable std::mutex m_queueMutex;
    std::condition_variable m_queued;
    std::deque<QUEUED_MESSAGE> m_queue;
};
