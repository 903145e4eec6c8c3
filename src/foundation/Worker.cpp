#include "foundation/Worker.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "foundation/ErrorText.h"
#include "foundation/LogFile.h"

CWorker::CWorker(const char* name, CLogFile* log) : m_name(name), m_log(log) {}

CWorker::~CWorker() {
    if (m_thread.joinable()) {
        Stop(kNoLimit);
    }
}

bool CWorker::Start() {
    if (m_thread.joinable()) {
        m_error = "Already started";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_commands.clear();
        m_tickRequest = m_exitRequest = m_started = m_finished = false;
    }
    m_stopping = false;
    try {
        m_thread = std::thread(&CWorker::Loop, this);
    } catch (const std::exception&) {
        m_error = "Can't create thread";
        return false;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_progress.wait(lock, [this] { return m_started; });
    return true;
}

bool CWorker::Stop(int timeoutMs) {
    if (!m_thread.joinable()) {
        return true;
    }
    m_stopping = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_exitRequest = true;
    }
    m_wake.notify_all();
    if (!WaitUntilFinished(timeoutMs)) {
        Log("Can't exit '%s' thread, ID=%d, in %d ms; it keeps running", m_name.GetText(),
            m_threadId.load(), timeoutMs);
        m_error.Format("Can't stop '%s' thread in %d ms", m_name.GetText(), timeoutMs);
        return false;
    }
    m_thread.join();
    return true;
}

bool CWorker::WaitUntilFinished(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto finished = [this] { return m_finished; };
    if (timeoutMs < 0) {
        m_progress.wait(lock, finished);
        return true;
    }
    return m_progress.wait_for(lock, std::chrono::milliseconds(timeoutMs), finished);
}

bool CWorker::Post(uint32_t command, bool wait) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_started || m_finished || m_exitRequest) {
        m_error.Format("Can't post to '%s' thread: not running", m_name.GetText());
        return false;
    }
    m_commands.push_back(command);
    const uint64_t ticket = ++m_posted;
    m_wake.notify_one();
    if (!wait) {
        return true;
    }
    if (std::this_thread::get_id() == m_thread.get_id()) {
        return true;  // waiting for itself would never end
    }
    m_progress.wait(lock, [&] { return m_handled >= ticket || m_finished; });
    return m_handled >= ticket;
}

bool CWorker::RequestTick() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started || m_finished) {
        return false;
    }
    m_tickRequest = true;
    m_wake.notify_one();
    return true;
}

size_t CWorker::GetPendingCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands.size();
}

bool CWorker::SetPriority(int priority) {
    if (!m_thread.joinable()) {
        m_error.Format("Can't set priority of '%s' thread: not running", m_name.GetText());
        return false;
    }
    const int nice = std::clamp(-5 * priority, -20, 19);
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(m_threadId.load()), nice) != 0) {
        m_lastError = errno;
        CCharString reason;
        GetErrorText(m_lastError, reason);
        m_error.Format("Can't set priority of '%s' thread: %s", m_name.GetText(), reason.GetText());
        return false;
    }
    return true;
}

void CWorker::DoWork(uint32_t) {}

void CWorker::OnTick() {}

void CWorker::Log(const char* format, ...) {
    if (m_log == nullptr) {
        return;
    }
    CCharString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    m_log->Printf("%s", text.GetText());
}

void CWorker::SetTickPeriod(int milliseconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tickPeriodMs = milliseconds > 0 ? milliseconds : 0;
    m_wake.notify_all();
}

void CWorker::Loop() {
    // Linux thread names hold at most 15 characters.
    CCharString shortName;
    shortName.AssignN(m_name, 15);
    pthread_setname_np(pthread_self(), shortName);
    m_threadId = static_cast<int>(gettid());
    std::unique_lock<std::mutex> lock(m_mutex);
    m_started = true;
    m_running = true;
    m_progress.notify_all();
    while (!m_stopping) {
        const auto due = [this] { return m_exitRequest || m_tickRequest || !m_commands.empty(); };
        if (m_tickPeriodMs > 0) {
            if (!m_wake.wait_for(lock, std::chrono::milliseconds(m_tickPeriodMs), due)) {
                m_tickRequest = true;  // idle for a whole period
            }
        } else {
            m_wake.wait(lock, due);
        }
        if (m_exitRequest) {
            break;
        }
        if (!m_commands.empty()) {
            const uint32_t command = m_commands.front();
            m_commands.pop_front();
            lock.unlock();
            DoWork(command);
            lock.lock();
            ++m_handled;
            m_progress.notify_all();
        } else {
            m_tickRequest = false;
            lock.unlock();
            OnTick();
            lock.lock();
        }
    }
    m_commands.clear();
    m_running = false;
    m_finished = true;
    m_progress.notify_all();
}
