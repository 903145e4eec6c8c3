#include <gtest/gtest.h>
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "WaitFor.h"
#include "platform/rtaudio/RtAudioOut.h"
#include "platform/rtmidi/JackServer.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kOutName = "notara-test-out";
constexpr const char* kListenerName = "notara-test-listen";
constexpr int16_t kLeftValue = 16384;
constexpr int16_t kRightValue = -8192;

// A second program on the server: one input port whose samples its process
// callback counts, without locks.
class CListener {
public:
    explicit CListener(const std::string& server) {
        jack_status_t status;
        m_client = jack_client_open(kListenerName,
                                    static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                    &status, server.c_str());
        if (m_client == nullptr) {
            return;
        }
        m_port = jack_port_register(m_client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(m_client, &CListener::OnProcess, this);
        if (m_port == nullptr || jack_activate(m_client) != 0) {
            jack_client_close(m_client);
            m_client = nullptr;
        }
    }
    ~CListener() {
        if (m_client != nullptr) {
            jack_client_close(m_client);
        }
    }
    CListener(const CListener&) = delete;
    CListener& operator=(const CListener&) = delete;

    bool IsReady() const { return m_client != nullptr; }
    // Connects the first output port of the client named from to ours.
    bool ConnectFrom(const std::string& from) {
        const std::string pattern = from + ":.*";
        const char** ports =
            jack_get_ports(m_client, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        if (ports == nullptr) {
            return false;
        }
        const std::string first = ports[0];
        jack_free(ports);
        const std::string to = std::string(kListenerName) + ":in";
        return jack_connect(m_client, first.c_str(), to.c_str()) == 0;
    }
    int Near(float value) const { return value > 0 ? m_nearPositive : m_nearOther; }
    int NonZero() const { return m_nonZero; }
    float LastNonZero() const { return m_last; }

private:
    static int OnProcess(jack_nframes_t frames, void* user) {
        auto* self = static_cast<CListener*>(user);
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(self->m_port, frames));
        const float expected = kLeftValue / 32768.0f;
        for (jack_nframes_t i = 0; i < frames; ++i) {
            if (samples[i] != 0.0f) {
                self->m_nonZero.fetch_add(1, std::memory_order_relaxed);
                self->m_last.store(samples[i], std::memory_order_relaxed);
                if (std::fabs(samples[i] - expected) < 0.001f) {
                    self->m_nearPositive.fetch_add(1, std::memory_order_relaxed);
                } else {
                    self->m_nearOther.fetch_add(1, std::memory_order_relaxed);
                }
            }
        }
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
    std::atomic<int> m_nonZero{0};
    std::atomic<int> m_nearPositive{0};
    std::atomic<int> m_nearOther{0};
    std::atomic<float> m_last{0.0f};
};

bool Lists(const std::vector<AUDIO_DEVICE>& devices, const std::string& id,
           const std::string& description) {
    for (const AUDIO_DEVICE& device : devices) {
        if (device.id == id && device.description == description) {
            return true;
        }
    }
    return false;
}

TEST(RtAudioJackTest, AnUnknownDeviceIsRefusedWithAClearText) {
    CRtAudioOut out(CRtAudioOut::Api::kAny, kOutName);
    EXPECT_FALSE(out.Open("nowhere:nothing"));
    EXPECT_STREQ(out.GetError(),
                 "Can't open sound output device \"nowhere:nothing\": there is no such device");
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.CreateBuffer(2, 44100, 4), IAudioOut::kNoBuffer);
}

TEST(RtAudioJackTest, APlayedBufferReachesAnotherJackClient) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    CRtAudioOut out(CRtAudioOut::Api::kJack, kOutName);
    std::vector<AUDIO_DEVICE> devices;
    ASSERT_TRUE(out.EnumerateDevices(devices));
    ASSERT_TRUE(Lists(devices, "jack:system", "JACK: system")) << devices.size() << " devices";
    EXPECT_FALSE(out.Open("jack:no-such-client"));
    EXPECT_NE(std::string(out.GetError()).find("Can't open sound output device \"jack:no-such"),
              std::string::npos);

    ASSERT_TRUE(out.Open("jack:system")) << out.GetError() << "; server said: " << server.ReadLog();
    EXPECT_TRUE(out.IsOpen());
    EXPECT_EQ(out.GetDeviceName(), "JACK: system");
    EXPECT_EQ(out.GetRate(), 44100);
    EXPECT_GT(out.GetBlockFrames(), 0);
    EXPECT_LE(out.GetBlockFrames(), 256);
    EXPECT_GT(out.GetLatencySeconds(), 0.0);
    EXPECT_LT(out.GetLatencySeconds(), 0.5);
    std::printf("JACK at %d frames a block: latency %.2f ms\n", out.GetBlockFrames(),
                out.GetLatencySeconds() * 1000.0);

    CListener listener(server.GetName());
    ASSERT_TRUE(listener.IsReady());
    ASSERT_TRUE(listener.ConnectFrom(kOutName));

    std::vector<int16_t> values(2 * 4410);
    for (size_t i = 0; i < values.size(); i += 2) {
        values[i] = kLeftValue;
        values[i + 1] = kRightValue;
    }
    const auto bytes = static_cast<uint32_t>(values.size() * sizeof(int16_t));
    const int buffer = out.CreateBuffer(2, 44100, bytes);
    ASSERT_NE(buffer, IAudioOut::kNoBuffer) << out.GetError();
    uint8_t* data = nullptr;
    uint32_t locked = 0;
    ASSERT_TRUE(out.Lock(buffer, 0, bytes, data, locked));
    std::memcpy(data, values.data(), locked);
    ASSERT_TRUE(out.Unlock(buffer));
    EXPECT_EQ(listener.NonZero(), 0);
    ASSERT_TRUE(out.Play(buffer, true));

    ASSERT_TRUE(WaitFor([&] { return listener.Near(1.0f) >= 4096; }))
        << listener.NonZero() << " samples arrived, the last " << listener.LastNonZero();
    EXPECT_EQ(listener.Near(-1.0f), 0) << "the last " << listener.LastNonZero();
    EXPECT_TRUE(out.IsOpen()) << out.GetError();

    ASSERT_TRUE(out.Stop(buffer));
    ASSERT_TRUE(out.ReleaseBuffer(buffer));
    out.Close();
    EXPECT_FALSE(out.IsOpen());
}

TEST(RtAudioJackTest, AServerThatEndsStopsTheOutputWithAText) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    CRtAudioOut out(CRtAudioOut::Api::kJack, kOutName);
    ASSERT_TRUE(out.Open("")) << out.GetError();
    EXPECT_EQ(out.GetDeviceName(), "JACK: system");
    server.Stop();
    ASSERT_TRUE(WaitFor([&] { return !out.IsOpen(); }));
    EXPECT_NE(std::string(out.GetError()).find("The sound output has stopped"), std::string::npos)
        << out.GetError();
    EXPECT_EQ(out.CreateBuffer(2, 44100, 4), IAudioOut::kNoBuffer);
    out.Close();
}

}  // namespace
