#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/DeviceKeeper.h"
#include "audio/Sound.h"
#include "capture/SoundCapture.h"
#include "midi/MidiPort.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullMidiIn.h"
#include "platform/null/NullWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSecondMs = 1000;
constexpr int kPollMs = 20;
constexpr double kWindowLimitSeconds = 2.0;
constexpr double kPatienceSeconds = 15.0;

// A sound server that hangs (as one does on a stale entry): every device
// made through it waits until the test lets it go.
class CHangingServer {
public:
    ~CHangingServer() { Release(); }

    PLATFORM Attach(PLATFORM platform) {
        platform.createAudioOut = [this]() -> std::unique_ptr<IAudioOut> {
            Hold();
            return std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
        };
        platform.createAudioIn = [this]() -> std::unique_ptr<IAudioIn> {
            Hold();
            return std::make_unique<CNullAudioIn>(CNullAudioIn::Clock::kRealTime);
        };
        platform.createMidiIn = [this]() -> std::unique_ptr<IMidiIn> {
            Hold();
            auto input = std::make_unique<CNullMidiIn>();
            input->AddPort("Keys");
            return input;
        };
        return platform;
    }
    void Release() {
        std::lock_guard<std::mutex> held(m_lock);
        m_hang = false;
        m_released.notify_all();
    }

private:
    void Hold() {
        std::unique_lock<std::mutex> held(m_lock);
        m_released.wait(held, [this] { return !m_hang; });
    }

    std::mutex m_lock;
    std::condition_variable m_released;
    bool m_hang = true;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs the second timer, in real time, until done says so or patience ends.
bool RunSecondsUntil(CNullBackend& backend, const std::function<bool()>& done) {
    const Clock::time_point start = Clock::now();
    while (!done()) {
        if (SecondsSince(start) > kPatienceSeconds) {
            return false;
        }
        backend.GetEventLoop().WaitForMessage(kPollMs);
        backend.GetEventLoop().AdvanceTime(kSecondMs);
        backend.GetEventLoop().ProcessMessages();
    }
    return true;
}

size_t CountAudioBoxes(CNullBackend& backend) {
    size_t count = 0;
    for (const BOX_RECORD& box : backend.GetWindowSystem().GetBoxes()) {
        count += box.caption == CDeviceKeeper::kAudioErrorTitle ? 1 : 0;
    }
    return count;
}

const BOX_RECORD* FindAudioBox(CNullBackend& backend) {
    for (const BOX_RECORD& box : backend.GetWindowSystem().GetBoxes()) {
        if (box.caption == CDeviceKeeper::kAudioErrorTitle) {
            return &box;
        }
    }
    return nullptr;
}

bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Starts the center and measures how long the window took to show.
std::unique_ptr<CCenter> StartTimed(CNullBackend& backend, const PLATFORM& platform,
                                    double& seconds) {
    const Clock::time_point start = Clock::now();
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", platform);
    if (!center->Init()) {
        return nullptr;
    }
    // The rendered samples, linked into this run's own sound folder.
    std::error_code error;
    std::filesystem::copy(NOTARA_BINARY_DIR "/Sound", center->GetSettings()->soundFolder.Str(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::create_hard_links |
                              std::filesystem::copy_options::skip_existing,
                          error);
    if (error) {
        ADD_FAILURE() << error.message();
        return nullptr;
    }
    backend.GetEventLoop().ProcessMessages();  // the start message
    seconds = SecondsSince(start);
    return center;
}

}  // namespace

TEST(HangingDevices, AServerThatNeverAnswersHoldsTheWindowBackLessThanTwoSecondsAndIsToldOnce) {
    CNullBackend backend;
    CHangingServer server;
    double seconds = 0.0;
    auto center = StartTimed(backend, server.Attach(backend.GetPlatform()), seconds);
    ASSERT_TRUE(center);
    EXPECT_LT(seconds, kWindowLimitSeconds);
    ASSERT_FALSE(backend.GetWindowSystem().GetWindows().empty());
    EXPECT_TRUE(backend.GetWindowSystem().GetWindows().at(0)->IsVisible());
    EXPECT_EQ(CountAudioBoxes(backend), 0u) << "nothing is given up before its time";
    EXPECT_EQ(center->GetSound(), nullptr);

    // Given up when their time is up: one box names every silent device.
    ASSERT_TRUE(RunSecondsUntil(backend, [&] { return CountAudioBoxes(backend) > 0; }));
    const BOX_RECORD* box = FindAudioBox(backend);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(
        Has(box->text, "Can't open sound output: the sound system did not answer within 3 s"))
        << box->text;
    EXPECT_TRUE(Has(box->text, "Can't open sound input: the sound system did not answer"))
        << box->text;
    EXPECT_TRUE(Has(box->text, "Can't open MIDI input: the MIDI system did not answer"))
        << box->text;
    EXPECT_TRUE(Has(box->text, "Choose the devices in Settings > Audio.")) << box->text;
    // The application goes on: another second brings no second box.
    const Clock::time_point told = Clock::now();
    RunSecondsUntil(backend, [&] { return SecondsSince(told) > 1.0; });
    EXPECT_EQ(CountAudioBoxes(backend), 1u);

    // A server that comes back after all is used, quietly.
    server.Release();
    ASSERT_TRUE(RunSecondsUntil(backend, [&] {
        return center->GetSound() != nullptr && center->GetCapture() != nullptr &&
               center->GetMidiPort() != nullptr;
    }));
    EXPECT_TRUE(center->GetSound()->IsReady()) << center->GetSound()->GetError();
    EXPECT_EQ(CountAudioBoxes(backend), 1u);
}

TEST(HangingDevices, AServerThatAnswersAfterTheWindowShowsIsTakenWithoutAMessage) {
    CNullBackend backend;
    CHangingServer server;
    double seconds = 0.0;
    auto center = StartTimed(backend, server.Attach(backend.GetPlatform()), seconds);
    ASSERT_TRUE(center);
    EXPECT_LT(seconds, kWindowLimitSeconds);
    server.Release();
    ASSERT_TRUE(RunSecondsUntil(backend, [&] {
        return center->GetSound() != nullptr && center->GetCapture() != nullptr &&
               center->GetMidiPort() != nullptr;
    }));
    EXPECT_TRUE(center->GetSound()->IsReady()) << center->GetSound()->GetError();
    EXPECT_TRUE(center->GetMidiPort()->IsOpen()) << "the only keyboard opens by itself";
    // Past the time a silent device would have been given up.
    const Clock::time_point taken = Clock::now();
    RunSecondsUntil(backend,
                    [&] { return SecondsSince(taken) > CDeviceKeeper::kLateAnswerSeconds; });
    EXPECT_EQ(CountAudioBoxes(backend), 0u);
}
