#pragma once

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

// A second program on a test's JACK server: one output port that plays a
// signal from its process callback, over and over or once from Play on.
class CJackTestPlayer {
public:
    enum class Mode { kLoopNow, kOnceOnPlay };

    CJackTestPlayer(const std::string& server, const char* name, std::vector<float> signal,
                    Mode mode)
        : m_name(name),
          m_signal(std::move(signal)),
          m_playing(mode == Mode::kLoopNow),
          m_loop(mode == Mode::kLoopNow) {
        jack_status_t status;
        m_client =
            jack_client_open(name, static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                             &status, server.c_str());
        if (m_client == nullptr || m_signal.empty()) {
            return;
        }
        m_port = jack_port_register(m_client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(m_client, &CJackTestPlayer::OnProcess, this);
        if (m_port == nullptr || jack_activate(m_client) != 0) {
            jack_client_close(m_client);
            m_client = nullptr;
        }
    }
    ~CJackTestPlayer() {
        if (m_client != nullptr) {
            jack_client_close(m_client);
        }
    }
    CJackTestPlayer(const CJackTestPlayer&) = delete;
    CJackTestPlayer& operator=(const CJackTestPlayer&) = delete;

    bool IsReady() const { return m_client != nullptr; }
    // Connects the port to the first input port of the client named to, or
    // to all of them.
    bool ConnectTo(const std::string& to, bool all = false) {
        const std::string pattern = to + ":.*";
        const char** ports =
            jack_get_ports(m_client, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput);
        if (ports == nullptr) {
            return false;
        }
        bool connected = true;
        for (int i = 0; ports[i] != nullptr && (all || i == 0); ++i) {
            connected =
                connected && jack_connect(m_client, (m_name + ":out").c_str(), ports[i]) == 0;
        }
        jack_free(ports);
        return connected;
    }
    void Play() { m_playing.store(true, std::memory_order_release); }
    bool HasPlayedAll() const { return m_done.load(std::memory_order_acquire); }

private:
    static int OnProcess(jack_nframes_t frames, void* user) {
        auto* self = static_cast<CJackTestPlayer*>(user);
        auto* samples = static_cast<float*>(jack_port_get_buffer(self->m_port, frames));
        const bool playing = self->m_playing.load(std::memory_order_acquire);
        for (jack_nframes_t i = 0; i < frames; ++i) {
            samples[i] = 0.0f;
            if (!playing) {
                continue;
            }
            if (self->m_frame >= self->m_signal.size()) {
                if (!self->m_loop) {
                    self->m_done.store(true, std::memory_order_release);
                    continue;
                }
                self->m_frame = 0;
            }
            samples[i] = self->m_signal[self->m_frame++];
        }
        return 0;
    }

    std::string m_name;
    std::vector<float> m_signal;
    std::atomic<bool> m_playing;
    std::atomic<bool> m_done{false};
    const bool m_loop;
    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
    size_t m_frame = 0;  // the process thread's own
};
