// The practice history when its commits fail: another process holds the
// file's write lock, or a trigger refuses the rows. No answer is dropped
// while the history can be written again, the failure is told once, and the
// answers still unwritten at the close wait in a side file for the next
// session; the close says how many could not be kept anywhere.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WaitFor.h"
#include "history/PracticeHistory.h"

namespace {

constexpr int kShortBusyMs = 50;
constexpr int kRows = 65;

PRACTICE_ROW MakeRow(int i) {
    PRACTICE_ROW row;
    row.time = 1700000000.0 + i;
    row.lesson = "Bass clef";
    row.expected = 48 + i % 12;
    row.played = row.expected;
    row.rightFirstTry = true;
    row.reaction = 1.0;
    return row;
}

int CountRows(const std::string& path) {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM practice", -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            count = sqlite3_column_int(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return count;
}

// Another program's connection that holds the write lock until it lets go.
class CLockHolder {
public:
    explicit CLockHolder(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        m_locked = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~CLockHolder() {
        Release();
        sqlite3_close(m_db);
    }
    bool IsLocked() const { return m_locked; }
    void Release() {
        if (m_locked) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            m_locked = false;
        }
    }

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
};

TEST(HistoryWriteFailure, AnswersWaitWhileAnotherProgramHoldsTheLockAndAreWrittenAfterwards) {
    const CTempFolder folder("history-locked");
    const std::string path = folder.Path("history.db");
    CPracticeHistory history;
    history.SetBusyTimeout(kShortBusyMs);
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    ASSERT_TRUE(history.Add(MakeRow(0)));
    ASSERT_TRUE(history.Flush());
    CLockHolder other(path);
    ASSERT_TRUE(other.IsLocked());
    for (int i = 1; i <= kRows; ++i) {
        ASSERT_TRUE(history.Add(MakeRow(i)));
    }
    CCharString told;
    ASSERT_TRUE(WaitFor([&] { return history.TakeWriteProblem(told); }))
        << "the failing commit was never told";
    EXPECT_NE(std::string(told).find("Can't "), std::string::npos) << told;
    EXPECT_FALSE(history.Flush()) << "a flush says the rows are not written yet";
    CCharString again;
    EXPECT_FALSE(history.TakeWriteProblem(again)) << "told once";
    EXPECT_EQ(history.GetCommittedCount(), 1u);
    other.Release();
    ASSERT_TRUE(WaitFor([&] { return history.GetCommittedCount() == kRows + 1; }))
        << "the kept rows were not written once the lock was free";
    EXPECT_TRUE(history.Flush());
    history.Close();
    EXPECT_EQ(history.GetUnkeptCount(), 0u);
    EXPECT_EQ(CountRows(path), kRows + 1) << "every answer is in the file";
}

// Another program's trigger that refuses every new row, or lets them in again.
void SetRefusal(const std::string& path, bool refuse) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const char* sql = refuse ? "CREATE TRIGGER refuse BEFORE INSERT ON practice "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END;"
                             : "DROP TRIGGER refuse";
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST(HistoryWriteFailure, AnswersUnwrittenAtTheCloseAreWrittenWhenTheHistoryNextOpens) {
    const CTempFolder folder("history-refusing");
    const std::string path = folder.Path("history.db");
    const std::string side = path + ".unwritten";
    {
        CPracticeHistory history;
        history.SetBusyTimeout(kShortBusyMs);
        ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
        SetRefusal(path, true);
        for (int i = 0; i < 5; ++i) {
            PRACTICE_ROW row = MakeRow(i);
            row.lesson = "Tab\there, line\nthere";  // separators of the side file
            ASSERT_TRUE(history.Add(row));
        }
        CCharString told;
        ASSERT_TRUE(WaitFor([&] { return history.TakeWriteProblem(told); }));
        history.Close();
        EXPECT_EQ(history.GetUnkeptCount(), 0u) << history.GetError();
    }
    ASSERT_TRUE(std::filesystem::exists(side));
    EXPECT_EQ(CountRows(path), 0);
    SetRefusal(path, false);
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    ASSERT_TRUE(history.Flush()) << history.GetError();
    std::vector<PRACTICE_ROW> rows;
    ASSERT_TRUE(history.GetRowsSince(0.0, rows));
    ASSERT_EQ(rows.size(), 5u);
    PRACTICE_ROW expected = MakeRow(4);
    expected.lesson = "Tab here, line there";
    EXPECT_EQ(rows[4], expected);
    EXPECT_FALSE(std::filesystem::exists(side)) << "the side file goes once it is read";
    history.Close();
    CPracticeHistory again;
    ASSERT_TRUE(again.Open(path.c_str()));
    again.Close();
    EXPECT_EQ(CountRows(path), 5) << "no answer is written twice";
}

TEST(HistoryWriteFailure, TheCloseSaysHowManyAnswersCouldNotBeKeptAnywhere) {
    const CTempFolder folder("history-refusing-everywhere");
    const std::string path = folder.Path("history.db");
    // A folder in the side file's place: the answers have nowhere to go.
    std::filesystem::create_directory(path + ".unwritten");
    CPracticeHistory history;
    history.SetBusyTimeout(kShortBusyMs);
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    SetRefusal(path, true);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(history.Add(MakeRow(i)));
    }
    CCharString told;
    ASSERT_TRUE(WaitFor([&] { return history.TakeWriteProblem(told); }));
    history.Close();
    EXPECT_EQ(history.GetUnkeptCount(), 5u);
    EXPECT_NE(std::string(history.GetError()).find("Can't keep 5 answers"), std::string::npos)
        << history.GetError();
}

TEST(HistoryWriteFailure, AnswersBeyondWhatMemoryKeepsGoToTheSideFileInOrder) {
    const CTempFolder folder("history-overflow");
    const std::string path = folder.Path("history.db");
    const int total = static_cast<int>(CPracticeHistory::kMaxPendingRows) + 40;
    {
        CPracticeHistory history;
        history.SetBusyTimeout(kShortBusyMs);
        ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
        SetRefusal(path, true);
        ASSERT_TRUE(history.Add(MakeRow(0)));
        CCharString told;
        ASSERT_TRUE(WaitFor([&] { return history.TakeWriteProblem(told); }));
        for (int i = 1; i < total; ++i) {
            ASSERT_TRUE(history.Add(MakeRow(i)));
        }
        // The next retry moves the oldest beyond the bound out of memory.
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(path + ".unwritten"); }));
        history.Close();
        EXPECT_EQ(history.GetUnkeptCount(), 0u) << history.GetError();
    }
    SetRefusal(path, false);
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    ASSERT_TRUE(history.Flush()) << history.GetError();
    std::vector<PRACTICE_ROW> rows;
    ASSERT_TRUE(history.GetRowsSince(0.0, rows));
    ASSERT_EQ(rows.size(), static_cast<size_t>(total));
    for (int i = 0; i < total; i += total / 7) {
        EXPECT_EQ(rows[i], MakeRow(i)) << "answer " << i;
    }
}

TEST(HistoryWriteFailure, AHostileOrCutShortSideFileGivesOnlyItsWholeAnswers) {
    const CTempFolder folder("history-side-file");
    const std::string path = folder.Path("history.db");
    {
        std::ofstream side(path + ".unwritten", std::ios::binary);
        side << "1700000000.5\tBass clef\t48\tC3\t1\t48\t0\t1\t0\t0.75\n"  // whole
             << "1700000001\tBass clef\t4x\tC3\t1\t48\t0\t1\t0\t0.75\n"    // not a number
             << "1700000002,5\tBass clef\t48\tC3\t1\t48\t0\t1\t0\t0.75\n"  // a comma
             << "1700000003\tToo\tmany\t48\tC3\t1\t48\t0\t1\t0\t0.75\n"
             << std::string(100, '\0') << "\n"
             << "1700000004\tBass clef\t50\tD3\t1\t50\t0\t1\t0\t0.5";  // cut short
    }
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    ASSERT_TRUE(history.Flush());
    std::vector<PRACTICE_ROW> rows;
    ASSERT_TRUE(history.GetRowsSince(0.0, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].time, 1700000000.5);
    EXPECT_EQ(rows[0].lesson, "Bass clef");
    EXPECT_EQ(rows[0].reaction, 0.75);
}

}  // namespace
