// The sound engine on a real sound server: a private JACK server on the
// dummy driver, the engine on RtAudio's JACK output, and a second JACK
// program listening to what comes out.
#include <gtest/gtest.h>
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "WaitFor.h"
#include "audio/Sound.h"
#include "platform/rtaudio/RtAudioOut.h"
#include "platform/rtmidi/JackServer.h"
#include "theory/NoteManager.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kEngineName = "notara-sound-test";
constexpr const char* kListenerName = "notara-sound-listen";
constexpr size_t kKeptFrames = 44100;

// Keeps the first second of sound that arrives at its input, from the first
// non-zero sample on; the process callback neither locks nor allocates.
class CRecorder {
public:
    explicit CRecorder(const std::string& server) : m_kept(kKeptFrames) {
        jack_status_t status;
        m_client = jack_client_open(kListenerName,
                                    static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                    &status, server.c_str());
        if (m_client == nullptr) {
            return;
        }
        m_port = jack_port_register(m_client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(m_client, &CRecorder::OnProcess, this);
        if (m_port == nullptr || jack_activate(m_client) != 0) {
            jack_client_close(m_client);
            m_client = nullptr;
        }
    }
    ~CRecorder() {
        if (m_client != nullptr) {
            jack_client_close(m_client);
        }
    }
    CRecorder(const CRecorder&) = delete;
    CRecorder& operator=(const CRecorder&) = delete;

    bool IsReady() const { return m_client != nullptr; }
    bool ConnectFrom(const std::string& client) {
        const std::string pattern = client + ":.*";
        const char** ports =
            jack_get_ports(m_client, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        if (ports == nullptr) {
            return false;
        }
        const std::string first = ports[0];
        jack_free(ports);
        return jack_connect(m_client, first.c_str(),
                            (std::string(kListenerName) + ":in").c_str()) == 0;
    }
    size_t GetCount() const { return m_count.load(std::memory_order_acquire); }
    const std::vector<float>& GetKept() const { return m_kept; }

private:
    static int OnProcess(jack_nframes_t frames, void* user) {
        auto* self = static_cast<CRecorder*>(user);
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(self->m_port, frames));
        size_t count = self->m_count.load(std::memory_order_relaxed);
        for (jack_nframes_t i = 0; i < frames && count < kKeptFrames; ++i) {
            if (count > 0 || samples[i] != 0.0f) {
                self->m_kept[count++] = samples[i];
            }
        }
        self->m_count.store(count, std::memory_order_release);
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
    std::vector<float> m_kept;
    std::atomic<size_t> m_count{0};
};

}  // namespace

TEST(SoundJackTest, APlayedNotesSampleArrivesAtAnotherJackProgram) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    CNoteManager manager;
    ASSERT_TRUE(manager.Init());
    CSound sound(manager.GetNoteTable(), NOTARA_BINARY_DIR "/Sound/");
    sound.SetDevice(std::make_unique<CRtAudioOut>(CRtAudioOut::Api::kJack, kEngineName));
    ASSERT_TRUE(sound.Open("jack:system")) << sound.GetError() << "; server: " << server.ReadLog();
    CRecorder recorder(server.GetName());
    ASSERT_TRUE(recorder.IsReady());
    ASSERT_TRUE(recorder.ConnectFrom(kEngineName));

    CNote note;
    note.thing = THING_KEYBOARD;
    note.midiNote = 60;
    note.volume = 1.0f;  // at full level the samples arrive as they are
    note.eventKind = EVENT_NOTE_START;
    const CSoundInfo* sample = nullptr;
    ASSERT_TRUE(sound.FindSound(note, sample)) << sound.GetError();
    ASSERT_TRUE(sound.PlayNote(note)) << sound.GetError();
    ASSERT_TRUE(WaitFor([&] { return recorder.GetCount() >= kKeptFrames / 4; }))
        << recorder.GetCount() << " frames arrived";

    // The first quarter second, value for value.
    const std::vector<float>& kept = recorder.GetKept();
    const int16_t* values = sample->GetValues();
    size_t lead = 0;
    while (values[lead] == 0) {
        ++lead;
    }
    size_t far = 0;
    for (size_t i = 0; i < kKeptFrames / 4; ++i) {
        far += std::fabs(kept[i] - values[lead + i] / 32768.0f) > 1.0f / 16384 ? 1 : 0;
    }
    EXPECT_EQ(far, 0u) << "of " << kKeptFrames / 4 << " frames";
    sound.Close();
}
