// The whole application on Qt under Xvfb: the trainer picture comes up, a
// computer key and a note from a MIDI input reach the exercise and draw the
// next note. The MIDI input is the null backend fed with bytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include <functional>

#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiPort.h"
#include "platform/null/NullMidiIn.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtmidi/JackServer.h"
#include "platform/rtmidi/RtMidiIn.h"
#include "scene/SpacePainter.h"

#include <RtMidi.h>
#include "app/AppSettings.h"
#include "trainer/PianoNotes.h"
#include "ui/LessonSettings.h"

namespace {

bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A character whose note, moved into the lesson starting at low, is the
// expected one in some octave.
char KeyFor(int midiNote, int low = 60) {
    for (char c = ' '; c < 127; ++c) {
        const int note = CMidiKeyboard::MapKey(c, THING_KEYBOARD);
        if (note != 0 && (note + low - 60 + 120) % 12 == midiNote % 12 && !(c >= 'a' && c <= 'z')) {
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
    ASSERT_TRUE(RunUntil([&] { return center.GetPianoNotes() != nullptr; }))
        << "the note-reading picture never came up";
    Teacher& teacher = *center.GetPianoNotes()->GetTeacher();
    ASSERT_NE(midi, nullptr);
    EXPECT_TRUE(midi->IsOpen()) << "the MIDI input was not opened at start-up";

    QOpenGLWidget* view = QApplication::activeWindow() != nullptr
                              ? QApplication::activeWindow()->findChild<QOpenGLWidget*>()
                              : nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        view = view != nullptr ? view : top->findChild<QOpenGLWidget*>();
    }
    ASSERT_NE(view, nullptr);

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
    midi->Inject({0x80, static_cast<uint8_t>(wrong), 0x00});
    midi->Inject({0x90, static_cast<uint8_t>(expected), 0x64});
    ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000)) << "MIDI note not judged";
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

TEST(TrainerFlow, ALessonChosenInTheTextDialogRunsAndItsNoteIsPlayedOnTheKeyboard) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init()) << center.GetError();
    // The shipped course of the build tree, read when the start message runs.
    center.GetSettings()->tutorialsFolder = NOTARA_BINARY_DIR "/Tutorials/";
    ASSERT_TRUE(RunUntil([&] { return center.GetPianoNotes() != nullptr; }));
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
    Teacher& teacher = *center.GetPianoNotes()->GetTeacher();
    EXPECT_EQ(teacher.GetLow(), center.GetLesson()->startNote);
    EXPECT_EQ(teacher.GetHigh(), center.GetLesson()->endNote);
    const int shown = teacher.GetLastIndex();
    const char key = KeyFor(teacher.GetExpected()->midiNote, teacher.GetLow());
    ASSERT_NE(key, 0);
    QTest::keyPress(view, key);
    ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000));
    QTest::keyRelease(view, key);
    ASSERT_TRUE(RunUntil([&] { return teacher.GetLastIndex() != shown; }, 3000)) << "no next note";
    RunUntil([] { return false; }, 200);  // let the frame show it
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
    CSpacePainter& scene = *center.GetSpacePainter();
    QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(scene.IsInfoShown());
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(RunUntil([&] { return scene.IsFullScreen(); }, 3000));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(RunUntil([&] { return !scene.IsFullScreen(); }, 3000));
    EXPECT_NE(center.GetPianoNotes(), nullptr) << "the picture is gone after full screen";
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
    ASSERT_TRUE(RunUntil([&] { return center.GetPianoNotes() != nullptr; }));
    ASSERT_TRUE(center.GetMidiPort() != nullptr && center.GetMidiPort()->IsOpen())
        << "Notara did not open the sender's port";
    Teacher& teacher = *center.GetPianoNotes()->GetTeacher();
    RunUntil([] { return false; }, 300);  // let the JACK connection settle
    for (int round = 0; round < 3; ++round) {
        const int index = teacher.GetLastIndex();
        const unsigned char note = teacher.GetExpected()->midiNote;
        std::vector<unsigned char> on{0x90, note, 0x50};
        sender.sendMessage(&on);
        ASSERT_TRUE(RunUntil([&] { return teacher.IsRightHeld(); }, 3000)) << "round " << round;
        std::vector<unsigned char> off{0x80, note, 0x00};
        sender.sendMessage(&off);
        ASSERT_TRUE(RunUntil([&] { return teacher.GetLastIndex() != index; }, 3000));
    }
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
}

}  // namespace

// The application object lives on main's stack: Qt's clean-up at exit must
// run before the libraries it calls are gone.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
