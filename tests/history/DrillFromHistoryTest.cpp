// The drill schedule fed from a practice history on disk.
#include <gtest/gtest.h>

#include <vector>

#include "TempFolder.h"
#include "exercise/DrillSchedule.h"
#include "history/PracticeHistory.h"

namespace {

constexpr int kF4 = 65;
constexpr double kQuick = 0.8;  // seconds
constexpr double kSlow = 3.5;
const std::vector<int> kOctaveLesson = {65, 67, 69, 70, 72, 74, 76, 77};

TEST(DrillFromHistory, StartsFromTheStatisticsOfAHistoryAsFromItsRows) {
    CTempFolder folder("drill-history");
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    std::vector<PRACTICE_ROW> rows;
    for (int round = 0; round < 20; ++round) {
        for (int note : kOctaveLesson) {
            PRACTICE_ROW row;
            row.time = 1700000000.0 + static_cast<double>(rows.size());
            row.lesson = "F major";
            row.expected = note;
            row.played = note;
            row.rightFirstTry = note != kF4;
            row.reaction = note == 67 ? kSlow : kQuick;
            rows.push_back(row);
            ASSERT_TRUE(history.Add(row));
        }
    }
    ASSERT_TRUE(history.Flush()) << history.GetError();

    CDrillSchedule fromRows;
    fromRows.LoadFrom(rows);
    CDrillSchedule fromHistory;
    std::vector<PRACTICE_NOTE_STATS> stats;
    ASSERT_TRUE(history.GetNoteStats(stats)) << history.GetError();
    fromHistory.LoadFrom(stats);
    for (int note : kOctaveLesson) {
        const int expected = note == kF4 || note == 67 ? 1 : CDrillSchedule::kBoxes;
        EXPECT_EQ(fromRows.GetBox(note), expected) << note;
        EXPECT_EQ(fromHistory.GetBox(note), expected) << note;
    }
}

}  // namespace
