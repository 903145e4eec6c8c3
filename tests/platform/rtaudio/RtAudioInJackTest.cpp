#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "WaitFor.h"
#include "platform/rtaudio/JackTestPlayer.h"
#include "platform/rtaudio/RtAudioIn.h"
#include "platform/rtmidi/JackServer.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kInName = "notara-test-in";
constexpr const char* kPlayerName = "notara-test-play";
constexpr int kRate = 44100;
constexpr int kHalfPeriod = 50;   // frames of each half of the square wave
constexpr float kLevel = 0.5f;    // of the square wave
constexpr int kExpected = 16384;  // kLevel in 16-bit samples
constexpr int kTolerance = 2;     // of the float to 16-bit conversion

// A square wave of ±kLevel, kHalfPeriod frames each half.
std::vector<float> SquareWave() {
    std::vector<float> wave(2 * kHalfPeriod, kLevel);
    std::fill(wave.begin() + kHalfPeriod, wave.end(), -kLevel);
    return wave;
}

bool Lists(const std::vector<AUDIO_DEVICE>& devices, const std::string& id) {
    for (const AUDIO_DEVICE& device : devices) {
        if (device.id == id) {
            return true;
        }
    }
    return false;
}

bool IsNear(int16_t sample, int value) {
    return std::abs(sample - value) <= kTolerance;
}

// From the first fall of the wave on, every sample of count follows it.
int CountWaveSamples(const std::vector<int16_t>& samples, size_t& start) {
    start = 1;
    while (start < samples.size() &&
           !(IsNear(samples[start - 1], kExpected) && IsNear(samples[start], -kExpected))) {
        ++start;
    }
    int following = 0;
    for (size_t i = start; i < samples.size(); ++i) {
        const int expected = ((i - start) / kHalfPeriod) % 2 == 0 ? -kExpected : kExpected;
        if (!IsNear(samples[i], expected)) {
            break;
        }
        ++following;
    }
    return following;
}

TEST(RtAudioInJackTest, AnUnknownDeviceIsRefusedWithAClearText) {
    CRtAudioIn in(CRtAudioIn::Api::kAny, kInName);
    EXPECT_FALSE(in.Open("nowhere:nothing", 1, kRate, 4096));
    EXPECT_STREQ(in.GetError(),
                 "Can't open sound input device \"nowhere:nothing\": there is no such device");
    EXPECT_FALSE(in.IsOpen());
    EXPECT_FALSE(in.Start());
    EXPECT_FALSE(in.Open("", 3, kRate, 4096));
    EXPECT_NE(std::string(in.GetError()).find("3 channels"), std::string::npos) << in.GetError();
}

TEST(RtAudioInJackTest, CapturesWhatAnotherJackClientPlays) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    CRtAudioIn in(CRtAudioIn::Api::kJack, kInName);
    std::vector<AUDIO_DEVICE> devices;
    ASSERT_TRUE(in.EnumerateDevices(devices));
    ASSERT_TRUE(Lists(devices, "jack:system")) << devices.size() << " devices";
    EXPECT_FALSE(in.Open("jack:system", 1, 22050, 4096));
    EXPECT_NE(std::string(in.GetError()).find("Can't open sound input device \"jack:system\""),
              std::string::npos)
        << in.GetError();

    constexpr uint32_t kBufferBytes = 2 * kRate * sizeof(int16_t);  // two seconds of mono
    ASSERT_TRUE(in.Open("jack:system", 1, kRate, kBufferBytes))
        << in.GetError() << "; server said: " << server.ReadLog();
    EXPECT_TRUE(in.IsOpen());
    EXPECT_EQ(in.GetDeviceName(), "JACK: system");
    EXPECT_GT(in.GetBlockFrames(), 0);
    EXPECT_LE(in.GetBlockFrames(), 256);

    CJackTestPlayer player(server.GetName(), kPlayerName, SquareWave(),
                           CJackTestPlayer::Mode::kLoopNow);
    ASSERT_TRUE(player.IsReady());
    ASSERT_TRUE(in.Start()) << in.GetError();
    EXPECT_TRUE(in.IsCapturing());
    // The input's port is there once its stream runs.
    ASSERT_TRUE(player.ConnectTo(kInName));

    uint32_t cursor = 0;
    constexpr uint32_t kWanted = kBufferBytes / 4;  // half a second
    ASSERT_TRUE(WaitFor([&] { return in.GetPosition(cursor) && cursor >= kWanted; }))
        << in.GetError();
    ASSERT_TRUE(in.Stop()) << in.GetError();
    uint32_t stopped = 0;
    ASSERT_TRUE(in.GetPosition(stopped));
    ASSERT_LT(stopped, kBufferBytes) << "the buffer wrapped";
    std::vector<int16_t> samples(stopped / sizeof(int16_t));
    ASSERT_TRUE(in.Read(0, stopped, reinterpret_cast<uint8_t*>(samples.data())));
    size_t start = 0;
    const int following = CountWaveSamples(samples, start);
    EXPECT_GE(following, 4 * kHalfPeriod * 10)
        << "from sample " << start << " of " << samples.size();
    EXPECT_EQ(start + static_cast<size_t>(following), samples.size())
        << "sample " << start + following << " is " << samples[start + following];

    uint32_t still = 0;
    ASSERT_TRUE(in.GetPosition(still));
    EXPECT_EQ(still, stopped);
    in.Close();
    EXPECT_FALSE(in.IsOpen());
}

TEST(RtAudioInJackTest, AServerThatEndsStopsTheInputWithAText) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    CRtAudioIn in(CRtAudioIn::Api::kJack, kInName);
    ASSERT_TRUE(in.Open("", 2, kRate, 4096)) << in.GetError();
    EXPECT_EQ(in.GetDeviceName(), "JACK: system");
    ASSERT_TRUE(in.Start()) << in.GetError();
    uint32_t cursor = 0;
    ASSERT_TRUE(WaitFor([&] { return in.GetPosition(cursor) && cursor > 0; }));
    server.Stop();
    ASSERT_TRUE(WaitFor([&] { return !in.IsOpen(); }));
    EXPECT_NE(std::string(in.GetError()).find("The sound input has stopped"), std::string::npos)
        << in.GetError();
    EXPECT_FALSE(in.IsCapturing());
    EXPECT_FALSE(in.GetPosition(cursor));
    EXPECT_FALSE(in.Start());
    EXPECT_NE(std::string(in.GetError()).find("The sound input has stopped"), std::string::npos)
        << in.GetError();
    in.Close();
    EXPECT_FALSE(in.IsOpen());
}

}  // namespace
