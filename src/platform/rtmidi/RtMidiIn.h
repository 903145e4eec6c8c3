#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/MidiIn.h"

class RtMidiIn;

// The MIDI input on RtMidi: ALSA sequencer or JACK ports on Linux. Bytes
// arrive on RtMidi's input thread. A watcher thread looks every
// kWatchPeriodMs for the open port's name among the ports present and
// reports the port lost when it is gone.
class CRtMidiIn : public IMidiIn {
public:
    static constexpr int kWatchPeriodMs = 250;

    enum class Api { kDefault, kAlsa, kJack };

    explicit CRtMidiIn(Api api = Api::kDefault, const char* clientName = "Notara");
    CRtMidiIn(const CRtMidiIn&) = delete;
    CRtMidiIn& operator=(const CRtMidiIn&) = delete;
    ~CRtMidiIn() override;

    // False when the MIDI system could not be reached at all.
    bool IsAvailable() const { return m_in != nullptr; }
    // The system in use: kDefault chooses ALSA, or JACK when ALSA is missing.
    Api GetApi() const { return m_api; }

    int GetPortCount() override;
    bool GetPortName(int port, std::string& name) override;
    bool Open(int port, IMidiInSink* sink) override;
    bool Close() override;
    bool IsOpen() const override { return m_open; }
    // JACK: the server of the input's client has shut down since (it is
    // replaced by the next listing, open or close).
    bool IsServerGone() const { return m_serverGone; }
    const char* GetError() const override { return m_error.c_str(); }

private:
    static void OnInput(double delta, std::vector<unsigned char>* message, void* user);
    void Watch(std::string portName);
    void WatchPorts(const std::string& portName);
    void WatchJack(const std::string& portName);
    bool WaitForNextLook(std::unique_lock<std::mutex>& lock);
    static void OnJackShutdown(void* user);
    // JACK only: a client of the input's server that is told when the
    // server shuts down, with or without an open port, so that the input's
    // own client is never closed on a server that is gone.
    void OpenServerProbe();
    // A client of a server that is gone is let go unclosed: libjack can't
    // free it. A fresh input (and probe) takes its place for a later server.
    void ReplaceDeadInput();
    bool PortExists(RtMidiIn& probe, const std::string& name);
    void ReportLost(const char* reason);
    bool Fail(const std::string& text);

    Api m_api;
    std::string m_clientName;
    std::unique_ptr<RtMidiIn> m_in;
    std::string m_error;
    bool m_open = false;

    std::mutex m_sinkMutex;  // one sink call at a time; guards the three below
    IMidiInSink* m_sink = nullptr;
    bool m_lost = false;
    double m_seconds = 0.0;

    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_watchStop = false;
    std::atomic<bool> m_serverGone{false};  // the JACK server has shut down
    void* m_serverProbe = nullptr;          // the probe's jack_client_t
    std::thread m_watcher;
};
