#include "platform/null/NullMidiIn.h"

#include <algorithm>
#include <chrono>

CNullMidiIn::~CNullMidiIn() {
    Close();
}

int CNullMidiIn::GetPortCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_ports.size());
}

bool CNullMidiIn::GetPortName(int port, std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (port < 0 || port >= static_cast<int>(m_ports.size())) {
        name.clear();
        m_error =
            "Can't get the name of MIDI input port " + std::to_string(port) + ": no such port";
        return false;
    }
    name = m_ports[port];
    return true;
}

bool CNullMidiIn::Open(int port, IMidiInSink* sink) {
    Close();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (port < 0 || port >= static_cast<int>(m_ports.size()) || sink == nullptr) {
        m_error = "Can't open MIDI input port " + std::to_string(port) +
                  (sink == nullptr ? ": no receiver" : ": no such port");
        return false;
    }
    if (!m_failNextOpen.empty()) {
        m_error = "Can't open MIDI input port " + std::to_string(port) + ": " + m_failNextOpen;
        m_failNextOpen.clear();
        return false;
    }
    m_sink = sink;
    m_openName = m_ports[port];
    m_open = true;
    m_lost = false;
    m_stop = false;
    ++m_openCount;
    m_thread = std::thread(&CNullMidiIn::Deliver, this);
    return true;
}

void CNullMidiIn::StopThread(std::unique_lock<std::mutex>& lock) {
    m_stop = true;
    m_changed.notify_all();
    std::thread thread = std::move(m_thread);
    lock.unlock();
    if (thread.joinable()) {
        thread.join();
    }
    lock.lock();
}

bool CNullMidiIn::Close() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_open) {
        return true;
    }
    StopThread(lock);
    m_open = false;
    m_sink = nullptr;
    m_queue.clear();
    m_busy = 0;
    m_changed.notify_all();
    return true;
}

bool CNullMidiIn::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open;
}

void CNullMidiIn::AddPort(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.push_back(name);
}

bool CNullMidiIn::RemovePort(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = std::find(m_ports.begin(), m_ports.end(), name);
    if (found == m_ports.end()) {
        return false;
    }
    m_ports.erase(found);
    if (m_open && !m_lost && name == m_openName) {
        m_lost = true;
        EVENT event;
        event.lost = true;
        m_queue.push_back(std::move(event));
        m_changed.notify_all();
    }
    return true;
}

void CNullMidiIn::FailNextOpen(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failNextOpen = text;
}

bool CNullMidiIn::Inject(const std::vector<uint8_t>& bytes, double seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open || m_lost) {
        return false;
    }
    EVENT event;
    event.bytes = bytes;
    event.seconds = seconds;
    m_queue.push_back(std::move(event));
    m_changed.notify_all();
    return true;
}

bool CNullMidiIn::WaitUntilDelivered(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_queue.empty() && m_busy == 0; });
}

int CNullMidiIn::GetOpenPort() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open) {
        return -1;
    }
    const auto found = std::find(m_ports.begin(), m_ports.end(), m_openName);
    return found == m_ports.end() ? -1 : static_cast<int>(found - m_ports.begin());
}

int CNullMidiIn::GetOpenCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_openCount;
}

void CNullMidiIn::Deliver() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop) {
            return;
        }
        EVENT event = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_busy;
        IMidiInSink* sink = m_sink;
        // The sink runs unlocked, so that it may ask for port names.
        lock.unlock();
        if (event.lost) {
            sink->OnPortLost("the device was removed");
        } else {
            sink->OnMidiBytes(event.bytes.data(), event.bytes.size(), event.seconds);
        }
        lock.lock();
        --m_busy;
        m_changed.notify_all();
    }
}
