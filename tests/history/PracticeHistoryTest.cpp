// The practice history on real database files in temporary folders: rows
// read back, statistics, a writer killed in the middle of its work, and
// damaged files kept aside.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LocalNoon.h"
#include "TempFolder.h"
#include "foundation/Random.h"
#include "exercise/PracticeSummary.h"
#include "history/PracticeHistory.h"
#include "theory/Note.h"

namespace fs = std::filesystem;

namespace {

constexpr double kStart = 1700000000.0;  // Unix seconds of the first row
constexpr double kDay = 86400.0;
constexpr int kOctave = 12;
constexpr int kMiddleC = 60;

PRACTICE_ROW MakeRow(int i) {
    PRACTICE_ROW row;
    row.time = kStart + i * 0.5;
    row.lesson = "Treble clef, lines";
    row.expected = kMiddleC + i % kOctave;
    row.spelling = "F#4";
    row.clef = i % 2 == 0 ? PRACTICE_CLEF_TREBLE : PRACTICE_CLEF_BASS;
    row.played = row.expected + (i % 3 == 0 ? 1 : 0);
    row.source = SOURCE_MIDI_INPUT;
    row.rightFirstTry = i % 3 != 0;
    row.wrongPresses = i % 3 == 0 ? 2 : 0;
    row.reaction = 0.25 + (i % 7) * 0.125;
    return row;
}

std::vector<PRACTICE_ROW> ReadAll(CPracticeHistory& history) {
    std::vector<PRACTICE_ROW> rows;
    EXPECT_TRUE(history.GetRowsSince(0.0, rows)) << history.GetError();
    return rows;
}

// The files of folder whose names begin with prefix.
std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A history of count rows at path, closed again.
void WriteHistory(const std::string& path, int count) {
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(history.Add(MakeRow(i)));
    }
    ASSERT_TRUE(history.Flush()) << history.GetError();
}

// Opens the damaged file at path and checks that it was kept aside under a
// new name with its bytes, that the notice tells so, and that the fresh
// history works.
void ExpectKeptAsideAndFresh(const CTempFolder& folder, const std::string& path) {
    const auto size = fs::file_size(path);
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    const std::vector<std::string> aside = FilesStartingWith(folder.Get(), "history.db.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::file_size(folder.Path(aside[0])), size);
    const std::string notice = history.GetNotice();
    EXPECT_NE(notice.find("The practice history (" + path + ") could not be read"),
              std::string::npos)
        << notice;
    EXPECT_NE(notice.find("kept as " + folder.Path(aside[0])), std::string::npos) << notice;
    EXPECT_NE(notice.find("a new history was started."), std::string::npos) << notice;
    EXPECT_TRUE(ReadAll(history).empty());
    ASSERT_TRUE(history.Add(MakeRow(1)));
    ASSERT_TRUE(history.Flush()) << history.GetError();
    history.Close();
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    EXPECT_STREQ(history.GetNotice(), "");
    EXPECT_EQ(ReadAll(history), std::vector<PRACTICE_ROW>{MakeRow(1)});
}

TEST(CPracticeHistoryTest, RowsAreReadBackAfterCloseAndReopen) {
    CTempFolder folder("history-reopen");
    const std::string path = folder.Path("profile/deeper/history.db");
    std::vector<PRACTICE_ROW> written;
    {
        CPracticeHistory history;
        ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
        EXPECT_STREQ(history.GetNotice(), "");
        for (int i = 0; i < 50; ++i) {
            written.push_back(MakeRow(i));
        }
        written[3].lesson = "Bass clef: \"ledger\" lines, ça va";
        written[4].spelling = "Bb2";
        written[5].source = SOURCE_SOUND_DETECTOR;
        for (const PRACTICE_ROW& row : written) {
            ASSERT_TRUE(history.Add(row));
        }
        history.Close();  // writes what is queued
    }
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    EXPECT_STREQ(history.GetNotice(), "");
    EXPECT_EQ(ReadAll(history), written);
}

TEST(CPracticeHistoryTest, FlushPutsEveryQueuedRowOnDisk) {
    CTempFolder folder("history-flush");
    const std::string path = folder.Path("history.db");
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(history.Add(MakeRow(i)));
    }
    ASSERT_TRUE(history.Flush()) << history.GetError();
    EXPECT_EQ(history.GetCommittedCount(), 500u);
    // Another connection sees them: they are committed, not only queued.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM practice", -1, &count, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 500);
    sqlite3_finalize(count);
    sqlite3_close(db);
}

TEST(CPracticeHistoryTest, NoteStatisticsCountEveryRowAndKeepTheLatestResults) {
    CTempFolder folder("history-stats");
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    constexpr int kRows = 120;
    for (int i = 0; i < kRows; ++i) {
        ASSERT_TRUE(history.Add(MakeRow(i)));
    }
    ASSERT_TRUE(history.Flush()) << history.GetError();
    std::vector<PRACTICE_NOTE_STATS> stats;
    ASSERT_TRUE(history.GetNoteStats(stats)) << history.GetError();
    ASSERT_EQ(stats.size(), static_cast<size_t>(kOctave));
    for (int n = 0; n < kOctave; ++n) {
        const PRACTICE_NOTE_STATS& note = stats[static_cast<size_t>(n)];
        EXPECT_EQ(note.midiNote, kMiddleC + n);
        int shown = 0, right = 0, last = -1;
        double reaction = 0.0;
        std::vector<PRACTICE_RESULT> results;
        for (int i = n; i < kRows; i += kOctave) {
            const PRACTICE_ROW row = MakeRow(i);
            ++shown;
            right += row.rightFirstTry ? 1 : 0;
            reaction += row.reaction;
            last = i;
            results.push_back({row.rightFirstTry, row.reaction});
        }
        EXPECT_EQ(note.shown, shown);
        EXPECT_EQ(note.rightFirstTry, right);
        EXPECT_NEAR(note.meanReaction, reaction / shown, 1e-9);
        EXPECT_EQ(note.lastSeen, MakeRow(last).time);
        ASSERT_EQ(note.recent.size(), static_cast<size_t>(CPracticeHistory::kRecentResults));
        for (size_t k = 0; k < note.recent.size(); ++k) {
            const PRACTICE_RESULT& expected = results[results.size() - note.recent.size() + k];
            EXPECT_EQ(note.recent[k].rightFirstTry, expected.rightFirstTry);
            EXPECT_EQ(note.recent[k].reaction, expected.reaction);
        }
    }
}

// Each lesson's pace: its notes and mean time to the right answer, the
// lesson practised last first; answers without a time are left out.
TEST(CPracticeHistoryTest, LessonPacesCountEachLessonLatestFirst) {
    CTempFolder folder("history-paces");
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    const struct {
        const char* lesson;
        double time, reaction;
    } answers[] = {{"Welcome", 100.0, 1.0},
                   {"Welcome", 110.0, 2.0},
                   {"Bass clef", 120.0, 3.0},
                   {"Welcome", 130.0, 3.0},
                   {"Welcome", 140.0, 0.0}};
    for (const auto& answer : answers) {
        PRACTICE_ROW row = MakeRow(0);
        row.lesson = answer.lesson;
        row.time = answer.time;
        row.reaction = answer.reaction;
        ASSERT_TRUE(history.Add(row));
    }
    ASSERT_TRUE(history.Flush()) << history.GetError();
    std::vector<PRACTICE_LESSON_PACE> paces;
    ASSERT_TRUE(history.GetLessonPaces(paces)) << history.GetError();
    ASSERT_EQ(paces.size(), 2u);
    EXPECT_EQ(paces[0].lesson, "Welcome");
    EXPECT_EQ(paces[0].notes, 3);
    EXPECT_DOUBLE_EQ(paces[0].meanReaction, 2.0);
    EXPECT_EQ(paces[1].lesson, "Bass clef");
    EXPECT_EQ(CPracticeSummary::DescribePaces(paces),
              "Notes per minute: Welcome 30, Bass clef 20.");
    EXPECT_EQ(CPracticeSummary::DescribePaces(paces, 1), "Notes per minute: Welcome 30.");
    EXPECT_EQ(CPracticeSummary::DescribePaces({}), "");
    CPracticeHistory closed;
    EXPECT_FALSE(closed.GetLessonPaces(paces));
    EXPECT_TRUE(paces.empty());
}

TEST(CPracticeHistoryTest, DaysSummariseTheLastDaysAndRowsSinceStartAtTheirTime) {
    CTempFolder folder("history-days");
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    // Noon of three days in a row (local time), and one long before them:
    // four notes on the first day, two on the second, one on the third.
    const double noon = LocalNoon(kStart);
    const std::vector<double> times = {noon - 30 * kDay, noon,           noon + 1,
                                       noon + 2,         noon + 3,       noon + kDay,
                                       noon + kDay + 1,  noon + 2 * kDay};
    for (size_t i = 0; i < times.size(); ++i) {
        PRACTICE_ROW row = MakeRow(static_cast<int>(i));
        row.time = times[i];
        row.rightFirstTry = i != 2;
        row.reaction = 1.0 + static_cast<double>(i);
        ASSERT_TRUE(history.Add(row));
    }
    ASSERT_TRUE(history.Flush()) << history.GetError();
    std::vector<PRACTICE_DAY> days;
    ASSERT_TRUE(history.GetDays(3, noon + 2 * kDay, days)) << history.GetError();
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[0].notes, 4);
    EXPECT_DOUBLE_EQ(days[0].rightFirstTryPercent, 75.0);
    EXPECT_DOUBLE_EQ(days[0].meanReaction, (2.0 + 3.0 + 4.0 + 5.0) / 4);
    EXPECT_EQ(days[1].notes, 2);
    EXPECT_DOUBLE_EQ(days[1].rightFirstTryPercent, 100.0);
    EXPECT_EQ(days[2].notes, 1);
    EXPECT_LT(days[0].day, days[1].day);
    EXPECT_EQ(days[0].day.size(), std::string("YYYY-MM-DD").size());
    ASSERT_TRUE(history.GetDays(1, noon + 2 * kDay, days));
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].notes, 1);
    EXPECT_FALSE(history.GetDays(0, noon, days));

    std::vector<PRACTICE_ROW> rows;
    ASSERT_TRUE(history.GetRowsSince(noon + 2, rows)) << history.GetError();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.front().time, noon + 2);
    EXPECT_EQ(rows.back().time, noon + 2 * kDay);
}

// The child's side of the kill test: adds rows one by one and, after every
// few, waits for them to be committed and reports the count on the pipe.
[[noreturn]] void AddUntilKilled(const std::string& path, int report) {
    constexpr int kMaxRows = 20000;
    constexpr int kRowsPerReport = 3;
    CPracticeHistory history;
    if (!history.Open(path.c_str())) {
        _exit(1);
    }
    for (int i = 0; i < kMaxRows; ++i) {
        if (!history.Add(MakeRow(i))) {
            _exit(1);
        }
        if (i % kRowsPerReport == kRowsPerReport - 1) {
            if (!history.Flush()) {
                _exit(1);
            }
            const uint64_t committed = history.GetCommittedCount();
            if (write(report, &committed, sizeof committed) != sizeof committed) {
                _exit(1);
            }
        }
    }
    _exit(0);
}

// Reads the child's reports until one reaches target, or until the pipe
// ends when target is 0; the highest count read.
uint64_t ReadReports(int pipe, uint64_t target, uint64_t highest) {
    constexpr int kPollMs = 10000;
    pollfd wait = {pipe, POLLIN, 0};
    while (target == 0 || highest < target) {
        if (poll(&wait, 1, kPollMs) <= 0) {
            ADD_FAILURE() << "the child stopped reporting";
            return highest;
        }
        uint64_t committed = 0;
        if (read(pipe, &committed, sizeof committed) != sizeof committed) {
            return highest;  // the pipe ended
        }
        highest = std::max(highest, committed);
    }
    return highest;
}

TEST(CPracticeHistoryTest, EveryCommittedRowOutlivesAKillNine) {
    constexpr int kRounds = 12;
    constexpr int kMostReported = 300;
    SeedRandom(20240611);
    for (int round = 0; round < kRounds; ++round) {
        CTempFolder folder("history-kill");
        const std::string path = folder.Path("history.db");
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            AddUntilKilled(path, fds[1]);
        }
        close(fds[1]);
        const auto target = static_cast<uint64_t>(Random(1, kMostReported));
        uint64_t committed = ReadReports(fds[0], target, 0);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status)) << "round " << round;
        committed = ReadReports(fds[0], 0, committed);  // what was on its way
        close(fds[0]);

        CPracticeHistory history;
        ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
        EXPECT_STREQ(history.GetNotice(), "") << "round " << round;
        const std::vector<PRACTICE_ROW> rows = ReadAll(history);
        EXPECT_GE(rows.size(), committed) << "round " << round;
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i], MakeRow(static_cast<int>(i))) << "round " << round << " row " << i;
        }
    }
}

TEST(CPracticeHistoryTest, ATruncatedDatabaseIsKeptAside) {
    CTempFolder folder("history-truncated");
    const std::string path = folder.Path("history.db");
    WriteHistory(path, 3000);
    fs::resize_file(path, fs::file_size(path) / 2);
    ExpectKeptAsideAndFresh(folder, path);
}

TEST(CPracticeHistoryTest, AFileOfRandomBytesIsKeptAside) {
    CTempFolder folder("history-random");
    const std::string path = folder.Path("history.db");
    constexpr int kBytes = 8192;
    SeedRandom(7);
    {
        std::ofstream file(path, std::ios::binary);
        for (int i = 0; i < kBytes; ++i) {
            file.put(static_cast<char>(Random(0, 255)));
        }
    }
    ExpectKeptAsideAndFresh(folder, path);
}

TEST(CPracticeHistoryTest, AForeignDatabaseIsKeptAside) {
    CTempFolder folder("history-foreign");
    const std::string path = folder.Path("history.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE contacts(name TEXT, phone TEXT);"
                           "INSERT INTO contacts VALUES('Ada', '123');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ExpectKeptAsideAndFresh(folder, path);
}

TEST(CPracticeHistoryTest, APipeInPlaceOfTheFileIsKeptAsideWithoutBlocking) {
    CTempFolder folder("history-fifo");
    const std::string path = folder.Path("history.db");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
    EXPECT_NE(std::string(history.GetNotice()).find("it is not a file"), std::string::npos)
        << history.GetNotice();
    const std::vector<std::string> aside = FilesStartingWith(folder.Get(), "history.db.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(fs::is_fifo(folder.Path(aside[0])));
    ASSERT_TRUE(history.Add(MakeRow(2)));
    ASSERT_TRUE(history.Flush()) << history.GetError();
    EXPECT_EQ(ReadAll(history), std::vector<PRACTICE_ROW>{MakeRow(2)});
}

TEST(CPracticeHistoryTest, AnotherDamagedFileIsKeptUnderAnotherName) {
    CTempFolder folder("history-twice");
    const std::string path = folder.Path("history.db");
    for (int copy = 0; copy < 2; ++copy) {
        std::ofstream(path, std::ios::binary) << "not a database, copy " << copy;
        CPracticeHistory history;
        ASSERT_TRUE(history.Open(path.c_str())) << history.GetError();
        EXPECT_STRNE(history.GetNotice(), "");
    }
    const std::vector<std::string> aside = FilesStartingWith(folder.Get(), "history.db.damaged-");
    ASSERT_EQ(aside.size(), 2u);
    std::vector<std::string> contents;
    for (const std::string& name : aside) {
        std::ifstream file(folder.Path(name));
        contents.emplace_back(std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>());
    }
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents,
              (std::vector<std::string>{"not a database, copy 0", "not a database, copy 1"}));
}

TEST(CPracticeHistoryTest, OpenFailsOnlyWhenNoDatabaseCanBeMade) {
    CTempFolder folder("history-nowhere");
    const std::string blocker = folder.Path("file");
    std::ofstream(blocker) << "a file where the folder should be";
    CPracticeHistory history;
    EXPECT_FALSE(history.Open((blocker + "/history.db").c_str()));
    EXPECT_EQ(std::string(history.GetError()).rfind("Can't ", 0), 0u) << history.GetError();
    EXPECT_FALSE(history.IsOpen());
    EXPECT_FALSE(history.Add(MakeRow(0)));
    EXPECT_FALSE(history.Flush());
    std::vector<PRACTICE_NOTE_STATS> stats;
    EXPECT_FALSE(history.GetNoteStats(stats));
}

}  // namespace
