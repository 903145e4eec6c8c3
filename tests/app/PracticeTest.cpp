// The learner's practice in the running application: lessons that end after
// their notes with a report, the history every answer is written to, kept
// across restarts, and the drill of the weakest notes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/Menus.h"
#include "app/PracticeKeeper.h"
#include "editors/LessonDoneDlg.h"
#include "exercise/Teacher.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "platform/null/NullWindow.h"
#include "theory/NoteEvent.h"
#include "ui/LessonSettings.h"

namespace {

const std::string kBuiltTutorials = std::string(NOTARA_BINARY_DIR) + "/Tutorials/";

std::unique_ptr<CCenter> Start(CNullBackend& backend) {
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", backend.GetPlatform());
    if (!center->Init()) {
        return nullptr;
    }
    center->GetSettings()->tutorialsFolder = kBuiltTutorials.c_str();
    backend.GetEventLoop().ProcessMessages();
    return center;
}

void Press(CCenter& center, int note, bool down) {
    center.OnNote(MakePayload(std::make_unique<NOTE_EVENT>(
        NOTE_EVENT::Make(note, down, down ? 1.0f : 0.0f, SOURCE_MIDI_INPUT, 0.0))));
}

void Play(CCenter& center, int note) {
    Press(center, note, true);
    Press(center, note, false);
}

bool StartLesson(CCenter& center, const char* parameters) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    return ParseActionParameters(parameters, lesson, display, error) && center.OnLesson(lesson);
}

// Answers the note on show, first with a wrong key when asked.
void Answer(CCenter& center, bool missFirst) {
    const int expected = center.GetTeacher()->GetExpected()->midiNote;
    if (missFirst) {
        Play(center, expected == 60 ? 61 : 60);
    }
    Play(center, expected);
}

std::vector<PRACTICE_ROW> Rows(CCenter& center) {
    std::vector<PRACTICE_ROW> rows;
    CPracticeHistory& history = center.GetPractice()->GetHistory();
    EXPECT_TRUE(history.Flush()) << history.GetError();
    EXPECT_TRUE(history.GetRowsSince(0.0, rows)) << history.GetError();
    return rows;
}

}  // namespace

// With the microphone on, a computer key sounds through the speakers and
// the microphone hears it: the key is judged once, the echo not at all,
// and a note sung that the program is not sounding is judged as always.
TEST(Practice, AComputerKeyHeardAgainByTheMicrophoneIsJudgedOnce) {
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    ASSERT_TRUE(StartLesson(*center, "Scale=C maj|StartNote=60|EndNote=72|Notes=0"));
    Teacher& teacher = *center->GetTeacher();
    const auto route = [&](int note, bool on, int source, double time) {
        center->OnNote(MakePayload(std::make_unique<NOTE_EVENT>(
            NOTE_EVENT::Make(note, on, on ? 0.8f : 0.0f, source, time))));
    };
    const int expected = teacher.GetExpected()->midiNote;
    route(expected, true, SOURCE_COMPUTER_KEYBOARD, 100.0);
    EXPECT_TRUE(teacher.IsRightHeld());
    route(expected, false, SOURCE_COMPUTER_KEYBOARD, 100.2);
    const int answered = teacher.GetAnsweredCount();
    ASSERT_NE(teacher.GetExpected(), nullptr);
    const int next = teacher.GetExpected()->midiNote;
    // The speakers' echo of the key, heard 80 ms after it.
    route(expected, true, SOURCE_SOUND_DETECTOR, 100.08);
    route(expected, false, SOURCE_SOUND_DETECTOR, 100.3);
    EXPECT_EQ(teacher.GetAnsweredCount(), answered);
    EXPECT_EQ(teacher.GetWrongCount(), 0) << "the echo was judged as a wrong note";
    EXPECT_EQ(center->GetEchoFilter().GetEchoCount(), 1);
    // A wrong note sung: judged.
    int sung = 0;
    for (const int candidate : {62, 65, 69, 71}) {
        if (sung == 0 && candidate % 12 != expected % 12 && candidate % 12 != next % 12) {
            sung = candidate;
        }
    }
    route(sung, true, SOURCE_SOUND_DETECTOR, 100.25);
    EXPECT_EQ(teacher.GetWrongCount(), 1) << "a sung note was taken for an echo";
    route(sung, false, SOURCE_SOUND_DETECTOR, 100.5);
}

TEST(Practice, ALessonOfFiveNotesEndsWithItsReportAndCanBePlayedAgain) {
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    ASSERT_TRUE(center->GetPractice()->IsOpen()) << center->GetPractice()->GetError();
    ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=60|EndNote=67|Notes=5"))
        << center->GetError();
    Teacher& teacher = *center->GetTeacher();
    EXPECT_EQ(teacher.GetGoal(), 5);
    const size_t before = Rows(*center).size();
    for (int i = 0; i < 5; ++i) {
        ASSERT_FALSE(teacher.IsFinished()) << "note " << i + 1;
        Answer(*center, i == 2);
    }
    EXPECT_TRUE(teacher.IsFinished());
    EXPECT_EQ(teacher.GetExpected(), nullptr);
    CNullControlDialog* done = backend.GetWindowSystem().FindControlDialog("Lesson done");
    ASSERT_NE(done, nullptr);
    EXPECT_TRUE(done->IsVisible());
    const std::string report = done->FindItem(CLessonDoneDlg::kReportId)->control.text;
    EXPECT_NE(report.find("Right at first try: 4 of 5 (80%)"), std::string::npos) << report;
    EXPECT_NE(report.find("Slowest: "), std::string::npos) << report;
    EXPECT_NE(report.find("Most missed: "), std::string::npos) << report;
    EXPECT_NE(report.find("(1 wrong key)"), std::string::npos) << report;
    // Keys after the end are not answers.
    Play(*center, 60);
    EXPECT_EQ(teacher.GetAnsweredCount(), 5);
    // Each answer is a row of the history.
    const std::vector<PRACTICE_ROW> rows = Rows(*center);
    ASSERT_EQ(rows.size(), before + 5);
    int firstTry = 0;
    for (size_t i = before; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].played, rows[i].expected);
        EXPECT_EQ(rows[i].source, SOURCE_MIDI_INPUT);
        firstTry += rows[i].rightFirstTry ? 1 : 0;
    }
    EXPECT_EQ(firstTry, 4);
    EXPECT_EQ(rows[before + 2].wrongPresses, 1);
    // Again: the same lesson from its first note.
    ASSERT_TRUE(done->Click(CLessonDoneDlg::kAgainId));
    EXPECT_FALSE(done->IsVisible());
    EXPECT_FALSE(teacher.IsFinished());
    EXPECT_EQ(teacher.GetAnsweredCount(), 0);
    EXPECT_NE(teacher.GetExpected(), nullptr);
}

TEST(Practice, TheHistoryIsThereAfterARestart) {
    CNullBackend backend;
    size_t written = 0;
    {
        auto center = Start(backend);
        ASSERT_TRUE(center);
        ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=48|EndNote=72|Notes=0"));
        for (int i = 0; i < 12; ++i) {
            Answer(*center, i % 4 == 0);
        }
        EXPECT_FALSE(center->GetTeacher()->IsFinished()) << "Notes=0 never ends";
        written = Rows(*center).size();
        ASSERT_GE(written, 12u);
        center->Close();
    }
    CNullBackend again;
    auto center = Start(again);
    ASSERT_TRUE(center);
    EXPECT_EQ(Rows(*center).size(), written);
}

// The menu's drill takes the notes missed most in the whole history,
// whatever lesson runs when it is chosen.
TEST(Practice, TheDrillOfTheWeakestNotesRunsOnTheNotesMissedMost) {
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=62|EndNote=62|Notes=0"));
    for (int i = 0; i < 8; ++i) {
        Answer(*center, true);  // D4 missed again and again
    }
    Rows(*center);  // on disk
    ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=48|EndNote=50"));
    EXPECT_EQ(center->GetTeacher()->GetGoal(), CPracticeKeeper::kDefaultGoal);
    EXPECT_FALSE(center->GetTeacher()->IsDrill());
    ASSERT_TRUE(center->OnCommand(kCommandDrill));
    Teacher& teacher = *center->GetTeacher();
    EXPECT_TRUE(teacher.IsDrill());
    const std::string status = backend.GetWindowSystem().GetWindows().at(0)->GetStatusText();
    EXPECT_EQ(status.rfind("Practise your weakest notes: ", 0), 0u) << status;
    EXPECT_NE(status.find("D4"), std::string::npos) << status;
    int previous = -1;
    bool missedNoteDrawn = false;
    for (int i = 0; i < 10; ++i) {
        const int shown = teacher.GetExpected()->midiNote;
        EXPECT_NE(shown, previous) << "never the same note twice in a row";
        previous = shown;
        missedNoteDrawn = missedNoteDrawn || shown == 62;
        Answer(*center, false);
    }
    EXPECT_TRUE(missedNoteDrawn);
    // A button's drill and a mode nobody knows.
    ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=48|EndNote=60|Mode=drill"));
    EXPECT_TRUE(center->GetTeacher()->IsDrill());
    EXPECT_FALSE(StartLesson(*center, "Scale=Chromatic|StartNote=48|EndNote=60|Mode=Fast"));
    EXPECT_NE(std::string(center->GetError()).find("the mode \"Fast\" is unknown"),
              std::string::npos);
    EXPECT_FALSE(StartLesson(*center, "Scale=Chromatic|StartNote=48|EndNote=60|Notes=-3"));
}

TEST(Practice, TheProgressWindowAndTheKeyColoursOpenFromTheMenus) {
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=60|EndNote=64|Notes=0"));
    for (int i = 0; i < 6; ++i) {
        Answer(*center, i == 0);
    }
    Rows(*center);  // on disk
    ASSERT_TRUE(center->OnCommand(kCommandShowProgress)) << center->GetError();
    CNullControlDialog* progress = backend.GetWindowSystem().FindControlDialog("Progress");
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->IsVisible());
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(progress->GetPicture(1601, width, height, pixels));
    EXPECT_GT(width, 0);
    EXPECT_EQ(pixels.size(), static_cast<size_t>(width) * height);
    // Shown again, it is the same window.
    ASSERT_TRUE(center->OnCommand(kCommandShowProgress));
    EXPECT_EQ(backend.GetWindowSystem().FindControlDialog("Progress"), progress);
    // The key colours are a toggle of the View menu.
    ASSERT_TRUE(center->OnCommand(kCommandKeyAccuracy));
    auto ticked = [&] {
        for (const MENU_ITEM& popup : backend.GetWindowSystem().GetWindows().at(0)->GetMenu()) {
            for (const MENU_ITEM& item : popup.items) {
                if (item.commandId == kCommandKeyAccuracy) {
                    return item.checked;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(ticked());
    ASSERT_TRUE(center->OnCommand(kCommandKeyAccuracy));
    EXPECT_FALSE(ticked());
}

// File > Export practice history...: every answer in a CSV file where the
// learner chose; a cancel writes nothing, a place that takes no file says so.
TEST(Practice, TheHistoryIsExportedAsACsvFileWhereTheLearnerChooses) {
    const CTempFolder folder("history-csv");
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    ASSERT_TRUE(StartLesson(*center, "Scale=Chromatic|StartNote=60|EndNote=64|Notes=0"));
    for (int i = 0; i < 5; ++i) {
        Answer(*center, i == 0);
    }
    const size_t answers = Rows(*center).size();
    ASSERT_GE(answers, 5u);
    ASSERT_TRUE(center->OnCommand(kCommandExportHistory)) << "cancelled: nothing happens";
    const std::string path = folder.Path("Mine.csv");
    backend.GetWindowSystem().ScriptFileToSave(path);
    ASSERT_TRUE(center->OnCommand(kCommandExportHistory)) << center->GetError();
    std::ifstream csv(path, std::ios::binary);
    std::string line;
    size_t lines = 0;
    while (std::getline(csv, line)) {
        ++lines;
    }
    EXPECT_EQ(lines, answers + 1) << "the names, then one line an answer";
    const std::string status = backend.GetWindowSystem().GetWindows().at(0)->GetStatusText();
    EXPECT_NE(status.find("exported: " + std::to_string(answers) + " answers"), std::string::npos)
        << status;
    std::filesystem::create_directory(folder.Path("Taken.csv"));
    backend.GetWindowSystem().ScriptFileToSave(folder.Path("Taken.csv"));
    ASSERT_TRUE(center->OnCommand(kCommandExportHistory));
    ASSERT_FALSE(backend.GetWindowSystem().GetBoxes().empty());
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().back().text.rfind("Can't save ", 0), 0u);
}
