#include "platform/rtmidi/RtMidiIn.h"

#include <RtMidi.h>
#include <jack/jack.h>

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <mutex>
#include <sstream>

namespace {

RtMidi::Api ToRtApi(CRtMidiIn::Api api) {
    switch (api) {
        case CRtMidiIn::Api::kAlsa:
            return RtMidi::LINUX_ALSA;
        case CRtMidiIn::Api::kJack:
            return RtMidi::UNIX_JACK;
        default:
            return RtMidi::UNSPECIFIED;
    }
}

// RtMidi reports warnings and errors through this instead of printing them;
// the text of the last one is kept for the caller.
void KeepError(RtMidiError::Type /*type*/, const std::string& text, void* user) {
    *static_cast<std::string*>(user) = text;
}

// The JACK library prints its complaints (no server, and so on) itself;
// they are kept here instead, and the caller reports in its own words.
std::mutex g_jackTextLock;
std::string g_jackText;

void KeepJackText(const char* text) {
    std::lock_guard<std::mutex> lock(g_jackTextLock);
    g_jackText = text != nullptr ? text : "";
}

void QuietenJack() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(KeepJackText);
        jack_set_info_function(KeepJackText);
    });
}

// Where the ALSA sequencer lives; without it ALSA is not tried (it would
// only print that it is missing).
constexpr const char* kAlsaSequencer = "/dev/snd/seq";

// RtMidi prints warnings of a constructor before a callback can be set;
// while one runs, what it prints is taken into text.
class CCerrCatcher {
public:
    explicit CCerrCatcher(std::string& text)
        : m_text(text), m_old(std::cerr.rdbuf(m_buffer.rdbuf())) {}
    ~CCerrCatcher() {
        std::cerr.rdbuf(m_old);
        if (!m_buffer.str().empty()) {
            m_text = m_buffer.str();
            while (!m_text.empty() && (m_text.back() == '\n' || m_text.back() == ' ')) {
                m_text.pop_back();
            }
        }
    }
    CCerrCatcher(const CCerrCatcher&) = delete;
    CCerrCatcher& operator=(const CCerrCatcher&) = delete;

private:
    std::string& m_text;
    std::ostringstream m_buffer;
    std::streambuf* m_old;
};

// An input object of its own for the watcher: RtMidi objects are not safe
// to share between threads.
std::unique_ptr<RtMidiIn> MakeInput(CRtMidiIn::Api api, const std::string& clientName,
                                    std::string& error) {
    QuietenJack();
    if (api == CRtMidiIn::Api::kAlsa && access(kAlsaSequencer, F_OK) != 0) {
        error = "there is no ALSA sequencer";
        return nullptr;
    }
    try {
        CCerrCatcher catcher(error);
        auto input = std::make_unique<RtMidiIn>(ToRtApi(api), clientName);
        input->setErrorCallback(KeepError, &error);
        return input;
    } catch (const RtMidiError& failure) {
        error = failure.getMessage();
        return nullptr;
    }
}

}  // namespace

CRtMidiIn::CRtMidiIn(Api api, const char* clientName)
    : m_api(api), m_clientName(clientName != nullptr ? clientName : "Notara") {
    if (m_api == Api::kDefault) {
        // The ALSA sequencer where there is one, else JACK: RtMidi's own
        // choice gives up when its first system is missing.
        for (Api candidate : {Api::kAlsa, Api::kJack}) {
            m_in = MakeInput(candidate, m_clientName, m_error);
            if (m_in != nullptr) {
                m_api = candidate;
                break;
            }
        }
    } else {
        m_in = MakeInput(m_api, m_clientName, m_error);
    }
    if (m_in == nullptr) {
        m_error = "Can't reach the MIDI system: " + m_error;
    }
    OpenServerProbe();
}

CRtMidiIn::~CRtMidiIn() {
    Close();
    if (m_serverGone) {
        static_cast<void>(m_in.release());  // NOLINT: its server is gone
    } else if (m_serverProbe != nullptr) {
        jack_client_close(static_cast<jack_client_t*>(m_serverProbe));
    }
}

void CRtMidiIn::OpenServerProbe() {
    m_serverProbe = nullptr;
    if (m_api != Api::kJack || m_in == nullptr) {
        return;
    }
    jack_status_t status;
    const std::string name = m_clientName + " probe";
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr) {
        return;
    }
    jack_on_shutdown(client, &CRtMidiIn::OnJackShutdown, this);
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return;
    }
    m_serverProbe = client;
}

void CRtMidiIn::ReplaceDeadInput() {
    static_cast<void>(m_in.release());  // NOLINT: deliberately never deleted
    m_in = MakeInput(m_api, m_clientName, m_error);
    m_serverGone = false;
    OpenServerProbe();  // the old probe belongs to the dead server too
}

bool CRtMidiIn::Fail(const std::string& text) {
    m_error = text;
    return false;
}

int CRtMidiIn::GetPortCount() {
    if (m_serverGone && !m_open) {
        ReplaceDeadInput();  // the ports of the server there is now
    }
    if (m_in == nullptr) {
        return 0;
    }
    try {
        return static_cast<int>(m_in->getPortCount());
    } catch (const RtMidiError& failure) {
        m_error = "Can't count MIDI input ports: " + failure.getMessage();
        return 0;
    }
}

bool CRtMidiIn::GetPortName(int port, std::string& name) {
    name.clear();
    if (m_in == nullptr) {
        return false;
    }
    if (port < 0 || port >= GetPortCount()) {
        return Fail("Can't get the name of MIDI input port " + std::to_string(port) +
                    ": no such port");
    }
    try {
        name = m_in->getPortName(static_cast<unsigned>(port));
    } catch (const RtMidiError& failure) {
        return Fail("Can't get the name of MIDI input port " + std::to_string(port) + ": " +
                    failure.getMessage());
    }
    return !name.empty() ||
           Fail("Can't get the name of MIDI input port " + std::to_string(port) + ": " + m_error);
}

bool CRtMidiIn::Open(int port, IMidiInSink* sink) {
    Close();
    const std::string prefix = "Can't open MIDI input port " + std::to_string(port) + ": ";
    if (m_in == nullptr) {
        return Fail(prefix + m_error);
    }
    if (sink == nullptr) {
        return Fail(prefix + "no receiver");
    }
    std::string portName;
    if (!GetPortName(port, portName)) {
        return Fail(prefix + "no such port");
    }
    {
        std::lock_guard<std::mutex> lock(m_sinkMutex);
        m_sink = sink;
        m_lost = false;
        m_seconds = 0.0;
    }
    try {
        m_in->ignoreTypes(true, true, true);  // sysex, clock and active sensing
        m_in->setCallback(&CRtMidiIn::OnInput, this);
        m_error.clear();
        m_in->openPort(static_cast<unsigned>(port), m_clientName + " input");
    } catch (const RtMidiError& failure) {
        m_error = failure.getMessage();
    }
    if (!m_in->isPortOpen()) {
        m_in->cancelCallback();
        std::lock_guard<std::mutex> lock(m_sinkMutex);
        m_sink = nullptr;
        return Fail(prefix + (m_error.empty() ? "the port did not open" : m_error));
    }
    m_open = true;
    {
        std::lock_guard<std::mutex> lock(m_watchMutex);
        m_watchStop = false;
    }
    m_watcher = std::thread(&CRtMidiIn::Watch, this, portName);
    return true;
}

bool CRtMidiIn::Close() {
    if (!m_open) {
        return true;
    }
    {
        std::lock_guard<std::mutex> lock(m_watchMutex);
        m_watchStop = true;
    }
    m_watchWake.notify_all();
    if (m_watcher.joinable()) {
        m_watcher.join();
    }
    bool closed = true;
    if (m_serverGone) {
        // The input's JACK client belongs to a server that has ended: closing
        // its port would touch freed server memory.
        ReplaceDeadInput();
    } else {
        try {
            m_in->closePort();
            m_in->cancelCallback();
        } catch (const RtMidiError& failure) {
            closed = Fail("Can't close MIDI input port: " + failure.getMessage());
        }
    }
    std::lock_guard<std::mutex> lock(m_sinkMutex);
    m_sink = nullptr;
    m_open = false;
    return closed;
}

void CRtMidiIn::OnInput(double delta, std::vector<unsigned char>* message, void* user) {
    auto* self = static_cast<CRtMidiIn*>(user);
    std::lock_guard<std::mutex> lock(self->m_sinkMutex);
    self->m_seconds += delta;
    if (self->m_sink != nullptr && !self->m_lost && message != nullptr && !message->empty()) {
        self->m_sink->OnMidiBytes(message->data(), message->size(), self->m_seconds);
    }
}

void CRtMidiIn::ReportLost(const char* reason) {
    std::lock_guard<std::mutex> lock(m_sinkMutex);
    if (m_sink != nullptr && !m_lost) {
        m_lost = true;
        m_sink->OnPortLost(reason);
    }
}

bool CRtMidiIn::PortExists(RtMidiIn& probe, const std::string& name) {
    const unsigned count = probe.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (probe.getPortName(i) == name) {
            return true;
        }
    }
    return false;
}

void CRtMidiIn::Watch(std::string portName) {
    if (m_api == Api::kJack) {
        WatchJack(portName);
    } else {
        WatchPorts(portName);
    }
}

bool CRtMidiIn::WaitForNextLook(std::unique_lock<std::mutex>& lock) {
    m_watchWake.wait_for(lock, std::chrono::milliseconds(kWatchPeriodMs),
                         [this] { return m_watchStop || m_serverGone; });
    return !m_watchStop;
}

void CRtMidiIn::WatchPorts(const std::string& portName) {
    std::string probeError;
    std::unique_ptr<RtMidiIn> probe = MakeInput(m_api, m_clientName + " watch", probeError);
    std::unique_lock<std::mutex> lock(m_watchMutex);
    while (WaitForNextLook(lock)) {
        bool present = true;
        if (probe != nullptr) {
            try {
                present = PortExists(*probe, portName);
            } catch (const RtMidiError&) {
                present = false;
            }
        }
        if (!present) {
            lock.unlock();
            ReportLost("the device is no longer present");
            return;
        }
    }
}

// JACK is watched through a client of the watcher's own: the server tells it
// when it shuts down, and port lookups by name cost no client churn. After a
// shutdown JACK objects of the dead server must not be touched again.
void CRtMidiIn::WatchJack(const std::string& portName) {
    jack_status_t status;
    const std::string name = m_clientName + " watch";
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client != nullptr) {
        jack_on_shutdown(client, &CRtMidiIn::OnJackShutdown, this);
        if (jack_activate(client) != 0) {
            jack_client_close(client);
            client = nullptr;
        }
    }
    std::unique_lock<std::mutex> lock(m_watchMutex);
    const char* reason = nullptr;
    while (reason == nullptr && WaitForNextLook(lock)) {
        if (m_serverGone || client == nullptr) {
            m_serverGone = true;
            reason = "the JACK server has ended";
        } else if (jack_port_by_name(client, portName.c_str()) == nullptr) {
            reason = "the device is no longer present";
        }
    }
    lock.unlock();
    if (client != nullptr && !m_serverGone) {
        jack_client_close(client);
    }
    // A client of a dead server is left as it is: libjack cannot free it.
    if (reason != nullptr) {
        ReportLost(reason);
    }
}

void CRtMidiIn::OnJackShutdown(void* user) {
    auto* self = static_cast<CRtMidiIn*>(user);
    {
        std::lock_guard<std::mutex> lock(self->m_watchMutex);
        self->m_serverGone = true;
    }
    self->m_watchWake.notify_all();
}
