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
#include "platform/null/NullSoundServer.h"
#include "platform/null/NullWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSecondMs = 1000;
constexpr int kPollMs = 20;
constexpr double kWindowLimitSeconds = 2.0;
constexpr double kPatienceSeconds = 15.0;

// A sound server that hangs (as one does on a stale entry): every device
// made through it waits until the test lets it go. The devices' threads
// share its gate, so they may outlive the server.
class CHangingServer {
public:
    ~CHangingServer() { Release(); }

    PLATFORM Attach(PLATFORM platform) const {
        platform.createAudioOut = [gate = m_gate]() -> std::unique_ptr<IAudioOut> {
            gate->Hold();
            return std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
        };
        platform.createAudioIn = [gate = m_gate]() -> std::unique_ptr<IAudioIn> {
            gate->Hold();
            return std::make_unique<CNullAudioIn>(CNullAudioIn::Clock::kRealTime);
        };
        platform.createMidiIn = [gate = m_gate]() -> std::unique_ptr<IMidiIn> {
            gate->Hold();
            auto input = std::make_unique<CNullMidiIn>();
            input->AddPort("Keys");
            return input;
        };
        return platform;
    }
    void Release() { m_gate->Open(); }

private:
    struct GATE {
        std::mutex lock;
        std::condition_variable opened;
        bool open = false;

        void Hold() {
            std::unique_lock<std::mutex> held(lock);
            opened.wait(held, [this] { return open; });
        }
        void Open() {
            std::lock_guard<std::mutex> held(lock);
            open = true;
            opened.notify_all();
        }
    };

    std::shared_ptr<GATE> m_gate = std::make_shared<GATE>();
};

// A sound server that ends while the program runs, as a JACK server that is
// killed: the sound output and the microphone stop by themselves and open
// again only once it is back.
class CEndingServer {
public:
    PLATFORM Attach(PLATFORM platform) const {
        platform.createAudioOut = [server = m_server]() -> std::unique_ptr<IAudioOut> {
            auto device = std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
            device->SetServer(server);
            return device;
        };
        platform.createAudioIn = [server = m_server]() -> std::unique_ptr<IAudioIn> {
            auto device = std::make_unique<CNullAudioIn>(CNullAudioIn::Clock::kRealTime);
            device->SetServer(server);
            return device;
        };
        return platform;
    }
    void End() { m_server->Stop(); }
    void Return() { m_server->Start(); }

private:
    std::shared_ptr<CNullSoundServer> m_server = std::make_shared<CNullSoundServer>();
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

// Starts the application on a hanging server: the window must show in time
// all the same.
class HangingDevices : public ::testing::Test {
protected:
    void StartApp() { StartAppOn(m_server.Attach(m_backend.GetPlatform())); }
    void StartAppOn(const PLATFORM& platform) {
        const Clock::time_point start = Clock::now();
        m_center = std::make_unique<CCenter>(kNotaraDemoKind, "", platform);
        ASSERT_TRUE(m_center->Init()) << m_center->GetError();
        // The rendered samples, linked once into this run's own sound folder.
        const std::filesystem::path folder = m_center->GetSettings()->soundFolder.Str();
        if (!std::filesystem::exists(folder / "Piano")) {
            std::error_code error;
            std::filesystem::copy(NOTARA_BINARY_DIR "/Sound", folder,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::create_hard_links,
                                  error);
            ASSERT_FALSE(error) << error.message();
        }
        m_backend.GetEventLoop().ProcessMessages();  // the start message
        EXPECT_LT(SecondsSince(start), kWindowLimitSeconds);
        ASSERT_FALSE(m_backend.GetWindowSystem().GetWindows().empty());
        EXPECT_TRUE(m_backend.GetWindowSystem().GetWindows().at(0)->IsVisible());
    }
    bool AllTaken() const {
        return m_center->GetSound() != nullptr && m_center->GetCapture() != nullptr &&
               m_center->GetMidiPort() != nullptr;
    }

    CNullBackend m_backend;
    CHangingServer m_server;
    std::unique_ptr<CCenter> m_center;
};

}  // namespace

TEST_F(HangingDevices, AServerThatNeverAnswersHoldsTheWindowBackLessThanTwoSecondsAndIsToldOnce) {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    EXPECT_EQ(CountAudioBoxes(m_backend), 0u) << "nothing is given up before its time";
    EXPECT_EQ(m_center->GetSound(), nullptr);

    // Given up when their time is up: one box names every silent device.
    ASSERT_TRUE(RunSecondsUntil(m_backend, [&] { return CountAudioBoxes(m_backend) > 0; }));
    const BOX_RECORD* box = FindAudioBox(m_backend);
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
    RunSecondsUntil(m_backend, [&] { return SecondsSince(told) > 1.0; });
    EXPECT_EQ(CountAudioBoxes(m_backend), 1u);

    // A server that comes back after all is used, quietly.
    m_server.Release();
    ASSERT_TRUE(RunSecondsUntil(m_backend, [&] { return AllTaken(); }));
    EXPECT_TRUE(m_center->GetSound()->IsReady()) << m_center->GetSound()->GetError();
    EXPECT_EQ(CountAudioBoxes(m_backend), 1u);
}

TEST_F(HangingDevices, AServerThatAnswersAfterTheWindowShowsIsTakenWithoutAMessage) {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    m_server.Release();
    ASSERT_TRUE(RunSecondsUntil(m_backend, [&] { return AllTaken(); }));
    EXPECT_TRUE(m_center->GetSound()->IsReady()) << m_center->GetSound()->GetError();
    EXPECT_TRUE(m_center->GetMidiPort()->IsOpen()) << "the only keyboard opens by itself";
    // Past the time a silent device would have been given up.
    const Clock::time_point taken = Clock::now();
    RunSecondsUntil(m_backend,
                    [&] { return SecondsSince(taken) > CDeviceKeeper::kLateAnswerSeconds; });
    EXPECT_EQ(CountAudioBoxes(m_backend), 0u);
}

TEST_F(HangingDevices, AServerThatEndsIsToldOnceAndItsDevicesOpenAgainWhenItReturns) {
    CEndingServer server;
    ASSERT_NO_FATAL_FAILURE(StartAppOn(server.Attach(m_backend.GetPlatform())));
    ASSERT_TRUE(RunSecondsUntil(m_backend, [&] {
        return m_center->GetSound() != nullptr && m_center->GetCapture() != nullptr;
    }));
    ASSERT_TRUE(m_center->GetSound()->IsReady()) << m_center->GetSound()->GetError();
    CSoundCapture* before = m_center->GetCapture();
    ASSERT_TRUE(before->IsCapturing());
    ASSERT_EQ(CountAudioBoxes(m_backend), 0u);

    testing::internal::CaptureStderr();
    server.End();
    // One box tells both devices; the seconds after it bring no other.
    ASSERT_TRUE(RunSecondsUntil(m_backend, [&] { return CountAudioBoxes(m_backend) > 0; }));
    const Clock::time_point told = Clock::now();
    RunSecondsUntil(m_backend, [&] { return SecondsSince(told) > 1.5; });
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountAudioBoxes(m_backend), 1u);
    const BOX_RECORD* box = FindAudioBox(m_backend);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Has(box->text, "The sound output has stopped")) << box->text;
    EXPECT_TRUE(Has(box->text, "The sound input has stopped")) << box->text;
    EXPECT_TRUE(Has(box->text, "It is opened again as soon as the sound system answers."))
        << box->text;
    EXPECT_EQ(m_center->GetCapture(), nullptr) << "the stopped input is no longer read";
    size_t lines = 0;
    for (size_t at = log.find("ERROR"); at != std::string::npos; at = log.find("ERROR", at + 1)) {
        ++lines;
    }
    EXPECT_LT(lines, 5u) << "the log is not flooded while the devices are gone:\n" << log;

    // Quiet tries while it is gone, and the devices are back once it is.
    RunSecondsUntil(m_backend, [&] { return SecondsSince(told) > 1.5; });
    server.Return();
    ASSERT_TRUE(RunSecondsUntil(m_backend, [&] {
        return m_center->GetCapture() != nullptr && !m_center->GetSound()->IsDeviceLost();
    }));
    EXPECT_TRUE(m_center->GetSound()->IsReady());
    EXPECT_TRUE(m_center->GetCapture()->IsCapturing());
    EXPECT_EQ(CountAudioBoxes(m_backend), 1u) << "a return is not a problem";
    const std::string status = m_backend.GetWindowSystem().GetWindows().at(0)->GetStatusText();
    EXPECT_TRUE(Has(status, "works again")) << status;
}
