// The note road's order and isolation: every stop hears a note after the
// stops of earlier stages, a filter can stop a note, and a stop that comes
// or goes touches no other.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "theory/NoteRouter.h"

namespace {

// A stop that writes its name into a shared log and may stop the note or
// give a verdict.
class CStop : public INoteSubscriber {
public:
    CStop(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}
    bool OnNote(ROUTED_NOTE& note) override {
        m_log.push_back(m_name);
        seen.push_back(note);
        if (verdict != NOTE_VERDICT::kIgnored) {
            note.verdict = verdict;
        }
        return pass;
    }

    bool pass = true;
    NOTE_VERDICT verdict = NOTE_VERDICT::kIgnored;
    std::vector<ROUTED_NOTE> seen;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

NOTE_EVENT Press(int note) {
    return NOTE_EVENT{note, 90, SOURCE_MIDI_INPUT, 1.25};
}

TEST(NoteRouter, HandsEachNoteToTheStagesInTheirOrderWhateverTheOrderOfSubscribing) {
    std::vector<std::string> log;
    CStop band("band", log), history("history", log), exercise("exercise", log),
        filter("filter", log), held("held", log), sounder("sounder", log),
        recorder("recorder", log), secondHistory("history 2", log);
    CNoteRouter router;
    router.Subscribe(ROAD_STAGE::kBand, band);
    router.Subscribe(ROAD_STAGE::kHistory, history);
    router.Subscribe(ROAD_STAGE::kExercise, exercise);
    router.Subscribe(ROAD_STAGE::kFilter, filter);
    router.Subscribe(ROAD_STAGE::kHistory, secondHistory);
    router.Subscribe(ROAD_STAGE::kSounder, sounder);
    router.Subscribe(ROAD_STAGE::kHeldKeys, held);
    router.Subscribe(ROAD_STAGE::kRecorder, recorder);
    ASSERT_TRUE(router.Route(Press(60)));
    EXPECT_EQ(log, (std::vector<std::string>{"filter", "held", "exercise", "sounder", "history",
                                             "history 2", "recorder", "band"}));
    ASSERT_EQ(band.seen.size(), 1u);
    EXPECT_EQ(band.seen[0].event.note, 60);
    EXPECT_DOUBLE_EQ(band.seen[0].event.arrival, 1.25) << "the time travels with the note";
}

TEST(NoteRouter, TheExercisesVerdictReachesTheLaterStopsOnly) {
    std::vector<std::string> log;
    CStop held("held", log), exercise("exercise", log), history("history", log);
    exercise.verdict = NOTE_VERDICT::kRight;
    CNoteRouter router;
    router.Subscribe(ROAD_STAGE::kHistory, history);
    router.Subscribe(ROAD_STAGE::kExercise, exercise);
    router.Subscribe(ROAD_STAGE::kHeldKeys, held);
    ASSERT_TRUE(router.Route(Press(64)));
    EXPECT_EQ(held.seen[0].verdict, NOTE_VERDICT::kIgnored);
    EXPECT_EQ(history.seen[0].verdict, NOTE_VERDICT::kRight);
    EXPECT_EQ(router.GetLastVerdict(), NOTE_VERDICT::kRight);
}

TEST(NoteRouter, AFilterThatRefusesANoteStopsItBeforeEveryLaterStage) {
    std::vector<std::string> log;
    CStop filter("filter", log), exercise("exercise", log), band("band", log);
    int frames = 0;
    CNoteRouter router;
    router.SetFrameRequest([&frames] { ++frames; });
    router.Subscribe(ROAD_STAGE::kFilter, filter);
    router.Subscribe(ROAD_STAGE::kExercise, exercise);
    router.Subscribe(ROAD_STAGE::kBand, band);
    filter.pass = false;
    EXPECT_FALSE(router.Route(Press(60)));
    EXPECT_EQ(log, (std::vector<std::string>{"filter"}));
    EXPECT_EQ(frames, 1) << "a frame is asked for all the same";
    filter.pass = true;
    EXPECT_TRUE(router.Route(Press(61)));
    EXPECT_EQ(exercise.seen.size(), 1u);
    EXPECT_EQ(band.seen.size(), 1u);
}

TEST(NoteRouter, AStopThatLeavesIsNoLongerToldAndTheOthersGoOn) {
    std::vector<std::string> log;
    CStop held("held", log), exercise("exercise", log), history("history", log);
    CNoteRouter router;
    router.Subscribe(ROAD_STAGE::kHeldKeys, held);
    router.Subscribe(ROAD_STAGE::kExercise, exercise);
    router.Subscribe(ROAD_STAGE::kHistory, history);
    router.Unsubscribe(exercise);
    ASSERT_TRUE(router.Route(Press(60)));
    EXPECT_EQ(log, (std::vector<std::string>{"held", "history"}));
    router.Unsubscribe(exercise);  // twice changes nothing
    router.Unsubscribe(held);
    router.Unsubscribe(history);
    EXPECT_TRUE(router.Route(Press(60))) << "a road without stops still carries notes";
    EXPECT_EQ(router.GetRoutedCount(), 2u);
}

TEST(NoteRouter, EventsThatAreNoNotesAndForeignPayloadsGoNowhere) {
    std::vector<std::string> log;
    CStop held("held", log);
    int frames = 0;
    CNoteRouter router;
    router.SetFrameRequest([&frames] { ++frames; });
    router.Subscribe(ROAD_STAGE::kHeldKeys, held);
    EXPECT_FALSE(router.Route(NOTE_EVENT{128, 90, SOURCE_MIDI_INPUT, 0.0}));
    EXPECT_FALSE(router.Route(NOTE_EVENT{-1, 90, SOURCE_MIDI_INPUT, 0.0}));
    EXPECT_FALSE(router.Route(std::unique_ptr<IPayload>()));
    EXPECT_FALSE(router.Route(MakePayload(std::make_unique<int>(60))));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(frames, 0);
    EXPECT_TRUE(router.Route(MakePayload(std::make_unique<NOTE_EVENT>(Press(62)))));
    EXPECT_EQ(held.seen.size(), 1u);
}

}  // namespace
