#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "exercise/PracticeRecords.h"
#include "foundation/CharString.h"
#include "history/HistoryFile.h"
#include "history/HistoryQueries.h"

// The learner's practice history: one row per judged note in an SQLite
// database. Add never waits for the disk: rows go to a writer thread that
// inserts and commits them as soon as they arrive, so a crash loses at most
// the rows being written. Rows whose commit fails (another program holds the
// file, the disk is full) stay queued, up to kMaxPendingRows in memory and
// the rest in a side file, and are tried again every kRetrySeconds until a
// commit succeeds; TakeWriteProblem tells of the failure once. What is still
// unwritten at the close goes to the side file and is written when the
// history next opens; Close says how many rows could not be kept at all. A
// file that cannot be read as a history is renamed aside and a fresh history
// started; GetNotice tells what happened so the caller can tell the learner
// once. The queries run on the caller's thread
// on a connection of their own and see every row committed so far; they are
// not meant to be called from several threads at once.
class CPracticeHistory {
public:
    static constexpr int kRecentResults = kPracticeRecentResults;
    static constexpr int kSchemaVersion = 1;
    // Written into the file header so that a foreign database is told apart.
    static constexpr int32_t kApplicationId = 0x4E6F4869;
    static constexpr size_t kMaxPendingRows = 100000;
    static constexpr double kRetrySeconds = 1.0;
    // How long a connection waits for another one that holds the file.
    static constexpr int kBusyTimeoutMs = 5000;

    CPracticeHistory() = default;
    CPracticeHistory(const CPracticeHistory&) = delete;
    CPracticeHistory& operator=(const CPracticeHistory&) = delete;
    ~CPracticeHistory();

    // Opens the history at path, making its folder and the database when
    // missing. A file that fails its checks is renamed aside and a new one
    // started; a healthy file that another program holds, or that can't be
    // written now, is left as it is and false comes back (practice is not
    // recorded); a read-only one is opened for reading alone. GetNotice
    // says what the learner should know of it.
    bool Open(const char* path);
    // Before Open: how long a connection waits for another that holds the
    // file (tests shorten it).
    void SetBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
    // Writes what is queued, ends the writer and closes the database.
    void Close();
    // The rows the last Close could not write (with the reason in GetError).
    size_t GetUnkeptCount() const { return m_unkept; }
    bool IsOpen() const { return m_read != nullptr; }

    // Queues row for the writer; false when the history is not open.
    bool Add(const PRACTICE_ROW& row);
    // Waits until every row queued so far is committed; false, with the
    // reason, while rows can't be written (they stay queued).
    bool Flush();
    // True once per run when writing first failed, with what it means for
    // the learner; the rows are kept and written later.
    bool TakeWriteProblem(CCharString& text);
    // Rows committed since Open.
    uint64_t GetCommittedCount() const { return m_committed; }

    // The statistics of every note ever shown, lowest MIDI note first.
    bool GetNoteStats(std::vector<PRACTICE_NOTE_STATS>& stats);
    // The last days of practice up to the day of now (Unix seconds), oldest
    // first; days without practice are left out.
    bool GetDays(int days, double now, std::vector<PRACTICE_DAY>& summary);
    // Every lesson's pace, the lesson practised last first.
    bool GetLessonPaces(std::vector<PRACTICE_LESSON_PACE>& paces);
    // Rows judged at or after since, oldest first.
    bool GetRowsSince(double since, std::vector<PRACTICE_ROW>& rows);

    const char* GetPath() const { return m_path; }
    // What Open had to do with an unreadable file; empty when nothing.
    const char* GetNotice() const { return m_notice; }
    const char* GetError() const { return m_error; }

private:
    using DB = CHistoryFile::DB;
    using STATEMENT = CHistoryFile::STATEMENT;
    // Opens the reader alone: the history is shown, nothing is recorded.
    bool OpenReadOnly();
    // Opens the writer's connection, making the database and its tables.
    bool Create();
    bool OpenReader();
    bool StartWriter();
    void CloseConnections();
    // Takes the queries' error; always false.
    bool TakeQueryError();
    void WriterLoop();
    // Puts a batch that failed back at the front of the queue (the mutex
    // held); returns the oldest rows beyond kMaxPendingRows, for the side file.
    std::deque<PRACTICE_ROW> Requeue(std::deque<PRACTICE_ROW>& batch);
    // Queues the answers an earlier session left in the side file.
    void TakeUnwritten();
    // Inserts batch in one transaction; false with the reason in error.
    bool WriteBatch(const std::deque<PRACTICE_ROW>& batch, CCharString& error);
    bool InsertRow(const PRACTICE_ROW& row);
    bool Execute(sqlite3* db, const char* sql, const char* what);
    // Sets the error text from db's last error; always false.
    bool Fail(const char* what, sqlite3* db);

    CCharString m_path;
    CCharString m_notice;
    int m_busyTimeoutMs = kBusyTimeoutMs;
    bool m_readOnly = false;
    size_t m_unkept = 0;
    CCharString m_error;
    DB m_write;  // used by the writer thread only once it runs
    DB m_read;   // used by the caller's thread only
    STATEMENT m_insert;
    CHistoryQueries m_queries;  // on m_read

    std::thread m_writer;
    mutable std::mutex m_mutex;  // guards everything below
    CCharString m_writeError;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::deque<PRACTICE_ROW> m_queue;
    uint64_t m_queued = 0;
    uint64_t m_done = 0;         // rows committed or failed
    bool m_failing = false;      // the last commit failed: retrying
    bool m_problemTold = false;  // TakeWriteProblem said so once
    size_t m_lost = 0;           // rows neither in memory nor in the side file
    bool m_stop = false;
    std::atomic<uint64_t> m_committed{0};
};
