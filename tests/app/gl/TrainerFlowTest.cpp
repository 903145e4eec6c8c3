// The whole application on Qt under Xvfb: the trainer picture comes up, a
// computer key and a note from a MIDI input reach the exercise and draw the
// next note. The MIDI input is the null backend fed with bytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QOpenGLWidget>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <set>

#include "../PrivateFolders.h"
#include "RunUntil.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/SongKeeper.h"
#include "audio/Sound.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "editors/SongEditorDlg.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiPort.h"
#include "platform/null/NullAudioIn.h"
#include "platform/null/NullAudioOut.h"
#include "platform/null/NullMidiIn.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtmidi/JackServer.h"
#include "platform/rtmidi/RtMidiIn.h"
#include "scene/SpacePainter.h"
#include "songs/Mix.h"
#include "theory/Note.h"

#include <RtMidi.h>
#include "app/AppSettings.h"
#include "exercise/Teacher.h"
#include "theory/NoteManager.h"
#include "trainer/Piano.h"
#include "trainer/PianoNotes.h"
#include "ui/LessonSettings.h"

namespace {

bool ShowsNotes(const CCenter& center) {
    return center.GetSpacePainter() != nullptr &&
           center.GetSpacePainter()->GetCurrentKind() == CPianoNotes::kKind;
}

// Pixels of the 3D view's last frame for which test holds.
template <class Test>
int CountPixels(QOpenGLWidget& view, Test test) {
    const QImage frame = view.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < frame.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            count += test(qRed(line[x]), qGreen(line[x]), qBlue(line[x])) ? 1 : 0;
        }
    }
    return count;
}

bool Green(int r, int g, int b) {
    return g > 200 && r < 30 && b < 30;
}
bool Red(int r, int g, int b) {
    return r > 200 && g < 30 && b < 30;
}
bool Blue(int r, int g, int b) {
    return b > 200 && r < 30 && g < 30;
}
constexpr int kMinimumNoteHead = 20;  // pixels of a note head at 1280x1024

// A character whose note is the expected one in some octave: computer keys
// move to a lesson by whole octaves, so a key's note name is the same in
// every lesson.
char KeyFor(int midiNote) {
    for (char c = ' '; c < 127; ++c) {
        const int note = CMidiKeyboard::MapKey(c, THING_KEYBOARD);
        if (note != 0 && note % 12 == midiNote % 12 && !(c >= 'a' && c <= 'z')) {
            return c;
        }
    }
    return 0;
}

TEST(TrainerFlow, AComputerKeyAndAMidiNoteAreJudgedAndTheNextNoteFollows) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    CNullMidiIn* midi = nullptr;
    platform.createMidiIn = [&midi] {
        auto input = std::make_unique<CNullMidiIn>();
        input->AddPort("Test keyboard");
        midi = input.get();
        return input;
    };
    CCenter center(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }))
        << "the note-reading picture never came up";
    // A first start: the picture on the left, the lessons beside it, on top.
    // The windows come up one after the other: wait for the lessons' own.
    QWidget* lessons = nullptr;
    RunUntil([&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->windowTitle() == "Lessons" &&
                top->findChild<QTextBrowser*>() != nullptr) {
                lessons = top;
            }
        }
        return lessons != nullptr;
    });
    ASSERT_NE(lessons, nullptr) << "the lessons window is not shown at first start";
    QTest::qWait(300);  // let both windows paint before the screen is grabbed
    QGuiApplication::primaryScreen()->grabWindow(0).save(NOTARA_BINARY_DIR
                                                         "/tests/first-start.png");
    Teacher& teacher = *center.GetTeacher();
    ASSERT_NE(midi, nullptr);
    EXPECT_TRUE(midi->IsOpen()) << "the MIDI input was not opened at start-up";

    QOpenGLWidget* view = QApplication::activeWindow() != nullptr
                              ? QApplication::activeWindow()->findChild<QOpenGLWidget*>()
                              : nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_NE(view, nullptr);
    // Nothing runs before the learner asks: no note on the staff until the
    // Welcome lesson's Start button.
    EXPECT_TRUE(teacher.IsStandingBy());
    EXPECT_EQ(CountPixels(*view, Blue), 0) << "a note is drawn before Start";
    QTextBrowser* document = lessons->findChild<QTextBrowser*>();
    ASSERT_TRUE(RunUntil([&] { return document->toHtml().contains("button:0"); }, 3000));
    emit document->anchorClicked(QUrl("button:0"));
    ASSERT_TRUE(RunUntil([&] { return teacher.GetExpected() != nullptr; }, 3000))
        << "Start began no lesson: " << center.GetError();
    EXPECT_TRUE(RunUntil([&] { return CountPixels(*view, Blue) > kMinimumNoteHead; }, 3000))
        << "the Welcome lesson's note is not drawn";

    // The computer keyboard.
    const int first = teacher.GetLastIndex();
    const char key = KeyFor(teacher.GetExpected()->midiNote);
    ASSERT_NE(key, 0);
    QTest::keyPress(view, key);
    ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000))
        << "key '" << key << "' was not judged right";
    QTest::keyRelease(view, key);
    ASSERT_TRUE(RunUntil([&] { return !teacher.IsRightHeld(); }, 3000));
    EXPECT_NE(teacher.GetLastIndex(), first) << "no next note after the release";

    // A wrong MIDI note, then the right one.
    const int expected = teacher.GetExpected()->midiNote;
    const int wrong = expected == 60 ? 61 : 60;
    midi->Inject({0x90, static_cast<uint8_t>(wrong), 0x40});
    ASSERT_TRUE(RunUntil([&] { return teacher.GetWrongCount() == 1; }, 3000));
    EXPECT_TRUE(RunUntil([&] { return CountPixels(*view, Red) > kMinimumNoteHead; }, 3000))
        << "the wrong note is not drawn in red";
    midi->Inject({0x80, static_cast<uint8_t>(wrong), 0x00});
    midi->Inject({0x90, static_cast<uint8_t>(expected), 0x64});
    ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000)) << "MIDI note not judged";
    EXPECT_TRUE(RunUntil([&] { return CountPixels(*view, Green) > kMinimumNoteHead; }, 3000))
        << "the right note is not drawn in green";
    std::string error;
    EXPECT_TRUE(center.GetMainWindow()->GetWindow()->SaveScreenshot(
        NOTARA_BINARY_DIR "/tests/trainer-right-note.png", error))
        << error;
    const int second = teacher.GetLastIndex();
    midi->Inject({0x90, static_cast<uint8_t>(expected), 0x00});  // note-on with velocity 0
    ASSERT_TRUE(RunUntil([&] { return teacher.GetLastIndex() != second; }, 3000));

    // A vanished device is reported and the exercise goes on.
    midi->RemovePort("Test keyboard");
    ASSERT_TRUE(RunUntil([&] { return center.GetMidiPort()->IsDeviceLost(); }, 3000));
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return center.GetMainWindow() == nullptr || !center.GetMainWindow()->Exists(); },
             3000);
}

// How alike two runs of values are: 1 for the same shape at any level.
double Likeness(const int16_t* a, const int16_t* b, size_t count, size_t strideA, size_t strideB) {
    double ab = 0.0;
    double aa = 0.0;
    double bb = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double x = a[i * strideA];
        const double y = b[i * strideB];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 0.0;
}

TEST(TrainerFlow, AComputerKeySoundsItsNoteIntoTheSilentDevicesWaveFile) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    std::string wave;
    platform.createAudioOut = [&wave]() -> std::unique_ptr<IAudioOut> {
        auto output = std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
        output->SetWaveOutput(wave);
        return output;
    };
    CCenter center(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center.Init()) << center.GetError();
    // The rendered samples, linked into this run's own sound folder.
    const std::string folder = center.GetSettings()->soundFolder.GetText();
    wave = folder + "played.wav";
    std::error_code error;
    std::filesystem::copy(NOTARA_BINARY_DIR "/Sound", folder,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::create_hard_links |
                              std::filesystem::copy_options::skip_existing,
                          error);
    ASSERT_FALSE(error) << error.message();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    ASSERT_TRUE(RunUntil([&] { return center.GetSound() != nullptr; }))
        << "the sound engine never opened";
    ASSERT_TRUE(center.GetSound()->IsReady()) << center.GetSound()->GetError();
    QOpenGLWidget* view = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_NE(view, nullptr);
    const int midiNote = center.GetTeacher()->GetExpected()->midiNote;
    const char key = KeyFor(midiNote);
    ASSERT_NE(key, 0);
    QTest::keyPress(view, key);
    QTest::qWait(400);
    QTest::keyRelease(view, key);
    QTest::qWait(100);
    // The sample the key's note plays, as the engine holds it.
    CNote note;
    note.thing = THING_KEYBOARD;
    note.midiNote = static_cast<uint8_t>(CMidiKeyboard::MapKey(key, THING_KEYBOARD));
    const CSoundInfo* sample = nullptr;
    ASSERT_TRUE(center.GetSound()->FindSound(note, sample));
    const CSoundInfo expected = *sample;
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
    // Closed: the file is complete.
    CSoundFile file;
    CSoundInfo played;
    ASSERT_TRUE(file.ReadInfo(wave.c_str(), played)) << file.GetError();
    const int16_t* values = played.GetValues();
    const size_t frames = played.GetSize() / 4;
    size_t first = 0;
    while (first < frames && values[2 * first] == 0) {
        ++first;
    }
    ASSERT_LT(first, frames) << "nothing sounded";
    // A third of a second of the note: the sample itself, at the key's level.
    const size_t compared = 44100 / 3;
    ASSERT_GE(frames - first, compared);
    ASSERT_GE(expected.GetSize() / 2, compared);
    const int16_t* source = expected.GetValues();
    size_t lead = 0;
    while (source[lead] == 0) {
        ++lead;
    }
    EXPECT_GT(Likeness(values + 2 * first, source + lead, compared, 2, 1), 0.99)
        << "the WAVE file does not hold the sample of note " << int(note.midiNote);
    EXPECT_GT(Likeness(values + 2 * first + 1, source + lead, compared, 2, 1), 0.99);
}

TEST(TrainerFlow, ALessonChosenInTheTextDialogRunsAndItsNoteIsPlayedOnTheKeyboard) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init()) << center.GetError();
    // The shipped course of the build tree, read when the start message runs.
    center.GetSettings()->tutorialsFolder = NOTARA_BINARY_DIR "/Tutorials/";
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    QComboBox* list = nullptr;
    QTextBrowser* document = nullptr;
    QOpenGLWidget* view = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        list = list != nullptr ? list : top->findChild<QComboBox*>();
        document = document != nullptr ? document : top->findChild<QTextBrowser*>();
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_TRUE(list != nullptr && document != nullptr && view != nullptr);
    ASSERT_GE(list->count(), 12) << "the Text dialog does not list the course";
    // The second lesson of the course, then its first Start button.
    emit list->activated(1);
    ASSERT_TRUE(RunUntil([&] { return document->toHtml().contains("button:0"); }, 3000))
        << "the chosen document shows no button";
    emit document->anchorClicked(QUrl("button:0"));
    ASSERT_TRUE(RunUntil([&] { return center.GetLesson() != nullptr; }, 3000))
        << "the button started no lesson: " << center.GetError();
    Teacher& teacher = *center.GetTeacher();
    EXPECT_EQ(teacher.GetLow(), center.GetLesson()->startNote);
    EXPECT_EQ(teacher.GetHigh(), center.GetLesson()->endNote);
    const int shown = teacher.GetLastIndex();
    const char key = KeyFor(teacher.GetExpected()->midiNote);
    ASSERT_NE(key, 0);
    QTest::keyPress(view, key);
    ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000));
    QTest::keyRelease(view, key);
    ASSERT_TRUE(RunUntil([&] { return teacher.GetLastIndex() != shown; }, 3000)) << "no next note";
    // The start gave the keys back to the picture.
    EXPECT_TRUE(view->hasFocus() || QApplication::focusWidget() == nullptr);
    // A key typed while the lessons window has the focus reaches the
    // exercise too.
    document->setFocus();
    const int next = teacher.GetLastIndex();
    const char nextKey = KeyFor(teacher.GetExpected()->midiNote);
    ASSERT_NE(nextKey, 0);
    QTest::keyPress(document, nextKey);
    EXPECT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000))
        << "a key in the lessons window did not reach the exercise";
    QTest::keyRelease(document, nextKey);
    EXPECT_TRUE(RunUntil([&] { return teacher.GetLastIndex() != next; }, 3000));
    CSpacePainter& scene = *center.GetSpacePainter();
    int frames = 0;
    scene.SetFrameListener([&frames] { ++frames; });
    ASSERT_TRUE(RunUntil([&] { return frames > 0; }, 3000)) << "no frame shows the next note";
    std::string error;
    EXPECT_TRUE(center.GetMainWindow()->GetWindow()->SaveScreenshot(
        NOTARA_BINARY_DIR "/tests/lesson-next-note.png", error))
        << error;

    // The window's keys: F1 brings the lessons back, Ctrl+T the statistics,
    // Alt+Enter and Esc full screen; plain letters stay notes.
    QWidget* dialog = list->window();
    dialog->hide();
    QTest::keyClick(view, Qt::Key_F1);
    EXPECT_TRUE(RunUntil([&] { return dialog->isVisible(); }, 3000))
        << "F1 did not show the lessons";
    double percent = 0.0, mean = 0.0;
    int answered = 0;
    teacher.GetSummary(percent, mean, answered);
    QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(scene.IsInfoShown());
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(RunUntil([&] { return scene.IsFullScreen(); }, 3000));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(RunUntil([&] { return !scene.IsFullScreen(); }, 3000));
    EXPECT_TRUE(ShowsNotes(center)) << "the picture is gone after full screen";
    // The exercise outlives the rebuilt picture: same lesson, same results.
    EXPECT_EQ(teacher.GetLow(), center.GetLesson()->startNote);
    int answeredAfter = 0;
    teacher.GetSummary(percent, mean, answeredAfter);
    EXPECT_EQ(answeredAfter, answered);
    EXPECT_TRUE(RunUntil([&] { return CountPixels(*view, Blue) > kMinimumNoteHead; }, 3000))
        << "the rebuilt picture does not show the note on show";
    scene.SetFrameListener(nullptr);
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

// A sound made of a piano sample: lead seconds of silence, then the first
// hold seconds of the note count times, each followed by gap seconds of
// silence.
bool WriteRepeatedNote(const char* samplePath, const std::string& path, double lead, double hold,
                       double gap, int count) {
    CSoundFile reader;
    CSoundInfo sample;
    if (!reader.ReadInfo(samplePath, sample) || sample.format.channels != 1 ||
        sample.format.bitsPerSample != 16) {
        return false;
    }
    const double rate = sample.format.samplesPerSecond;
    const size_t sampleFrames = sample.GetSize() / 2;
    const auto frames = [rate](double seconds) { return static_cast<size_t>(seconds * rate); };
    std::vector<int16_t> values(frames(lead), 0);
    for (int i = 0; i < count; ++i) {
        const size_t held = std::min(sampleFrames, frames(hold));
        values.insert(values.end(), sample.GetValues(), sample.GetValues() + held);
        values.insert(values.end(), frames(gap), 0);
    }
    CSoundInfo sound;
    sound.format = sample.format;
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    sound.SetData(std::vector<uint8_t>(bytes, bytes + values.size() * sizeof(int16_t)));
    return CSoundFile().Save(path.c_str(), sound);
}

// A sung-like tone: lead seconds of silence, then seconds of a note at
// frequency with a few partials, faded in over 20 ms.
bool WriteTone(const std::string& path, double frequency, double lead, double seconds) {
    constexpr int kRate = 44100;
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kFadeIn = 0.02;
    std::vector<int16_t> values(static_cast<size_t>(lead * kRate), 0);
    for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double value = 0.0;
        for (const auto& [partial, amplitude] :
             {std::pair{1, 1.0}, {2, 0.5}, {3, 0.3}, {4, 0.15}}) {
            value += amplitude * std::sin(2.0 * kPi * partial * frequency * t);
        }
        value *= 0.25 * std::min(1.0, t / kFadeIn);
        values.push_back(static_cast<int16_t>(std::lround(value * 32767.0)));
    }
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Pcm(1, kRate, 16);
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    sound.SetData(std::vector<uint8_t>(bytes, bytes + values.size() * sizeof(int16_t)));
    return CSoundFile().Save(path.c_str(), sound);
}

// The readout the main window's status bar shows beside the input meter.
QLabel* TunerReadout() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (QLabel* label : top->findChildren<QLabel*>()) {
            if (label->toolTip().startsWith("The note the microphone hears")) {
                return label;
            }
        }
    }
    return nullptr;
}

// The cents of a readout such as "A4 +20 cents" after its note name.
bool ReadsNote(const QString& text, const char* note, int& cents) {
    const QStringList words = text.split(' ');
    bool number = false;
    cents = words.size() == 3 ? words[1].toInt(&number) : 0;
    return number && words[0] == note && words[2] == "cents";
}

// The platform whose microphone hears the file named by heard in real time:
// silence until the test has written it.
PLATFORM MicrophoneHearing(CQtBackend& backend, const std::string& heard) {
    PLATFORM platform = backend.GetPlatform();
    platform.createAudioIn = [&heard]() -> std::unique_ptr<IAudioIn> {
        auto input = std::make_unique<CNullAudioIn>(CNullAudioIn::Clock::kRealTime);
        input->SetSource(heard);
        return input;
    };
    return platform;
}

// Turns the microphone on (an earlier test may have turned it off) and
// waits until it opens.
bool OpenMicrophone(CCenter& center) {
    if (!center.IsMicrophoneOn()) {
        center.OnCommand(kCommandMicrophone);
    }
    return RunUntil([&] { return center.GetCapture() != nullptr; });
}

// The microphone off and on again opens the input anew, on the file heard
// now.
bool ReopenMicrophone(CCenter& center) {
    center.OnCommand(kCommandMicrophone);
    if (center.GetCapture() != nullptr) {
        return false;
    }
    center.OnCommand(kCommandMicrophone);
    return RunUntil([&] { return center.GetCapture() != nullptr; });
}

TEST(TrainerFlow, NotesPlayedIntoTheMicrophoneAreJudgedAndTheNextNotesFollow) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    std::string heard;
    CCenter center(kNotaraDemoKind, "", MicrophoneHearing(backend, heard));
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    ASSERT_TRUE(OpenMicrophone(center)) << "the microphone never opened: " << center.GetError();
    RunUntil([&] { return center.GetLesson() != nullptr; }, 1000);  // a resumed lesson
    // A lesson of middle C alone: every answer is C, and each right one
    // draws the next.
    int scale = 0;
    ASSERT_TRUE(CNoteManager::FindScale("C maj", scale));
    Teacher& teacher = *center.GetTeacher();
    ASSERT_TRUE(teacher.SetLesson(scale, 60, 60)) << teacher.GetError();
    ASSERT_EQ(teacher.GetExpected()->midiNote, 60);
    double percent = 0.0, mean = 0.0;
    int before = 0;
    teacher.GetSummary(percent, mean, before);
    const std::string folder = center.GetSettings()->soundFolder.GetText();
    heard = folder + "heard.wav";
    constexpr int kPlayed = 3;
    ASSERT_TRUE(WriteRepeatedNote(NOTARA_BINARY_DIR "/Sound/Piano/Piano-C4.wav", heard, 0.5, 0.7,
                                  0.6, kPlayed));
    ASSERT_TRUE(ReopenMicrophone(center))
        << "the microphone did not open again: " << center.GetError();
    int answered = before;
    EXPECT_TRUE(RunUntil(
        [&] {
            teacher.GetSummary(percent, mean, answered);
            return answered >= before + kPlayed;
        },
        15000))
        << "only " << answered - before << " of " << kPlayed << " notes were judged";
    EXPECT_EQ(teacher.GetWrongCount(), 0) << "a held note was heard as another one";
    EXPECT_EQ(teacher.GetExpected()->midiNote, 60);
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

TEST(TrainerFlow, NotesFromAnotherProgramsJackPortReachTheExercise) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    // The other program: a JACK client with a MIDI output, there before
    // Notara starts, so that Notara opens it as the first port.
    RtMidiOut sender(RtMidi::UNIX_JACK, "notara-test-sender");
    sender.openVirtualPort("keys");
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    platform.createMidiIn = [] { return std::make_unique<CRtMidiIn>(CRtMidiIn::Api::kJack); };
    CCenter center(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    // A MIDI system slow to answer is taken by the second timer.
    ASSERT_TRUE(RunUntil(
        [&] { return center.GetMidiPort() != nullptr && center.GetMidiPort()->IsOpen(); }, 5000))
        << "Notara did not open the sender's port";
    // An earlier run of this process left a lesson open, which starts again
    // once the start-up messages are handled.
    RunUntil([&] { return center.GetLesson() != nullptr; }, 1000);
    Teacher& teacher = *center.GetTeacher();
    for (int round = 0; round < 3; ++round) {
        const int index = teacher.GetLastIndex();
        const unsigned char note = teacher.GetExpected()->midiNote;
        std::vector<unsigned char> on{0x90, note, 0x50};
        // The connection may still be settling: the press is sent again
        // until it arrives, which a held right note takes in its stride.
        bool right = false;
        for (int attempt = 0; attempt < 15 && !right; ++attempt) {
            sender.sendMessage(&on);
            right = RunUntil([&] { return teacher.IsRightHeld(); }, 200);
        }
        ASSERT_TRUE(right) << "round " << round;
        std::vector<unsigned char> off{0x80, note, 0x00};
        sender.sendMessage(&off);
        ASSERT_TRUE(RunUntil([&] { return teacher.GetLastIndex() != index; }, 3000));
    }
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

}  // namespace

// The application object lives on main's stack: Qt's clean-up at exit must
// run before the libraries it calls are gone. The data folders and the
// settings are this process's own.
TEST(TrainerFlow, ATuneOnTheCommandLineIsPlayedThroughOnTheComputerKeyboard) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    const std::string tune = NOTARA_BINARY_DIR "/Tutorials/Notara/Tunes/Ode to Joy.mid";
    CCenter center(kNotaraDemoKind, tune.c_str(), backend.GetPlatform());
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    ASSERT_TRUE(RunUntil([&] { return center.GetTeacher()->IsTune(); }, 3000))
        << "the tune was not opened: " << center.GetError();
    Teacher& teacher = *center.GetTeacher();
    const int length = static_cast<int>(teacher.GetNotes().GetCount());
    ASSERT_GE(length, 16);
    QOpenGLWidget* view = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < length; ++i) {
        ASSERT_EQ(teacher.GetTunePosition(), i + 1);
        const char key = KeyFor(teacher.GetExpected()->midiNote);
        ASSERT_NE(key, 0);
        QTest::keyPress(view, key);
        QTest::keyRelease(view, key);
        ASSERT_TRUE(RunUntil(
            [&] { return teacher.GetTunePosition() != i + 1 || teacher.GetTuneRuns() > 0; }, 3000))
            << "note " << i + 1 << " did not advance the tune";
    }
    EXPECT_EQ(teacher.GetTuneRuns(), 1) << "played through to the end";
    EXPECT_NE(std::string(teacher.GetStatusLine().GetText()).find("Right at first try: 100%"),
              std::string::npos)
        << teacher.GetStatusLine();
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

namespace {

// The shown top-level window titled title, or null.
QWidget* ShownWindow(const char* title) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->windowTitle() == title) {
            return top;
        }
    }
    return nullptr;
}

// Distinct colours of a grabbed widget: a blank or black grab has one.
int CountColours(QWidget& widget) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2) {
            colours.insert(line[x]);
        }
    }
    return static_cast<int>(colours.size());
}

// Opens the audio settings from the menu; nullptr when they never show.
QWidget* OpenAudioSettings(CCenter& center) {
    QWidget* settings = nullptr;
    if (center.OnCommand(kCommandAudioSettings)) {
        RunUntil([&] { return (settings = ShownWindow("Audio Settings")) != nullptr; }, 3000);
    }
    return settings;
}

// Closes the audio settings with Cancel; true once they are gone.
bool CancelAudioSettings(QWidget& settings) {
    auto* cancel = settings.findChild<QPushButton*>("item2");
    if (cancel == nullptr) {
        return false;
    }
    QTest::mouseClick(cancel, Qt::LeftButton);
    return RunUntil([&] { return ShownWindow("Audio Settings") == nullptr; }, 3000);
}

}  // namespace

// What a learner sees while singing into the microphone: the note heard and
// how far off it is, beside the input meter of the window and of the audio
// settings.
TEST(TrainerFlow, TheTunerReadoutShowsASungNoteTwentyCentsSharp) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    std::string heard;
    CCenter center(kNotaraDemoKind, "", MicrophoneHearing(backend, heard));
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    ASSERT_TRUE(OpenMicrophone(center)) << "the microphone never opened: " << center.GetError();
    heard = center.GetSettings()->soundFolder.GetText() + std::string("sung-a4-sharp.wav");
    ASSERT_TRUE(WriteTone(heard, 440.0 * std::pow(2.0, 20.0 / 1200.0), 0.5, 8.0));
    ASSERT_TRUE(ReopenMicrophone(center))
        << "the microphone did not open again: " << center.GetError();

    QLabel* readout = nullptr;
    ASSERT_TRUE(RunUntil(
        [&] { return (readout = TunerReadout()) != nullptr && readout->isVisible(); }, 8000))
        << "no tuner readout while a steady note sounds";
    int cents = 0;
    EXPECT_TRUE(ReadsNote(readout->text(), "A4", cents)) << readout->text().toStdString();
    EXPECT_NEAR(cents, 20, 3) << readout->text().toStdString();
    QWidget* main = readout->window();
    QTest::qWait(200);
    main->grab().save(NOTARA_BINARY_DIR "/tests/microphone-tuner.png");
    EXPECT_GT(CountColours(*main), 8) << "the window shows nothing";

    QWidget* settings = OpenAudioSettings(center);
    ASSERT_NE(settings, nullptr) << center.GetError();
    auto* dialogReadout = settings->findChild<QLabel*>("item1214");
    ASSERT_NE(dialogReadout, nullptr);
    EXPECT_TRUE(RunUntil([&] { return ReadsNote(dialogReadout->text(), "A4", cents); }, 3000))
        << "the audio settings read '" << dialogReadout->text().toStdString() << "'";
    EXPECT_NEAR(cents, 20, 3);
    QTest::qWait(200);
    settings->grab().save(NOTARA_BINARY_DIR "/tests/audio-settings-tuner.png");
    EXPECT_TRUE(CancelAudioSettings(*settings));
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

TEST(TrainerFlow, TheMixerAndTheAudioSettingsOpenFromTheMenuAndAct) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    platform.createMidiIn = [] {
        auto input = std::make_unique<CNullMidiIn>();
        input->AddPort("Test keyboard");
        return input;
    };
    platform.createSilentAudioOut = [] {
        return std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
    };
    CCenter center(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));

    ASSERT_TRUE(center.OnCommand(kCommandShowMixer)) << center.GetError();
    QWidget* mixer = nullptr;
    ASSERT_TRUE(RunUntil([&] { return (mixer = ShownWindow("Mixer")) != nullptr; }, 3000));
    auto* bassPan = mixer->findChild<QSlider*>("item1514");
    ASSERT_NE(bassPan, nullptr);
    bassPan->setFocus();
    QTest::keyClick(bassPan, Qt::Key_Home);  // fully left
    float volume = 0.0f;
    float pan = 0.0f;
    center.GetMix()->Get(THING_BASS_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(pan, -1.0f);
    QTest::qWait(200);
    mixer->grab().save(NOTARA_BINARY_DIR "/tests/mixer.png");
    EXPECT_GT(CountColours(*mixer), 8) << "the mixer shows nothing";

    QWidget* settings = OpenAudioSettings(center);
    ASSERT_NE(settings, nullptr) << center.GetError();
    auto* midi = settings->findChild<QComboBox*>("item1211");
    ASSERT_NE(midi, nullptr);
    ASSERT_EQ(midi->count(), 2);
    EXPECT_EQ(midi->itemText(0), "--- None ---");
    EXPECT_EQ(midi->itemText(1), "Test keyboard");
    EXPECT_EQ(midi->currentIndex(), 0) << "nothing chosen yet: None is selected";
    auto* output = settings->findChild<QComboBox*>("item1208");
    ASSERT_NE(output, nullptr);
    EXPECT_NE(output->findText("No sound output"), -1);
    QTest::qWait(200);
    settings->grab().save(NOTARA_BINARY_DIR "/tests/audio-settings.png");
    EXPECT_GT(CountColours(*settings), 8) << "the audio settings show nothing";
    EXPECT_TRUE(CancelAudioSettings(*settings));
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

TEST(TrainerFlow, ALessonOfThreeNotesEndsWithItsReportAndTheNextLessonFollows) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    ASSERT_TRUE(ParseActionParameters("Scale=C maj|StartNote=60|EndNote=72|Notes=3", lesson,
                                      display, error));
    ASSERT_TRUE(center.OnLesson(lesson)) << center.GetError();
    QOpenGLWidget* view = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_NE(view, nullptr);
    Teacher& teacher = *center.GetTeacher();
    for (int i = 0; i < 3; ++i) {
        const char key = KeyFor(teacher.GetExpected()->midiNote);
        ASSERT_NE(key, 0);
        QTest::keyPress(view, key);
        QTest::keyRelease(view, key);
        ASSERT_TRUE(RunUntil([&] { return teacher.GetAnsweredCount() == i + 1; }, 3000));
    }
    QWidget* done = nullptr;
    ASSERT_TRUE(RunUntil([&] { return (done = ShownWindow("Lesson done")) != nullptr; }, 3000));
    QTest::qWait(200);
    done->grab().save(NOTARA_BINARY_DIR "/tests/lesson-done.png");
    EXPECT_GT(CountColours(*done), 8) << "the report shows nothing";
    auto* report = done->findChild<QLabel*>("item1901");
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->text().startsWith("Right at first try: 3 of 3 (100%)"))
        << report->text().toStdString();
    auto* again = done->findChild<QPushButton*>("item1903");
    ASSERT_NE(again, nullptr);
    QTest::mouseClick(again, Qt::LeftButton);
    EXPECT_TRUE(RunUntil([&] { return ShownWindow("Lesson done") == nullptr; }, 3000));
    EXPECT_FALSE(teacher.IsFinished());
    EXPECT_NE(teacher.GetExpected(), nullptr);
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

int main(int argc, char** argv) {
    CPrivateFolders folders;
    setenv("XDG_CONFIG_HOME", (folders.Get() + "/config").c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

namespace {

// The keys of the picture that carry the expected-key mark.
std::vector<int> MarkedKeys(const CCenter& center) {
    std::vector<int> keys;
    auto* picture = dynamic_cast<CPianoNotes*>(center.GetSpacePainter()->GetPicture());
    if (picture == nullptr || picture->GetPiano() == nullptr) {
        return keys;
    }
    for (int n = CPianoNotes::kLowestKey; n < CPianoNotes::kKeyAfterHighest; ++n) {
        const CPianoKey* key = picture->GetPiano()->GetKey(n);
        if (key != nullptr && key->IsMarked()) {
            keys.push_back(n);
        }
    }
    return keys;
}

QPushButton* VisibleButton(const QString& text) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) {
            continue;
        }
        for (QPushButton* button : top->findChildren<QPushButton*>()) {
            if (button->text() == text && button->isVisible() && button->isEnabled()) {
                return button;
            }
        }
    }
    return nullptr;
}

}  // namespace

// Five lessons of the course in a row, each played to its end and left by
// Next lesson: one key is marked, the one of the note expected now, and the
// hint's switch takes that mark away.
TEST(TrainerFlow, AfterFiveLessonsInARowOneKeyIsMarkedAndTheHintTakesItAway) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init()) << center.GetError();
    ASSERT_TRUE(RunUntil([&] { return ShowsNotes(center); }));
    Teacher& teacher = *center.GetTeacher();
    QTextBrowser* document = nullptr;
    QComboBox* list = nullptr;
    ASSERT_TRUE(RunUntil([&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->windowTitle() == "Lessons") {
                document = top->findChild<QTextBrowser*>();
                list = top->findChild<QComboBox*>();
            }
        }
        return document != nullptr && list != nullptr;
    }));
    // The course from its first lesson, whatever an earlier run left open.
    list->setCurrentIndex(0);
    emit list->activated(0);
    ASSERT_TRUE(RunUntil([&] { return document->toHtml().contains("button:0"); }, 3000));
    emit document->anchorClicked(QUrl("button:0"));
    // The Welcome lesson runs to its goal (the lesson before ran on).
    ASSERT_TRUE(RunUntil([&] { return teacher.GetGoal() > 0 && teacher.GetExpected(); }, 3000));
    QOpenGLWidget* view = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_NE(view, nullptr);
    constexpr int kLessons = 5;
    constexpr int kMostNotes = 200;
    for (int lesson = 0; lesson < kLessons; ++lesson) {
        // Every note right until the report comes up.
        QPushButton* next = nullptr;
        for (int note = 0; note < kMostNotes && next == nullptr; ++note) {
            ASSERT_TRUE(RunUntil([&] { return teacher.GetExpected() != nullptr; }, 3000))
                << "lesson " << lesson << " expects no note";
            const char key = KeyFor(teacher.GetExpected()->midiNote);
            ASSERT_NE(key, 0);
            const int index = teacher.GetLastIndex();
            QTest::keyPress(view, key);
            ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000));
            QTest::keyRelease(view, key);
            RunUntil([&] {
                next = VisibleButton("Next lesson");
                return next != nullptr || teacher.GetLastIndex() != index;
            });
        }
        ASSERT_NE(next, nullptr) << "lesson " << lesson
                                 << " never ended: " << teacher.GetAnsweredCount() << " answered, "
                                 << (ShownWindow("Lesson done") != nullptr ? "report" : "none");
        EXPECT_TRUE(MarkedKeys(center).empty()) << "a finished lesson still marks a key";
        next->click();
        ASSERT_TRUE(RunUntil([&] { return !teacher.IsFinished() && teacher.GetExpected(); }, 3000));
    }
    ASSERT_NE(teacher.GetExpected(), nullptr);
    EXPECT_EQ(MarkedKeys(center), std::vector<int>{teacher.GetExpected()->midiNote})
        << "marks pile up over the lessons";
    const auto markGreen = [](int r, int g, int b) {
        return g > 200 && r > 40 && r < 120 && b < 120;
    };
    EXPECT_TRUE(RunUntil([&] { return CountPixels(*view, markGreen) > 3; }, 3000));
    std::string error;
    EXPECT_TRUE(center.GetMainWindow()->GetWindow()->SaveScreenshot(
        NOTARA_BINARY_DIR "/tests/keyboard-after-five-lessons.png", error))
        << error;
    ASSERT_TRUE(center.OnCommand(kCommandHintExpectedKey));
    EXPECT_TRUE(MarkedKeys(center).empty()) << "the mark shows with its hint off";
    EXPECT_TRUE(RunUntil([&] { return CountPixels(*view, markGreen) == 0; }, 3000));
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return center.GetMainWindow() == nullptr || !center.GetMainWindow()->Exists(); },
             3000);
}

namespace {

int DistinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

}  // namespace

// The groove kind's first start on Qt: the main window with its waiting
// picture and the Song Editor with the shipped grooves; a groove chosen
// shows on the grids. The screen is kept as build/tests/rumblo-first-start.png.
TEST(GrooveKindFlow, AFirstStartShowsTheSongEditorWithTheShippedGrooves) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    CCenter center(3, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init()) << center.GetError();
    // The build's grooves and course, in place of the private folders'.
    center.GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    center.GetSettings()->tutorialsFolder = NOTARA_BINARY_DIR "/Tutorials/";
    QWidget* editor = nullptr;
    ASSERT_TRUE(RunUntil([&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->windowTitle() == "Song Editor") {
                editor = top;
            }
        }
        return editor != nullptr;
    })) << "the Song Editor is not shown at the first start";
    ASSERT_NE(center.GetSongs(), nullptr);
    ASSERT_TRUE(center.GetSongs()->GetEditor()->SelectGroove("Rock", "Straight Eight"));
    QTest::qWait(300);  // let the windows paint before the screen is grabbed
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    screen.save(NOTARA_BINARY_DIR "/tests/rumblo-first-start.png");
    EXPECT_GT(DistinctColours(editor->grab().toImage()), 20) << "the editor shows nothing";
    bool bandText = false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        bandText = bandText || (top->isVisible() && top->windowTitle() == "Rumblo");
    }
    EXPECT_TRUE(bandText) << "the main window of the groove kind is not shown";
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return center.GetMainWindow() == nullptr || !center.GetMainWindow()->Exists(); },
             3000);
}
