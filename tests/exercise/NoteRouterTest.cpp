// The note road without a picture: events from any source go through the
// held keys and the exercise in one direction, views hear the model, and a
// frame is asked for with every routed note.
#include <gtest/gtest.h>

#include <vector>

#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "exercise/TeacherView.h"
#include "platform/null/NullClock.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"

namespace {

// Writes down what a view of the exercise and the keys is told.
class CRecordingView : public ITeacherView, public IHeldKeysView {
public:
    void OnNoteShown(const CNote& expected, int previous) override {
        shown.push_back(expected.midiNote);
        previousNotes.push_back(previous);
    }
    void OnWrongNote(const CNote& written, bool on) override {
        wrong.push_back(on ? written.midiNote : -written.midiNote);
    }
    void OnRightNote(const CNote& expected) override { right.push_back(expected.midiNote); }
    void OnKeyChanged(const NOTE_EVENT& event) override {
        keys.push_back(event.IsOn() ? event.note : -event.note);
    }

    std::vector<int> shown, previousNotes, wrong, right, keys;
};

// A stop after the exercise: what the road's verdicts were, and how long
// each note waited since its arrival.
class CVerdictRecorder : public INoteSubscriber {
public:
    explicit CVerdictRecorder(CNullClock& clock) : m_clock(clock) {}
    bool OnNote(ROUTED_NOTE& note) override {
        verdicts.push_back(note.verdict);
        waits.push_back(m_clock.GetSeconds() - note.event.arrival);
        return true;
    }

    std::vector<NOTE_VERDICT> verdicts;
    std::vector<double> waits;

private:
    CNullClock& m_clock;
};

class CNoteRouterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Init());
        m_teacher = std::make_unique<Teacher>(&m_manager);
        m_router = std::make_unique<CNoteRouter>();
        m_router->Subscribe(ROAD_STAGE::kHistory, m_recorder);
        m_router->Subscribe(ROAD_STAGE::kExercise, *m_teacher);
        m_router->Subscribe(ROAD_STAGE::kHeldKeys, m_keys);
        m_router->SetFrameRequest([this] { ++m_frames; });
        m_teacher->AddView(&m_view);
        m_keys.AddView(&m_view);
        // A lesson of one note, so that it is the one on show.
        ASSERT_TRUE(m_teacher->SetLesson(Teacher::kDefaultScale, 64, 64));
    }

    NOTE_EVENT Midi(int note, int velocity) {
        return NOTE_EVENT{note, velocity, SOURCE_MIDI_INPUT, m_clock.GetSeconds()};
    }

    CNullClock m_clock;
    CNoteManager m_manager;
    CHeldKeys m_keys;
    std::unique_ptr<Teacher> m_teacher;
    std::unique_ptr<CNoteRouter> m_router;
    CRecordingView m_view;
    int m_frames = 0;
    CVerdictRecorder m_recorder{m_clock};
    std::vector<NOTE_VERDICT>& m_verdicts = m_recorder.verdicts;
    std::vector<double>& m_waits = m_recorder.waits;
};

TEST_F(CNoteRouterTest, AWrongThenTheRightMidiNoteIsJudgedAndTheViewsHearIt) {
    ASSERT_TRUE(m_router->Route(Midi(67, 90)));
    ASSERT_TRUE(m_router->Route(Midi(67, 0)));
    ASSERT_TRUE(m_router->Route(Midi(64, 90)));
    EXPECT_EQ(m_view.wrong, (std::vector<int>{67, -67}));
    EXPECT_EQ(m_view.right, (std::vector<int>{64}));
    EXPECT_EQ(m_view.keys, (std::vector<int>{67, -67, 64}));
    EXPECT_EQ(m_verdicts, (std::vector<NOTE_VERDICT>{NOTE_VERDICT::kWrong, NOTE_VERDICT::kWrong,
                                                     NOTE_VERDICT::kRight}));
    EXPECT_EQ(m_frames, 3) << "every judged note asks for a frame at once";
    EXPECT_TRUE(m_keys.IsHeld(64, SOURCE_MIDI_INPUT));
    m_view.shown.clear();
    ASSERT_TRUE(m_router->Route(Midi(64, 0)));
    EXPECT_EQ(m_verdicts.back(), NOTE_VERDICT::kReleased);
    EXPECT_EQ(m_view.shown, (std::vector<int>{64})) << "the next note follows the release";
    EXPECT_EQ(m_keys.GetHeldCount(), 0);
}

TEST_F(CNoteRouterTest, TheReactionTimeRunsToTheArrivalNotToTheVerdict) {
    m_clock.Advance(1.5);
    const NOTE_EVENT right = Midi(64, 90);
    m_clock.Advance(0.75);  // the note waits in a queue and behind a frame
    ASSERT_TRUE(m_router->Route(right));
    ASSERT_EQ(m_waits.size(), 1u);
    EXPECT_DOUBLE_EQ(m_waits[0], 0.75);
    double percent = 0.0, mean = 0.0;
    int answered = 0;
    ASSERT_TRUE(m_teacher->GetSummary(percent, mean, answered));
    EXPECT_DOUBLE_EQ(mean, 1.5);
    EXPECT_DOUBLE_EQ(percent, 100.0);
}

TEST_F(CNoteRouterTest, EventsThatAreNoNotesChangeNothing) {
    EXPECT_FALSE(m_router->Route(NOTE_EVENT{128, 90, SOURCE_MIDI_INPUT, 0.0}));
    EXPECT_FALSE(m_router->Route(NOTE_EVENT{-1, 90, SOURCE_MIDI_INPUT, 0.0}));
    EXPECT_FALSE(m_router->Route(std::unique_ptr<IPayload>()));
    EXPECT_FALSE(m_router->Route(MakePayload(std::make_unique<CNote>())))
        << "a payload of another type is no note";
    EXPECT_EQ(m_frames, 0);
    EXPECT_EQ(m_router->GetRoutedCount(), 0u);
    EXPECT_TRUE(m_router->Route(MakePayload(std::make_unique<NOTE_EVENT>(Midi(64, 90)))));
    EXPECT_EQ(m_verdicts.back(), NOTE_VERDICT::kRight);
}

TEST_F(CNoteRouterTest, DetectorLevelsAndSongNotesAreHeldButNotJudged) {
    ASSERT_TRUE(m_router->Route(NOTE_EVENT{67, 90, SOURCE_DETECTOR_LEVEL, 0.0}));
    ASSERT_TRUE(m_router->Route(NOTE_EVENT{64, 90, SOURCE_MIDI_FILE, 0.0}));
    EXPECT_EQ(m_verdicts,
              (std::vector<NOTE_VERDICT>{NOTE_VERDICT::kIgnored, NOTE_VERDICT::kIgnored}));
    EXPECT_EQ(m_teacher->GetWrongCount(), 0);
    EXPECT_TRUE(m_keys.IsHeld(64, SOURCE_MIDI_FILE));
    EXPECT_FALSE(m_keys.IsHeld(64, SOURCE_MIDI_INPUT));
}

TEST_F(CNoteRouterTest, AViewAttachedLateIsShownTheNoteOnShowAndTheHeldKeys) {
    ASSERT_TRUE(m_router->Route(Midi(64, 90)));
    ASSERT_TRUE(m_router->Route(Midi(70, 90)));
    CRecordingView late;
    m_teacher->ShowTo(late);
    m_keys.ShowTo(late);
    EXPECT_EQ(late.shown, (std::vector<int>{64}));
    EXPECT_EQ(late.previousNotes, (std::vector<int>{NOTE_NONE}));
    EXPECT_EQ(late.right, (std::vector<int>{64})) << "the held right note is green again";
    EXPECT_EQ(late.keys, (std::vector<int>{64, 70}));
}

TEST_F(CNoteRouterTest, ANewLessonTellsTheViewsWhichNoteItReplaces) {
    m_view.shown.clear();
    m_view.previousNotes.clear();
    ASSERT_TRUE(m_teacher->SetLesson(Teacher::kDefaultScale, 70, 70));
    EXPECT_EQ(m_view.shown, (std::vector<int>{70}));
    EXPECT_EQ(m_view.previousNotes, (std::vector<int>{64})) << "the old key must be unmarked";
}

TEST(HeldKeys, KeepsEachSourceApartAndPassesOnOnlyChanges) {
    CHeldKeys keys;
    CRecordingView view;
    keys.AddView(&view);
    EXPECT_TRUE(keys.Apply(NOTE_EVENT{60, 90, SOURCE_MIDI_INPUT, 0.0}));
    EXPECT_FALSE(keys.Apply(NOTE_EVENT{60, 80, SOURCE_MIDI_INPUT, 0.0})) << "a second press";
    EXPECT_TRUE(keys.Apply(NOTE_EVENT{60, 90, SOURCE_COMPUTER_KEYBOARD, 0.0}));
    EXPECT_TRUE(keys.Apply(NOTE_EVENT{60, 0, SOURCE_MIDI_INPUT, 0.0}));
    EXPECT_TRUE(keys.IsHeld(60)) << "still held on the computer keyboard";
    EXPECT_FALSE(keys.Apply(NOTE_EVENT{61, 0, SOURCE_MIDI_INPUT, 0.0})) << "a key that is up";
    EXPECT_FALSE(keys.Apply(NOTE_EVENT{60, 90, 99, 0.0})) << "an unknown source";
    EXPECT_EQ(view.keys, (std::vector<int>{60, 60, -60}));
    keys.RemoveView(&view);
    keys.Apply(NOTE_EVENT{62, 90, SOURCE_MIDI_INPUT, 0.0});
    EXPECT_EQ(view.keys.size(), 3u) << "a removed view hears nothing";
    EXPECT_EQ(keys.GetHeldCount(), 2);
}

TEST(NoteEvent, APressIsNeverTakenForARelease) {
    EXPECT_EQ(NOTE_EVENT::Make(60, true, 0.0f, SOURCE_COMPUTER_KEYBOARD, 0.0).velocity, 1)
        << "a key of a muted instrument still presses";
    EXPECT_EQ(NOTE_EVENT::Make(60, true, 0.7f, SOURCE_COMPUTER_KEYBOARD, 0.0).velocity, 89);
    EXPECT_EQ(NOTE_EVENT::Make(60, true, 5.0f, SOURCE_COMPUTER_KEYBOARD, 0.0).velocity, 127);
    EXPECT_FALSE(NOTE_EVENT::Make(60, false, 0.7f, SOURCE_COMPUTER_KEYBOARD, 0.0).IsOn());
}

}  // namespace
