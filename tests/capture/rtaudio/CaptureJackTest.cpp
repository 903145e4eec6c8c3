// The microphone's whole road on a private JACK server: another program
// plays a melody of rendered piano notes into the capture port, the capture
// reads it through RtAudio and the note detector names its notes.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "WaitFor.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "capture/PitchDetector.h"
#include "capture/SoundCapture.h"
#include "capture/SoundDetector.h"
#include "platform/rtaudio/JackTestPlayer.h"
#include "platform/rtaudio/RtAudioIn.h"
#include "platform/rtmidi/JackServer.h"
#include "theory/NoteManager.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kCaptureName = "notara-test-capture";
constexpr const char* kPlayerName = "notara-test-melody";
constexpr double kHoldSeconds = 0.7;
constexpr double kGapSeconds = 0.5;
constexpr float kTriggerLevel = 0.05f;

// The notes started, as the capture's worker tells them.
class CNotes : public ISoundDetectorSink {
public:
    void OnNote(const CNote& note, double) override {
        if (note.eventKind == EVENT_NOTE_START) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_started.push_back(note.midiNote);
        }
    }
    void OnLevel(const CNote&) override {}
    std::vector<int> Get() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_started;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<int> m_started;
};

// The piano samples one after the other, each held and followed by a gap,
// as JACK's float samples.
bool MakeMelody(const std::vector<std::string>& files, std::vector<float>& melody) {
    for (const std::string& file : files) {
        CSoundFile reader;
        CSoundInfo sample;
        const std::string path = std::string(NOTARA_BINARY_DIR "/Sound/Piano/") + file;
        if (!reader.ReadInfo(path.c_str(), sample) || sample.format.channels != 1 ||
            sample.format.samplesPerSecond != WAVE_FORMAT::kStreamRate) {
            return false;
        }
        const size_t frames =
            std::min<size_t>(sample.GetSize() / 2, kHoldSeconds * WAVE_FORMAT::kStreamRate);
        for (size_t i = 0; i < frames; ++i) {
            melody.push_back(sample.GetValues()[i] / 32768.0f);
        }
        melody.insert(melody.end(), static_cast<size_t>(kGapSeconds * WAVE_FORMAT::kStreamRate),
                      0.0f);
    }
    return true;
}

TEST(CaptureJackTest, AMelodyPlayedIntoTheCapturePortIsNamedNoteByNote) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    std::vector<float> melody;
    ASSERT_TRUE(MakeMelody({"Piano-C3.wav", "Piano-A4.wav", "Piano-D#5.wav"}, melody));
    CNoteManager notes;
    ASSERT_TRUE(notes.Init());
    CNotes heard;
    CSoundCapture capture(notes.GetNoteTable(), kTriggerLevel, &heard);
    capture.SetDevice(std::make_unique<CRtAudioIn>(CRtAudioIn::Api::kJack, kCaptureName));
    ASSERT_TRUE(capture.Open("jack:system")) << capture.GetError();
    ASSERT_TRUE(capture.GetReady(nullptr, 0.0, 0.0)) << capture.GetError();
    ASSERT_TRUE(capture.Start(CPitchDetector::kFastAutoCorr, false)) << capture.GetError();
    CJackTestPlayer player(server.GetName(), kPlayerName, melody,
                           CJackTestPlayer::Mode::kOnceOnPlay);
    ASSERT_TRUE(player.IsReady());
    ASSERT_TRUE(WaitFor([&] { return player.ConnectTo(kCaptureName, true); }))
        << "the capture's ports never showed";
    player.Play();
    ASSERT_TRUE(WaitFor([&] { return player.HasPlayedAll(); }));
    // The last note's analysis follows its sound by a step or two.
    WaitFor([&] { return heard.Get().size() >= 3; }, 3s);
    EXPECT_EQ(heard.Get(), (std::vector<int>{48, 69, 75}));
    EXPECT_TRUE(capture.Stop()) << capture.GetError();
    EXPECT_TRUE(capture.Close()) << capture.GetError();
}

}  // namespace
