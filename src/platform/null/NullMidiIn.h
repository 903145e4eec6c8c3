#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/MidiIn.h"

// A MIDI input whose ports and bytes the test makes up. Injected bytes reach
// the sink on the input's own delivery thread, in the order injected, as a
// real input's do; removing the open port reports it lost on that thread.
class CNullMidiIn : public IMidiIn {
public:
    CNullMidiIn() = default;
    CNullMidiIn(const CNullMidiIn&) = delete;
    CNullMidiIn& operator=(const CNullMidiIn&) = delete;
    ~CNullMidiIn() override;

    int GetPortCount() override;
    bool GetPortName(int port, std::string& name) override;
    bool Open(int port, IMidiInSink* sink) override;
    // Must not be called from inside the sink.
    bool Close() override;
    bool IsOpen() const override;
    const char* GetError() const override { return m_error.c_str(); }

    // Test side. A port plugged in or pulled out; pulling out the open port
    // reports it lost. The next Open fails with text when one is given.
    void AddPort(const std::string& name);
    bool RemovePort(const std::string& name);
    void FailNextOpen(const std::string& text);
    // Queues bytes for delivery as one call; false when no port is open or
    // the open port is gone.
    bool Inject(const std::vector<uint8_t>& bytes, double seconds = 0.0);
    // Waits until everything queued has been handed to the sink.
    bool WaitUntilDelivered(int timeoutMs);
    int GetOpenPort() const;
    int GetOpenCount() const;

private:
    struct EVENT {
        std::vector<uint8_t> bytes;
        double seconds = 0.0;
        bool lost = false;
    };
    void Deliver();
    void StopThread(std::unique_lock<std::mutex>& lock);

    mutable std::mutex m_mutex;  // guards everything below
    std::condition_variable m_changed;
    std::vector<std::string> m_ports;
    std::string m_error;
    std::string m_failNextOpen;
    std::string m_openName;
    bool m_open = false;
    bool m_lost = false;
    bool m_stop = false;
    int m_openCount = 0;
    int m_busy = 0;  // events taken off the queue and not yet delivered
    IMidiInSink* m_sink = nullptr;
    std::deque<EVENT> m_queue;
    std::thread m_thread;
};
