#include "platform/null/NullEventLoop.h"

#include <chrono>
#include <string>

#include "platform/null/NullJournal.h"

CNullEventLoop::CNullEventLoop(CNullJournal* journal) : m_journal(journal) {}

CNullEventLoop::~CNullEventLoop() = default;

void CNullEventLoop::Record(const std::string& entry) {
    if (m_journal != nullptr) {
        m_journal->Add(entry);
    }
}

WindowId CNullEventLoop::AddWindow(IWindowHandler* handler) {
    const WindowId id = m_nextId++;
    m_handlers[id] = handler;
    return id;
}

void CNullEventLoop::RemoveWindow(WindowId window) {
    m_handlers.erase(window);
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        it = it->first.first == window ? m_timers.erase(it) : std::next(it);
    }
}

void CNullEventLoop::Post(WindowId window, int message, std::unique_ptr<IPayload> payload) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_queue.push_back({window, message, std::move(payload)});
    m_queued.notify_all();
}

bool CNullEventLoop::SetTimer(WindowId window, int timerId, int periodMs) {
    if (periodMs <= 0 || m_handlers.count(window) == 0) {
        return false;
    }
    m_timers[{window, timerId}] = {periodMs, m_nowMs + periodMs};
    Record("SetTimer " + std::to_string(timerId) + " " + std::to_string(periodMs));
    return true;
}

void CNullEventLoop::KillTimer(WindowId window, int timerId) {
    if (m_timers.erase({window, timerId}) != 0) {
        Record("KillTimer " + std::to_string(timerId));
    }
}

int CNullEventLoop::Run() {
    while (!m_quit) {
        ProcessMessages();
        if (m_quit) {
            break;
        }
        if (m_timers.empty()) {
            return -1;
        }
        FireNextTimer(INT64_MAX);
    }
    return m_exitCode;
}

void CNullEventLoop::Quit(int exitCode) {
    m_quit = true;
    m_exitCode = exitCode;
    Record("Quit " + std::to_string(exitCode));
}

int CNullEventLoop::ProcessMessages() {
    int dispatched = 0;
    for (;;) {
        QUEUED_MESSAGE next;
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (m_queue.empty()) {
                return dispatched;
            }
            next = std::move(m_queue.front());
            m_queue.pop_front();
        }
        auto handler = m_handlers.find(next.window);
        if (handler != m_handlers.end()) {
            handler->second->OnMessage(next.message, std::move(next.payload));
        }
        ++dispatched;  // an unreceived payload is deleted here
    }
}

bool CNullEventLoop::FireNextTimer(int64_t untilMs) {
    auto next = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (next == m_timers.end() || it->second.dueMs < next->second.dueMs) {
            next = it;
        }
    }
    if (next == m_timers.end() || next->second.dueMs > untilMs) {
        return false;
    }
    const TimerKey key = next->first;
    m_nowMs = next->second.dueMs;
    next->second.dueMs += next->second.periodMs;
    auto handler = m_handlers.find(key.first);
    if (handler != m_handlers.end()) {
        handler->second->OnTimer(key.second);
    }
    ProcessMessages();
    return true;
}

void CNullEventLoop::AdvanceTime(int64_t ms) {
    const int64_t until = m_nowMs + ms;
    ProcessMessages();
    while (FireNextTimer(until)) {
    }
    m_nowMs = until;
}

bool CNullEventLoop::WaitForMessage(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_queueMutex);
    return m_queued.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return !m_queue.empty(); });
}

size_t CNullEventLoop::GetQueuedCount() const {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    return m_queue.size();
}

bool CNullEventLoop::HasTimer(WindowId window, int timerId) const {
    return m_timers.count({window, timerId}) != 0;
}
