#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "TempFolder.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "capture/PitchDetector.h"
#include "capture/SoundCapture.h"
#include "capture/SoundDetector.h"
#include "theory/NoteManager.h"

namespace {

// A capture device whose sound the test writes: Capture appends frames at
// the cursor of the looping buffer, as a sound card would.
class CScriptedInput : public IAudioIn {
public:
    bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) override {
        devices = {{"scripted", "Scripted input"}};
        return true;
    }
    bool Open(const std::string& id, int, int, uint32_t bytes) override {
        if (!id.empty() && id != "scripted") {
            m_error = "Can't open sound input device \"" + id + "\": there is no such device";
            return false;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_buffer.assign(bytes, 0);
        m_cursor = 0;
        return true;
    }
    void Close() override { m_buffer.clear(); }
    bool IsOpen() const override { return !m_buffer.empty(); }
    std::string GetDeviceName() const override { return "Scripted input"; }
    bool Start() override { return m_capturing = true; }
    bool Stop() override {
        m_capturing = false;
        return true;
    }
    bool IsCapturing() const override { return m_capturing; }
    bool GetPosition(uint32_t& cursor) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        cursor = m_cursor;
        return true;
    }
    bool Read(uint32_t offset, uint32_t count, uint8_t* out) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (uint32_t i = 0; i < count; ++i) {
            out[i] = m_buffer[(offset + i) % m_buffer.size()];
        }
        return true;
    }
    const char* GetError() const override { return m_error.c_str(); }

    void Capture(const std::vector<int16_t>& values) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
        for (size_t i = 0; i < values.size() * 2; ++i) {
            m_buffer[m_cursor] = bytes[i];
            m_cursor = static_cast<uint32_t>((m_cursor + 1) % m_buffer.size());
        }
    }
    void MoveCursor(uint32_t cursor) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cursor = cursor;
    }

private:
    std::mutex m_mutex;
    std::vector<uint8_t> m_buffer;
    uint32_t m_cursor = 0;
    bool m_capturing = false;
    std::string m_error;
};

class CNotes : public ISoundDetectorSink {
public:
    void OnNote(const CNote& note, double) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (note.eventKind == EVENT_NOTE_START) {
            m_starts.push_back(note.midiNote);
        }
    }
    void OnLevel(const CNote&) override {}
    std::vector<int> Starts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_starts;
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_starts;
};

std::vector<int16_t> Tone(double frequency, double seconds, double silenceAfter) {
    const auto frames = static_cast<size_t>(seconds * 44100);
    std::vector<int16_t> values((frames + static_cast<size_t>(silenceAfter * 44100)) * 2, 0);
    for (size_t i = 0; i < frames; ++i) {
        const double ramp = std::min({1.0, i / 200.0, (frames - i) / 200.0});
        values[2 * i] = values[2 * i + 1] =
            static_cast<int16_t>(16000.0 * ramp * std::sin(2.0 * M_PI * frequency * i / 44100));
    }
    return values;
}

class SoundCapture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_manager.Init()); }
    std::unique_ptr<CSoundCapture> Make() {
        auto capture = std::make_unique<CSoundCapture>(m_manager.GetNoteTable(), 0.05f, &m_notes);
        auto input = std::make_unique<CScriptedInput>();
        m_input = input.get();
        capture->SetDevice(std::move(input));
        return capture;
    }
    CNoteManager m_manager;
    CNotes m_notes;
    CScriptedInput* m_input = nullptr;
    CTempFolder m_temp{"capture"};
};

}  // namespace

TEST_F(SoundCapture, ItMustBeOpenAndReadyBeforeItStarts) {
    auto capture = Make();
    EXPECT_FALSE(capture->GetReady(nullptr, 0.0, 0.0));
    EXPECT_STREQ(capture->GetError(),
                 "Device is not initialized.\nPlease go to Audio Settings and select the device");
    ASSERT_TRUE(capture->Open("")) << capture->GetError();
    EXPECT_FALSE(capture->Start(CPitchDetector::kFastAutoCorr, false));
    EXPECT_STREQ(capture->GetError(), "Not ready, call GetReady");
    EXPECT_FALSE(capture->Open("elsewhere"));
    EXPECT_NE(std::string(capture->GetError()).find("\"elsewhere\""), std::string::npos);
    CSoundCapture none(m_manager.GetNoteTable(), 0.05f, nullptr);
    EXPECT_FALSE(none.Open(""));
    EXPECT_STREQ(none.GetError(), "Can't open sound input: there is none");
}

TEST_F(SoundCapture, CapturedNotesReachTheDetectorAlsoAcrossTheBuffersEnd) {
    auto capture = Make();
    ASSERT_TRUE(capture->Open(""));
    // The device's cursor stands just before the buffer's end: the take wraps.
    const uint32_t size = CSoundCapture::kBufferSeconds * 176400;
    m_input->MoveCursor(size - 4 * 1000);
    ASSERT_TRUE(capture->GetReady(nullptr, 0.0, 0.0));
    ASSERT_TRUE(capture->Start(CPitchDetector::kFastAutoCorr, false));
    m_input->Capture(Tone(440.0, 0.5, 0.5));
    ASSERT_TRUE(capture->CheckBuffer(false));
    m_input->Capture(Tone(330.0, 0.5, 0.5));
    ASSERT_TRUE(capture->Stop()) << capture->GetError();
    EXPECT_EQ(m_notes.Starts(), (std::vector<int>{69, 64}));
    // Stopped and started again, it goes on from where the device is.
    ASSERT_TRUE(capture->GetReady(nullptr, 0.0, 0.0));
    ASSERT_TRUE(capture->Start(CPitchDetector::kFastAutoCorr, false));
    m_input->Capture(Tone(220.0, 0.5, 0.5));
    ASSERT_TRUE(capture->Stop());
    EXPECT_EQ(m_notes.Starts(), (std::vector<int>{69, 64, 57}));
}

TEST_F(SoundCapture, ATakeIsWrittenToItsFileAsCaptured) {
    auto capture = Make();
    ASSERT_TRUE(capture->Open(""));
    const std::string take = m_temp.Path("take.wav");
    ASSERT_TRUE(capture->GetReady(take.c_str(), 0.0, 0.0));
    ASSERT_TRUE(capture->Start(CPitchDetector::kFastAutoCorr, false));
    const std::vector<int16_t> sound = Tone(440.0, 0.3, 0.1);
    m_input->Capture(sound);
    ASSERT_TRUE(capture->Stop()) << capture->GetError();
    CSoundFile file;
    CSoundInfo read;
    ASSERT_TRUE(file.ReadInfo(take.c_str(), read)) << file.GetError();
    EXPECT_EQ(read.format.samplesPerSecond, 44100u);
    ASSERT_EQ(read.GetSize(), sound.size() * 2);
    EXPECT_EQ(std::memcmp(read.GetData(), sound.data(), read.GetSize()), 0);
}

TEST_F(SoundCapture, ATakeUnderASecondThatWasReadBeforeTheStopIsStillWritten) {
    auto capture = Make();
    ASSERT_TRUE(capture->Open(""));
    const std::string take = m_temp.Path("short.wav");
    ASSERT_TRUE(capture->GetReady(take.c_str(), 0.0, 0.0));
    ASSERT_TRUE(capture->Start(CPitchDetector::kFastAutoCorr, false));
    const std::vector<int16_t> sound = Tone(440.0, 0.3, 0.1);
    m_input->Capture(sound);
    // Everything is read, as the worker would, but kept back: under a second.
    ASSERT_TRUE(capture->CheckBuffer(false)) << capture->GetError();
    ASSERT_TRUE(capture->Stop()) << capture->GetError();
    CSoundFile file;
    CSoundInfo read;
    ASSERT_TRUE(file.ReadInfo(take.c_str(), read)) << file.GetError();
    ASSERT_EQ(read.GetSize(), sound.size() * 2);
    EXPECT_EQ(std::memcmp(read.GetData(), sound.data(), read.GetSize()), 0);
}

TEST_F(SoundCapture, AFileOfAnotherFormatIsNotPlayed) {
    auto capture = Make();
    ASSERT_TRUE(capture->Open(""));
    CSoundInfo mono;
    mono.format = WAVE_FORMAT::Pcm(1, 22050, 16);
    mono.SetData(std::vector<uint8_t>(4410, 0));
    const std::string path = m_temp.Path("mono.wav");
    CSoundFile file;
    ASSERT_TRUE(file.Save(path.c_str(), mono));
    EXPECT_FALSE(capture->PlayFile(path.c_str()));
    EXPECT_NE(std::string(capture->GetError()).find("not as captured"), std::string::npos);
    EXPECT_FALSE(capture->PlayFile(m_temp.Path("missing.wav").c_str()));
}
