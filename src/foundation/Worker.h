#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "foundation/CharString.h"

class CLogFile;

// A named background thread that runs the commands its owner posts, one at a
// time and in the order they were posted, and a tick request that is handled
// once however often it was asked for while the thread was busy.
//
// A derived class must call Stop in its own destructor: the base destructor
// runs after the derived part is gone, too late for DoWork to run safely.
class CWorker {
public:
    static constexpr int kNoLimit = -1;

    CWorker(const char* name, CLogFile* log);
    CWorker(const CWorker&) = delete;
    CWorker& operator=(const CWorker&) = delete;
    virtual ~CWorker();

    // Starts the thread and returns once its loop runs.
    bool Start();
    // Asks the loop to end and waits up to timeoutMs (kNoLimit: without
    // limit) for the thread to finish. Commands still queued are dropped. A
    // thread that does not finish in time is left running, reported in the
    // log and the error text, and false is returned; a later Stop may join it.
    bool Stop(int timeoutMs);
    // Queues command for DoWork. With wait, returns once DoWork has handled
    // it (or the thread has ended). False when the thread is not running.
    bool Post(uint32_t command, bool wait);
    // Asks for one OnTick call.
    bool RequestTick();
    // With a period above 0, OnTick also runs when the thread has been idle
    // that long, so periodic work goes on however busy the poster is; 0 (the
    // default) ticks only on request.
    void SetTickPeriod(int milliseconds);
    // Scheduling priority in the steps -2 (lowest) to 2 (highest), 15 for
    // time-critical work; raising it may need privileges the process lacks.
    bool SetPriority(int priority);

    bool IsRunning() const { return m_running; }
    bool IsStopping() const { return m_stopping; }
    const char* GetName() const { return m_name; }
    const char* GetError() const { return m_error; }
    int GetLastError() const { return m_lastError; }
    int GetThreadId() const { return m_threadId; }
    size_t GetPendingCount() const;

protected:
    virtual void DoWork(uint32_t command);
    virtual void OnTick();
    void Log(const char* format, ...) NOTARA_PRINTF(2, 3);

private:
    void Loop();
    bool WaitUntilFinished(int timeoutMs);

    CCharString m_error;
    int m_lastError = 0;
    CCharString m_name;
    CLogFile* m_log;
    std::thread m_thread;
    std::atomic<int> m_threadId{0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopping{false};

    mutable std::mutex m_mutex;  // guards everything below
    std::condition_variable m_wake;
    std::condition_variable m_progress;
    std::deque<uint32_t> m_commands;
    uint64_t m_posted = 0;
    uint64_t m_handled = 0;
    bool m_tickRequest = false;
    int m_tickPeriodMs = 0;
    bool m_exitRequest = false;
    bool m_started = false;
    bool m_finished = false;
};
