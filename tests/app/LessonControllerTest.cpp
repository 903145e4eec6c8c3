// The lesson flow without any window: a host stand-in writes down what the
// controller asks of the windows, and the exercise is driven by events.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "app/LessonController.h"
#include "app/LessonHost.h"
#include "app/PracticeKeeper.h"
#include "exercise/Teacher.h"
#include "midi/SmfFile.h"
#include "midi/SmfWriter.h"
#include "platform/Clock.h"
#include "theory/NoteManager.h"
#include "ui/LessonSettings.h"

namespace {

// Far longer than any song here takes to read.
constexpr double kReadSeconds = 30.0;

class CHostStandIn : public ILessonHost {
public:
    void SetStatus(const char* text) override { statuses.push_back(text); }
    void FocusPicture() override { ++focused; }
    void TellError(const char* text) override { errors.push_back(text); }
    void ShowHints(const HINTS& shown) override { hints.push_back(shown); }
    void RequestFrame() override { ++frames; }
    const char* GetShownLessonTitle() const override { return hasList ? title.c_str() : nullptr; }
    bool HasNextLesson() const override { return hasNext; }
    bool StartNextLesson() override {
        ++nextStarted;
        return hasNext;
    }
    void ShowReport(const char* report, bool next) override {
        reports.push_back(report);
        reportOffersNext.push_back(next);
    }

    bool hasList = true;
    bool hasNext = false;
    std::string title = "Lesson 1";
    std::vector<std::string> statuses, errors, reports;
    std::vector<bool> reportOffersNext;
    std::vector<HINTS> hints;
    int focused = 0, frames = 0, nextStarted = 0;
};

LESSON_SETTINGS Lesson(int low, int high, int notes = LESSON_SETTINGS::kUnset) {
    LESSON_SETTINGS lesson;
    lesson.scale = "Chromatic";
    lesson.startNote = low;
    lesson.endNote = high;
    lesson.notes = notes;
    return lesson;
}

NOTE_EVENT Midi(int note, bool on) {
    return NOTE_EVENT::Make(note, on, 0.7f, SOURCE_MIDI_INPUT, Platform::GetClock().GetSeconds());
}

class CLessonControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_notes.Init());
        m_teacher = std::make_unique<Teacher>(&m_notes);
        m_practice = std::make_unique<CPracticeKeeper>(*m_teacher);
        ASSERT_TRUE(m_practice->Open(m_folder.Get())) << m_practice->GetError();
        m_lessons.SetFolders([this] { return m_folder.Get(); }, [] { return std::string(); });
    }
    void TearDown() override { m_lessons.Attach(nullptr, nullptr); }

    // Plays the note on show right, pressed and released.
    void PlayRight() {
        const int expected = m_teacher->GetExpected()->midiNote;
        m_teacher->Judge(Midi(expected, true));
        m_teacher->Judge(Midi(expected, false));
    }

    // Plays a wrong note first, then the right one, kept as a miss.
    void MissKept() {
        const int expected = m_teacher->GetExpected()->midiNote;
        for (const bool on : {true, false}) {
            ROUTED_NOTE note{Midi(expected + 1, on)};
            note.verdict = m_teacher->Judge(note.event);
            m_practice->OnNote(note);
        }
        PlayRightKept();
    }

    // Plays the note on show right on the road's way: judged, then kept.
    void PlayRightKept() {
        const int expected = m_teacher->GetExpected()->midiNote;
        for (const bool on : {true, false}) {
            ROUTED_NOTE note{Midi(expected, on)};
            note.verdict = m_teacher->Judge(note.event);
            m_practice->OnNote(note);
        }
    }

    CTempFolder m_folder{"lessons"};
    CNoteManager m_notes;
    std::unique_ptr<Teacher> m_teacher;
    std::unique_ptr<CPracticeKeeper> m_practice;
    CHostStandIn m_host;
    HINTS m_learnerHints;
    CLessonController m_lessons{m_notes, m_host, m_learnerHints};
};

TEST_F(CLessonControllerTest, ALessonChosenBeforeTheExerciseStartsRunsOnItOnceAttached) {
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(48, 55))) << m_lessons.GetError();
    ASSERT_NE(m_lessons.GetLesson(), nullptr) << "kept for the exercise";
    EXPECT_NE(m_teacher->GetLow(), 48);
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    EXPECT_EQ(m_teacher->GetLow(), 48);
    EXPECT_EQ(m_teacher->GetHigh(), 55);
    EXPECT_EQ(m_teacher->GetGoal(), CPracticeKeeper::kDefaultGoal);
}

TEST_F(CLessonControllerTest, ARefusedLessonSaysWhyAndTheRunningLessonStays) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(60, 64)));
    LESSON_SETTINGS unknown = Lesson(60, 72);
    unknown.scale = "No such scale";
    EXPECT_FALSE(m_lessons.StartLesson(unknown));
    EXPECT_NE(std::string(m_lessons.GetError()), "");
    LESSON_SETTINGS mode = Lesson(60, 72);
    mode.mode = "Race";
    EXPECT_FALSE(m_lessons.StartLesson(mode));
    EXPECT_NE(std::string(m_lessons.GetError()).find("\"Race\" is unknown"), std::string::npos);
    EXPECT_FALSE(m_lessons.StartLesson(Lesson(60, 64, CPracticeKeeper::kMaxGoal + 1)));
    EXPECT_EQ(m_teacher->GetLow(), 60);
    EXPECT_EQ(m_teacher->GetHigh(), 64);
    EXPECT_EQ(m_lessons.GetLesson()->endNote, 64);
}

TEST_F(CLessonControllerTest, ALessonThatReachesItsGoalShowsItsReportAndTheResultsLine) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    m_host.hasNext = true;
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(60, 64, 3)));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m_host.reports.empty()) << "after " << i << " notes";
        PlayRight();
    }
    ASSERT_EQ(m_host.reports.size(), 1u);
    EXPECT_TRUE(m_teacher->IsFinished());
    EXPECT_EQ(m_host.reportOffersNext, std::vector<bool>{true});
    EXPECT_EQ(m_host.statuses.back(), m_teacher->GetStatusLine().GetText());
}

TEST_F(CLessonControllerTest, TheReportsChoiceStartsTheNextLessonOrTheSameOneAgain) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(60, 64, 1)));
    PlayRight();
    ASSERT_TRUE(m_teacher->IsFinished());
    m_host.hasNext = true;
    m_lessons.OnLessonChoice(CLessonController::CHOICE::kNext);
    EXPECT_EQ(m_host.nextStarted, 1);
    m_host.hasNext = false;
    m_lessons.OnLessonChoice(CLessonController::CHOICE::kNext);
    EXPECT_FALSE(m_teacher->IsFinished()) << "without a next lesson the same runs again";
    EXPECT_EQ(m_host.statuses.back(), "Lesson 1: play the note shown");
    EXPECT_GT(m_host.focused, 0);
    PlayRight();
    m_lessons.OnLessonChoice(CLessonController::CHOICE::kAgain);
    EXPECT_FALSE(m_teacher->IsFinished());
    EXPECT_EQ(m_teacher->GetAnsweredCount(), 0);
}

TEST_F(CLessonControllerTest, ADrillDrawsTheLessonsNotesByNeedAndIsKeptUnderItsName) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    m_host.hasList = false;
    m_lessons.StartDrill();
    ASSERT_TRUE(m_host.errors.empty()) << m_host.errors.front();
    EXPECT_TRUE(m_teacher->IsDrill());
    EXPECT_TRUE(m_practice->IsDrill());
    EXPECT_EQ(m_teacher->GetLow(), CLessonController::kDrillLowNote);
    EXPECT_EQ(m_teacher->GetHigh(), CLessonController::kDrillHighNote);
    EXPECT_EQ(m_host.statuses.back(), "Practise your weakest notes: play the note shown");
    // Every answer is kept, and the drill hears it.
    const int first = m_teacher->GetExpected()->midiNote;
    m_teacher->Judge(Midi(first == 60 ? 61 : 60, true));  // one miss
    m_teacher->Judge(Midi(first == 60 ? 61 : 60, false));
    PlayRight();
    EXPECT_EQ(m_practice->GetDrill().GetBox(first), 1) << "a missed note starts again";
    // A drill of a lesson keeps the lesson's notes.
    m_host.hasList = true;
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(60, 62, 0)));  // never ends
    m_lessons.StartDrill();
    for (int i = 0; i < 30; ++i) {
        const int shown = m_teacher->GetExpected()->midiNote;
        ASSERT_GE(shown, 60);
        ASSERT_LE(shown, 62);
        PlayRight();
    }
}

// Misses in two lessons, then a drill from a third: it draws the notes
// missed most in the whole history, from both lessons, and says which.
TEST_F(CLessonControllerTest, ADrillFromTheMenuDrawsTheWeakestNotesOfTheWholeHistory) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    for (const int missed : {48, 50, 65}) {
        ASSERT_TRUE(m_lessons.StartLesson(Lesson(missed, missed, 0)));
        MissKept();
        MissKept();
    }
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(72, 72, 0)));
    PlayRightKept();
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(76, 79, 0)));
    ASSERT_TRUE(m_practice->GetHistory().Flush()) << m_practice->GetHistory().GetError();
    m_lessons.StartDrill();
    ASSERT_TRUE(m_host.errors.empty()) << m_host.errors.front();
    EXPECT_EQ(m_host.statuses.back(),
              "Practise your weakest notes: C3, D3 and F4, missed most this week");
    std::set<int> drawn;
    for (int i = 0; i < 40; ++i) {
        const int shown = m_teacher->GetExpected()->midiNote;
        ASSERT_TRUE(shown == 48 || shown == 50 || shown == 65) << shown;
        drawn.insert(shown);
        PlayRight();
    }
    EXPECT_EQ(drawn.size(), 3u) << "notes of both lessons are drilled";
    // A lesson of its own afterwards is the lesson's notes again.
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(76, 76, 0)));
    EXPECT_EQ(m_teacher->GetExpected()->midiNote, 76);
}

TEST_F(CLessonControllerTest, ATuneRunsThroughItsMelodyAndStartsAgainAfterTheLastNote) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    SMF_FILE file;
    file.division = 480;
    SMF_TRACK melody;
    const std::vector<int> tune = {64, 62, 60};
    uint32_t tick = 0;
    for (int note : tune) {
        melody.events.push_back(MakeSmfNote(tick, 0, static_cast<uint8_t>(note), 90));
        melody.events.push_back(MakeSmfNote(tick + 240, 0, static_cast<uint8_t>(note), 0));
        tick += 480;
    }
    file.tracks = {melody};
    CSmfWriter writer;
    ASSERT_TRUE(writer.WriteFile(file, m_folder.Path("Steps.mid").c_str()));
    ASSERT_TRUE(m_lessons.OpenTune(m_lessons.GetLessonFilePath("Steps.mid")));
    // The file is read on a thread of its own: until the tune is taken the
    // window's thread is free and the lesson that ran goes on.
    EXPECT_FALSE(m_teacher->IsTune());
    EXPECT_EQ(m_host.statuses.back().rfind("Opening ", 0), 0u) << m_host.statuses.back();
    EXPECT_TRUE(m_lessons.IsReadingTune());
    ASSERT_TRUE(m_lessons.WaitForTune(kReadSeconds)) << m_lessons.GetError();
    EXPECT_FALSE(m_lessons.IsReadingTune());
    EXPECT_NE(m_host.statuses.back().find(": play the notes of the tune in order"),
              std::string::npos);
    for (int run = 0; run < 2; ++run) {
        for (int note : tune) {
            ASSERT_EQ(m_teacher->GetExpected()->midiNote, note) << "run " << run;
            PlayRight();
        }
    }
    EXPECT_EQ(m_teacher->GetTuneRuns(), 2);
    EXPECT_FALSE(m_teacher->IsFinished()) << "a tune ends with its last note, whatever the goal";
    // A file that is not there is told, and the tune stays.
    EXPECT_FALSE(m_lessons.OpenTune(m_folder.Path("Missing.mid").c_str()));
    ASSERT_EQ(m_host.errors.size(), 1u);
    EXPECT_TRUE(m_teacher->IsTune());
}

TEST_F(CLessonControllerTest, ALessonsOwnHintsHoldUntilTheLearnerTurnsOneOver) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    LESSON_SETTINGS review = Lesson(60, 72);
    review.noteNames = 1;
    review.keyLetters = 0;
    ASSERT_TRUE(m_lessons.StartLesson(review));
    EXPECT_TRUE(m_teacher->GetHints().noteNames);
    EXPECT_FALSE(m_teacher->GetHints().keyLetters);
    EXPECT_FALSE(m_learnerHints.noteNames) << "the learner's own choice is untouched";
    ASSERT_FALSE(m_host.hints.empty());
    EXPECT_EQ(m_host.hints.back(), m_teacher->GetHints()) << "the menu follows";
    m_lessons.ToggleHint(&HINTS::expectedKey);
    EXPECT_FALSE(m_learnerHints.expectedKey);
    EXPECT_EQ(m_teacher->GetHints(), m_learnerHints) << "the learner's choice holds from now on";
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(60, 72)));
    EXPECT_FALSE(m_teacher->GetHints().expectedKey);
}

}  // namespace

// The Lessons window shows a lesson of its own, yet the drill the menu
// starts keeps its answers under "Drill", also when it is played again.
TEST_F(CLessonControllerTest, ADrillFromTheMenuIsKeptUnderDrillWhateverTheLessonsWindowShows) {
    m_lessons.Attach(m_teacher.get(), m_practice.get());
    m_host.title = "Welcome";
    ASSERT_TRUE(m_lessons.StartLesson(Lesson(60, 64, 0)));
    PlayRightKept();
    m_lessons.StartDrill();
    ASSERT_TRUE(m_host.errors.empty()) << m_host.errors.front();
    PlayRightKept();
    PlayRightKept();
    m_lessons.OnLessonChoice(CLessonController::CHOICE::kAgain);
    EXPECT_TRUE(m_teacher->IsDrill());
    PlayRightKept();
    std::vector<PRACTICE_ROW> rows;
    CPracticeHistory& history = m_practice->GetHistory();
    ASSERT_TRUE(history.Flush()) << history.GetError();
    ASSERT_TRUE(history.GetRowsSince(0.0, rows)) << history.GetError();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].lesson, "Welcome");
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].lesson, "Drill") << "answer " << i + 1;
    }
}
