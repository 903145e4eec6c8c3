#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "WaitFor.h"
#include "platform/null/NullAudioOut.h"
#include "platform/null/NullBackend.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<int16_t> Pattern(int frames) {
    std::vector<int16_t> values(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<int16_t>(static_cast<int>(i * 37 % 60000) - 30000);
    }
    return values;
}

int MakeBuffer(IAudioOut& out, const std::vector<int16_t>& values) {
    const auto bytes = static_cast<uint32_t>(values.size() * sizeof(int16_t));
    const int buffer = out.CreateBuffer(2, CNullAudioOut::kRate, bytes);
    EXPECT_NE(buffer, IAudioOut::kNoBuffer) << out.GetError();
    uint8_t* data = nullptr;
    uint32_t locked = 0;
    EXPECT_TRUE(out.Lock(buffer, 0, bytes, data, locked)) << out.GetError();
    std::memcpy(data, values.data(), locked);
    EXPECT_TRUE(out.Unlock(buffer));
    return buffer;
}

uint32_t Little(const std::vector<uint8_t>& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[at + static_cast<size_t>(i)];
    }
    return value;
}

TEST(NullAudioOutTest, ListsOneDeviceAndRefusesOthers) {
    CNullAudioOut out(CNullAudioOut::Clock::kStepped);
    std::vector<AUDIO_DEVICE> devices;
    ASSERT_TRUE(out.EnumerateDevices(devices));
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].id, "null");
    EXPECT_EQ(devices[0].description, "No sound output");
    EXPECT_FALSE(out.Open("speakers"));
    EXPECT_STREQ(out.GetError(),
                 "Can't open sound output device \"speakers\": there is no such device");
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.CreateBuffer(2, 44100, 4), IAudioOut::kNoBuffer);
    EXPECT_FALSE(out.Step(256));
    ASSERT_TRUE(out.Open(""));
    EXPECT_EQ(out.GetDeviceName(), "No sound output");
    EXPECT_EQ(out.GetRate(), 44100);
    EXPECT_EQ(out.GetBlockFrames(), 256);
    EXPECT_GT(out.GetLatencySeconds(), 0.0);
    out.Close();
    EXPECT_TRUE(out.Open("null"));
}

TEST(NullAudioOutTest, ItsWaveFileHoldsExactlyWhatWasPlayed) {
    CTempFolder folder("null-audio-wave");
    const std::string path = folder.Path("played.wav");
    CNullAudioOut out(CNullAudioOut::Clock::kStepped);
    ASSERT_TRUE(out.SetWaveOutput(path));
    ASSERT_TRUE(out.Open(""));
    EXPECT_FALSE(out.SetWaveOutput(path));
    const std::vector<int16_t> values = Pattern(1000);
    const int buffer = MakeBuffer(out, values);
    ASSERT_TRUE(out.Play(buffer, false));
    ASSERT_TRUE(out.Step(700));  // two whole blocks and a shorter one
    ASSERT_TRUE(out.Step(1300));
    EXPECT_FALSE(out.IsPlaying(buffer));
    EXPECT_EQ(out.GetFramesMixed(), 2000u);
    out.Close();

    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44u + 2000 * 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Little(bytes, 4, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Little(bytes, 16, 4), 16u);
    EXPECT_EQ(Little(bytes, 20, 2), 1u);  // PCM
    EXPECT_EQ(Little(bytes, 22, 2), 2u);
    EXPECT_EQ(Little(bytes, 24, 4), 44100u);
    EXPECT_EQ(Little(bytes, 28, 4), 44100u * 4);
    EXPECT_EQ(Little(bytes, 32, 2), 4u);
    EXPECT_EQ(Little(bytes, 34, 2), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(Little(bytes, 40, 4), 2000u * 4);
    std::vector<int16_t> played(2000 * 2);
    std::memcpy(played.data(), bytes.data() + 44, played.size() * sizeof(int16_t));
    EXPECT_TRUE(std::equal(values.begin(), values.end(), played.begin()));
    for (size_t i = values.size(); i < played.size(); ++i) {
        ASSERT_EQ(played[i], 0) << i;
    }
}

TEST(NullAudioOutTest, AWaveFileThatCannotBeWrittenFailsTheOpen) {
    CNullAudioOut out(CNullAudioOut::Clock::kStepped);
    ASSERT_TRUE(out.SetWaveOutput("/nonexistent-folder/played.wav"));
    EXPECT_FALSE(out.Open(""));
    EXPECT_NE(std::string(out.GetError()).find("Can't open sound output device"),
              std::string::npos);
    EXPECT_FALSE(out.IsOpen());
}

TEST(NullAudioOutTest, ClosingReleasesEveryBuffer) {
    CNullAudioOut out(CNullAudioOut::Clock::kStepped);
    ASSERT_TRUE(out.Open(""));
    const int buffer = MakeBuffer(out, Pattern(10));
    out.Close();
    EXPECT_FALSE(out.Play(buffer, false));
    ASSERT_TRUE(out.Open(""));
    EXPECT_FALSE(out.IsPlaying(buffer));
}

TEST(NullAudioOutTest, TheRealTimeClockMixesAtAboutRealSpeed) {
    CNullAudioOut out(CNullAudioOut::Clock::kRealTime);
    EXPECT_FALSE(out.Step(256));
    ASSERT_TRUE(out.Open(""));
    const auto start = Clock::now();
    const int buffer = MakeBuffer(out, Pattern(CNullAudioOut::kRate / 10));
    ASSERT_TRUE(out.Play(buffer, false));
    ASSERT_TRUE(WaitFor([&] { return out.GetFramesMixed() >= CNullAudioOut::kRate / 2; }));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GT(seconds, 0.35);
    EXPECT_LT(seconds, 5.0);
    // The tenth of a second played once is over by now.
    EXPECT_TRUE(WaitFor([&] { return !out.IsPlaying(buffer); }));
    uint32_t position = 0;
    ASSERT_TRUE(out.GetPosition(buffer, position));
    EXPECT_EQ(position, CNullAudioOut::kRate / 10 * 4u);
    out.Close();
}

// Threads create, play and release buffers while the device's own thread
// mixes them; the sanitizer build checks that no freed buffer is read.
TEST(NullAudioOutTest, BuffersReleasedWhileTheDeviceMixesThemAreSafe) {
    CNullAudioOut out(CNullAudioOut::Clock::kRealTime);
    ASSERT_TRUE(out.Open(""));
    const uint64_t before = out.GetFramesMixed();
    std::atomic<int> failures{0};
    std::vector<std::thread> users;
    for (int t = 0; t < 6; ++t) {
        users.emplace_back([&, t] {
            // Long enough to overlap many blocks, however fast the machine.
            const uint64_t until = before + 40 * CNullAudioOut::kBlockFrames;
            for (int round = 0; round < 500 || (out.GetFramesMixed() < until && round < 100000);
                 ++round) {
                const int buffer =
                    out.CreateBuffer(1 + t % 2, 22050 + 11025 * (round % 3), 4 * 2048);
                if (buffer == IAudioOut::kNoBuffer || !out.Play(buffer, round % 2 == 1) ||
                    !out.SetPan(buffer, 100 * t)) {
                    ++failures;
                    continue;
                }
                if (round % 50 == 0) {
                    std::this_thread::sleep_for(1ms);
                }
                if (!out.ReleaseBuffer(buffer)) {
                    ++failures;
                }
            }
        });
    }
    for (auto& user : users) {
        user.join();
    }
    EXPECT_EQ(failures, 0) << out.GetError();
    EXPECT_TRUE(WaitFor([&] { return out.GetFramesMixed() > before; }));
    out.Close();
}

TEST(NullAudioOutTest, TheNullBackendMakesSteppedSoundOutputs) {
    CNullBackend backend;
    EXPECT_FALSE(backend.GetPlatform().createAudioOut);  // no sound unless asked for
    backend.EnableSound();
    ASSERT_TRUE(backend.GetPlatform().createAudioOut);
    std::unique_ptr<IAudioOut> made = backend.GetPlatform().createAudioOut();
    auto* out = dynamic_cast<CNullAudioOut*>(made.get());
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->Open(""));
    EXPECT_EQ(out->GetFramesMixed(), 0u);
    EXPECT_TRUE(out->Step(512));
    EXPECT_EQ(out->GetFramesMixed(), 512u);
    backend.EnableSound(CNullAudioOut::Clock::kRealTime);
    std::unique_ptr<IAudioOut> realTime = backend.GetPlatform().createAudioOut();
    EXPECT_FALSE(dynamic_cast<CNullAudioOut&>(*realTime).Step(256));
}

}  // namespace
