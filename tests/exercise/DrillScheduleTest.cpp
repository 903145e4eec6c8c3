// The drill schedule with scripted learners: what it draws follows their
// misses and quick answers, and it starts from a practice history.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "exercise/DrillSchedule.h"
#include "foundation/Random.h"

namespace {

constexpr int kF4 = 65;
constexpr unsigned kSeed = 4242;
constexpr double kQuick = 0.8;  // seconds
constexpr double kSlow = 3.5;
// F major from F4 up to F5: a one-octave lesson.
const std::vector<int> kOctaveLesson = {65, 67, 69, 70, 72, 74, 76, 77};

// Draws count notes, answering each as answer says; checks that no note
// comes twice in a row and returns how often each was drawn.
template <typename Answer>
std::map<int, int> Drill(CDrillSchedule& schedule, int count, int& last, Answer answer) {
    std::map<int, int> drawn;
    for (int i = 0; i < count; ++i) {
        int note = -1;
        EXPECT_TRUE(schedule.Next(note)) << schedule.GetError();
        EXPECT_NE(note, last) << "draw " << i;
        last = note;
        ++drawn[note];
        bool right = true;
        double reaction = kQuick;
        answer(note, right, reaction);
        EXPECT_TRUE(schedule.Record(note, right, reaction));
    }
    return drawn;
}

double MeanOfOthers(const std::map<int, int>& drawn, int except, size_t candidates) {
    int others = 0;
    for (const auto& [note, count] : drawn) {
        others += note != except ? count : 0;
    }
    return static_cast<double>(others) / static_cast<double>(candidates - 1);
}

TEST(CDrillScheduleTest, AMissedNoteComesBackOftenAndLessOnceItIsKnown) {
    SeedRandom(kSeed);
    CDrillSchedule schedule;
    ASSERT_TRUE(schedule.SetCandidates(kOctaveLesson)) << schedule.GetError();
    int last = -1;
    const std::map<int, int> missing =
        Drill(schedule, 100, last, [](int note, bool& right, double& reaction) {
            right = note != kF4;
            reaction = note != kF4 ? kQuick : kSlow;
        });
    const int missedF4 = missing.count(kF4) != 0 ? missing.at(kF4) : 0;
    EXPECT_GE(missedF4, 3.0 * MeanOfOthers(missing, kF4, kOctaveLesson.size()))
        << "F4 drawn " << missedF4 << " times in 100";
    EXPECT_EQ(schedule.GetBox(kF4), 1);

    // Answered right and quickly from now on, F4 climbs and is drawn less.
    const std::map<int, int> known = Drill(schedule, 100, last, [](int, bool&, double&) {});
    const int knownF4 = known.count(kF4) != 0 ? known.at(kF4) : 0;
    EXPECT_LT(knownF4, missedF4);
    EXPECT_EQ(schedule.GetBox(kF4), CDrillSchedule::kBoxes);
}

TEST(CDrillScheduleTest, NeverDrawsTheSameNoteTwiceInARowAndDrawsThemAll) {
    SeedRandom(kSeed);
    CDrillSchedule schedule;
    std::vector<int> piano;
    for (int note = 21; note <= 108; ++note) {
        piano.push_back(note);
    }
    ASSERT_TRUE(schedule.SetCandidates(piano));
    int last = -1;
    const std::map<int, int> drawn = Drill(schedule, 5000, last, [](int, bool&, double&) {});
    EXPECT_EQ(drawn.size(), piano.size());
}

TEST(CDrillScheduleTest, TheOnlyCandidateComesEveryTime) {
    CDrillSchedule schedule;
    ASSERT_TRUE(schedule.SetCandidates({kF4}));
    for (int i = 0; i < 10; ++i) {
        int note = -1;
        ASSERT_TRUE(schedule.Next(note));
        EXPECT_EQ(note, kF4);
    }
}

TEST(CDrillScheduleTest, AMissOrASlowAnswerGoesBackToTheFirstBox) {
    CDrillSchedule schedule;
    EXPECT_EQ(schedule.GetBox(kF4), 1);
    for (int box = 2; box <= CDrillSchedule::kBoxes; ++box) {
        ASSERT_TRUE(schedule.Record(kF4, true, kQuick));
        EXPECT_EQ(schedule.GetBox(kF4), box);
    }
    ASSERT_TRUE(schedule.Record(kF4, true, kQuick));
    EXPECT_EQ(schedule.GetBox(kF4), CDrillSchedule::kBoxes);  // the top box holds
    ASSERT_TRUE(schedule.Record(kF4, true, kSlow));
    EXPECT_EQ(schedule.GetBox(kF4), 1);
    ASSERT_TRUE(schedule.Record(kF4, true, kQuick));
    ASSERT_TRUE(schedule.Record(kF4, false, kQuick));
    EXPECT_EQ(schedule.GetBox(kF4), 1);
}

TEST(CDrillScheduleTest, ASeededRunRepeats) {
    std::vector<int> runs[2];
    for (std::vector<int>& run : runs) {
        SeedRandom(kSeed);
        CDrillSchedule schedule;
        ASSERT_TRUE(schedule.SetCandidates(kOctaveLesson));
        for (int i = 0; i < 50; ++i) {
            int note = -1;
            ASSERT_TRUE(schedule.Next(note));
            run.push_back(note);
            schedule.Record(note, note % 2 == 0, kQuick);
        }
    }
    EXPECT_EQ(runs[0], runs[1]);
}

TEST(CDrillScheduleTest, RefusesWhatIsNoLesson) {
    CDrillSchedule schedule;
    int note = -1;
    EXPECT_FALSE(schedule.Next(note));
    EXPECT_EQ(std::string(schedule.GetError()).rfind("Can't ", 0), 0u);
    EXPECT_FALSE(schedule.SetCandidates({}));
    EXPECT_FALSE(schedule.SetCandidates({60, 128}));
    EXPECT_TRUE(schedule.GetCandidates().empty());
    EXPECT_FALSE(schedule.Record(-1, true, kQuick));
    EXPECT_EQ(schedule.GetBox(200), 0);
}

}  // namespace
