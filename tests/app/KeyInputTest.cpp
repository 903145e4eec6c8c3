// The computer keyboard on the note road: the lesson's octave shift is
// applied once, where the key becomes a note, so that the note the learner
// hears is the note that is judged and drawn.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../TempFolder.h"
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/KeyInput.h"
#include "app/MainWnd.h"
#include "audio/Sound.h"
#include "audio/SoundFile.h"
#include "capture/PitchDetector.h"
#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "midi/MidiKeyboard.h"
#include "platform/GlDevice.h"
#include "platform/null/NullBackend.h"
#include "theory/NoteRouter.h"
#include "ui/LessonSettings.h"

namespace {

constexpr int kBassLow = 43;   // G2
constexpr int kBassHigh = 55;  // G3
constexpr char kCKey = 'S';    // plays C on the computer keyboard

// Writes down every note that passes its stop.
class CRoadRecorder : public INoteSubscriber {
public:
    bool OnNote(ROUTED_NOTE& note) override {
        events.push_back(note.event);
        return true;
    }
    std::vector<NOTE_EVENT> events;
};

KEY_EVENT Key(char character, bool down, int flags = 0, bool repeat = false) {
    KEY_EVENT key;
    key.character = character;
    key.down = down;
    key.flags = flags;
    key.repeat = repeat;
    return key;
}

class CKeyInputTest : public testing::Test {
protected:
    void SetUp() override {
        m_keyboard.SetInstrument(THING_KEYBOARD);
        m_router.Subscribe(ROAD_STAGE::kHistory, m_recorder);
    }

    CMidiKeyboard m_keyboard;
    CNoteRouter m_router;
    CRoadRecorder m_recorder;
    int m_shift = 0;
    CKeyInput m_input{m_keyboard, m_router, [this] { return m_shift; }};
};

TEST_F(CKeyInputTest, AKeyPlaysItsNoteMovedByTheLessonsOctaves) {
    const int c4 = CMidiKeyboard::MapKey(kCKey, THING_KEYBOARD);
    ASSERT_EQ(c4, 60);
    m_shift = -12;
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, true)));
    EXPECT_EQ(m_input.GetSounding(kCKey), 48);
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, false)));
    ASSERT_EQ(m_recorder.events.size(), 2u);
    EXPECT_EQ(m_recorder.events[0].note, 48);
    EXPECT_TRUE(m_recorder.events[0].IsOn());
    EXPECT_EQ(m_recorder.events[0].source, SOURCE_COMPUTER_KEYBOARD);
    EXPECT_EQ(m_recorder.events[1].note, 48);
    EXPECT_FALSE(m_recorder.events[1].IsOn());
}

TEST_F(CKeyInputTest, AReleaseEndsTheNoteItsPressStartedWhenTheLessonMovedInBetween) {
    m_shift = 0;
    m_input.OnKey(Key(kCKey, true));
    m_shift = -24;  // a new lesson while the key is down
    m_input.OnKey(Key('s', false));
    ASSERT_EQ(m_recorder.events.size(), 2u);
    EXPECT_EQ(m_recorder.events[1].note, 60) << "the held note must end, not another";
    EXPECT_EQ(m_input.GetSounding(kCKey), -1);
}

TEST_F(CKeyInputTest, RepeatsModifiersAndStrayReleasesPlayNothing) {
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, true)));
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, true, 0, true))) << "a repeat is still a note key";
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, true))) << "a second press while held";
    EXPECT_FALSE(m_input.OnKey(Key(kCKey, true, kFlagControl)));
    EXPECT_FALSE(m_input.OnKey(Key(kCKey, true, kFlagAlt)));
    EXPECT_FALSE(m_input.OnKey(Key('G', true))) << "G keeps the hands apart";
    EXPECT_FALSE(m_input.OnKey(Key(0, true)));
    EXPECT_EQ(m_recorder.events.size(), 1u);
    EXPECT_TRUE(m_input.OnKey(Key('D', false))) << "a key let go that was never pressed";
    EXPECT_EQ(m_recorder.events.size(), 1u);
}

TEST_F(CKeyInputTest, ANoteMovedOffTheMidiRangeIsDropped) {
    m_shift = 72;
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, true)));
    EXPECT_TRUE(m_input.OnKey(Key(kCKey, false)));
    EXPECT_TRUE(m_recorder.events.empty());
}

TEST_F(CKeyInputTest, DrumKeysNameTheirPieceWhateverTheLesson) {
    m_keyboard.SetInstrument(THING_DRUM_SET);
    m_shift = -12;
    char key = 'A';
    while (key < 'Z' && CMidiKeyboard::MapKey(key, THING_DRUM_SET) == 0) {
        ++key;
    }
    const int piece = CMidiKeyboard::MapKey(key, THING_DRUM_SET);
    ASSERT_NE(piece, 0);
    m_input.OnKey(Key(key, true));
    ASSERT_EQ(m_recorder.events.size(), 1u);
    EXPECT_EQ(m_recorder.events[0].note, piece);
}

// Waits, in real time, until done says so or about ten seconds pass.
template <class Done>
bool WaitFor(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The pitch of the first sounding third of a second of a 16-bit stereo
// WAVE file, in Hz; 0 when nothing sounds.
double PitchOf(const CSoundInfo& played) {
    const int16_t* values = played.GetValues();
    const size_t frames = played.GetSize() / 4;
    size_t first = 0;
    while (first < frames && values[2 * first] == 0) {
        ++first;
    }
    const size_t count = 44100 / 3;
    if (frames - first < count) {
        return 0.0;
    }
    // Past the attack, one channel.
    const size_t start = first + 44100 / 20;
    std::vector<int16_t> mono(count);
    for (size_t i = 0; i < count && start + i < frames; ++i) {
        mono[i] = values[2 * (start + i)];
    }
    CPitchDetector detector;
    WAVE_FORMAT format;
    format.formatTag = WAVE_FORMAT::kPcm;
    format.channels = 1;
    format.samplesPerSecond = 44100;
    format.bitsPerSample = 16;
    format.blockAlign = 2;
    format.averageBytesPerSecond = 88200;
    double frequency = 0.0;
    if (!detector.SetUp(format, CPitchDetector::kFastAutoCorr, false) ||
        !detector.Detect(reinterpret_cast<const uint8_t*>(mono.data()),
                         static_cast<uint32_t>(mono.size() * 2), frequency)) {
        return 0.0;
    }
    return frequency;
}

TEST(ComputerKeys, AKeyInABassClefLessonSoundsTheNoteItIsJudgedAs) {
    CNullBackend backend;
    PLATFORM platform = backend.GetPlatform();
    std::string wave;
    CNullAudioOut* output = nullptr;
    platform.createAudioOut = [&wave, &output]() -> std::unique_ptr<IAudioOut> {
        auto made = std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
        made->SetWaveOutput(wave);
        output = made.get();
        return made;
    };
    CCenter center(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center.Init()) << center.GetError();
    // The rendered samples, linked into a sound folder of this test's own.
    const CTempFolder sounds("sounds");
    const std::string folder = sounds.Get() + "/";
    center.GetSettings()->soundFolder = folder.c_str();
    wave = folder + "played.wav";
    std::error_code error;
    std::filesystem::copy(NOTARA_BINARY_DIR "/Sound", folder,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::create_hard_links |
                              std::filesystem::copy_options::skip_existing,
                          error);
    ASSERT_FALSE(error) << error.message();
    backend.GetEventLoop().ProcessMessages();  // start-up
    ASSERT_TRUE(WaitFor([&] {
        backend.GetEventLoop().ProcessMessages();
        return center.GetSound() != nullptr && center.GetSound()->IsReady();
    })) << "the sound engine never opened";

    LESSON_SETTINGS lesson;
    lesson.scale = "Chromatic";
    lesson.startNote = kBassLow;
    lesson.endNote = kBassHigh;
    ASSERT_TRUE(center.OnLesson(lesson)) << center.GetError();
    Teacher& teacher = *center.GetTeacher();
    ASSERT_EQ(teacher.GetKeyShift(), -12);
    for (int i = 0; i < 1000 && teacher.GetExpected()->midiNote != 48; ++i) {
        teacher.NextNote();
    }
    ASSERT_EQ(teacher.GetExpected()->midiNote, 48) << "C3 never drawn";

    const uint64_t before = output->GetFramesMixed();
    ASSERT_TRUE(center.OnKeyAsNote(Key(kCKey, true)));
    EXPECT_TRUE(teacher.IsRightHeld()) << "the key is judged as C3";
    EXPECT_TRUE(center.GetHeldKeys()->IsHeld(48, SOURCE_COMPUTER_KEYBOARD))
        << "and drawn on the C3 key";
    ASSERT_TRUE(WaitFor([&] { return output->GetFramesMixed() > before + 44100 / 2; }));
    ASSERT_TRUE(center.OnKeyAsNote(Key(kCKey, false)));
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    backend.GetEventLoop().ProcessMessages();
    ASSERT_FALSE(center.GetMainWindow() != nullptr && center.GetMainWindow()->Exists());

    CSoundFile file;
    CSoundInfo played;
    ASSERT_TRUE(file.ReadInfo(wave.c_str(), played)) << file.GetError();
    const double pitch = PitchOf(played);
    const double c3 = 440.0 * std::pow(2.0, (48 - 69) / 12.0);
    // Within a quarter tone of C3, nowhere near C4.
    EXPECT_NEAR(std::log2(pitch / c3) * 12.0, 0.0, 0.5) << "heard " << pitch << " Hz";
}

}  // namespace
