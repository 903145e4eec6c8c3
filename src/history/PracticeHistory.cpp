#include "history/PracticeHistory.h"

#include <chrono>
#include <iterator>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

#include "foundation/ErrorReport.h"
#include "history/UnwrittenAnswers.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "PracticeHistory";
// Other processes never write this file, so a commit need only survive the
// program's death: the write-ahead log is synced at checkpoints, not at
// every commit.
constexpr const char* kSetupSql =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;";
// The note index covers the statistics, so they are read from it alone.
constexpr const char* kSchemaSql =
    "CREATE TABLE IF NOT EXISTS practice("
    " id INTEGER PRIMARY KEY,"
    " time REAL NOT NULL,"
    " lesson TEXT NOT NULL,"
    " expected INTEGER NOT NULL,"
    " spelling TEXT NOT NULL,"
    " clef INTEGER NOT NULL,"
    " played INTEGER NOT NULL,"
    " source INTEGER NOT NULL,"
    " right_first INTEGER NOT NULL,"
    " wrong INTEGER NOT NULL,"
    " reaction REAL NOT NULL);"
    "CREATE INDEX IF NOT EXISTS practice_by_note"
    " ON practice(expected, time, right_first, reaction);"
    "CREATE INDEX IF NOT EXISTS practice_by_time ON practice(time);";
// Binds text so that SQLite copies it: the row may be gone before the step.
bool BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    return sqlite3_bind_text(statement, index, text.c_str(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

}  // namespace

CPracticeHistory::~CPracticeHistory() {
    Close();
}

bool CPracticeHistory::Open(const char* path) {
    Close();
    m_notice.Empty();
    m_error.Empty();
    m_readOnly = false;
    if (path == nullptr || *path == 0) {
        m_error = "Can't open the practice history: no path given";
        return false;
    }
    m_path = path;
    std::error_code error;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::create_directories(folder, error) && error) {
        m_error.Format("Can't make the folder of the practice history %s: %s", path,
                       error.message().c_str());
        return false;
    }
    CCharString reason;
    const std::string rowsQuery =
        std::string("SELECT ") + CHistoryQueries::kRowColumns + " FROM practice LIMIT 0";
    const CHistoryFile::RULES rules{
        kApplicationId,
        kSchemaVersion,
        rowsQuery.c_str(),
        "practice",
        {{"practice_by_note", "expected,time,right_first,reaction"}, {"practice_by_time", "time"}}};
    switch (CHistoryFile::Check(path, rules, reason)) {
        case CHistoryFile::STATE::kUnavailable:
            // Another program holds it, or the disk can't take its journal
            // now: nothing is moved, and nothing is waited for.
            m_error.Format("Can't open the practice history %s now: %s", path, reason.GetText());
            m_notice.Format(
                "The practice history (%s) can't be used now (%s), so this session's "
                "practice is not recorded.",
                path, reason.GetText());
            return false;
        case CHistoryFile::STATE::kReadOnly:
            return OpenReadOnly();
        case CHistoryFile::STATE::kUnreadable:
            // Only a file that fails its checks is set aside.
            if (!CHistoryFile::SetAside(path, reason, m_notice, m_error)) {
                return false;
            }
            break;
        default:
            break;
    }
    if (!Create() || !OpenReader()) {
        // A healthy file that can't be written now (a full disk, a lock) is
        // left as it is: this session goes on without recording.
        CloseConnections();
        m_notice.Format(
            "The practice history (%s) can't be written (%s), so this session's "
            "practice is not recorded.",
            path, m_error.GetText());
        return false;
    }
    if (!StartWriter()) {
        return false;
    }
    TakeUnwritten();
    return true;
}

void CPracticeHistory::TakeUnwritten() {
    CUnwrittenAnswers side(m_path);
    std::vector<PRACTICE_ROW> rows;
    if (!side.Load(rows)) {
        ReportError(kSource, __LINE__, "%s", side.GetError());
        return;
    }
    // Once in memory the file goes, so that the answers are never written
    // twice; those that still can't be written go back to it at the close.
    if (rows.empty() || !side.Remove()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.insert(m_queue.begin(), std::make_move_iterator(rows.begin()),
                       std::make_move_iterator(rows.end()));
        m_queued += rows.size();
    }
    m_wake.notify_one();
    ReportError(kSource, __LINE__, "Answers of an earlier session go to the practice history: %zu",
                rows.size());
}

bool CPracticeHistory::OpenReadOnly() {
    m_readOnly = true;
    if (!OpenReader()) {
        CloseConnections();
        return false;
    }
    m_notice.Format(
        "The practice history (%s) is read-only, so your progress is shown but this "
        "session's practice is not recorded.",
        m_path.GetText());
    return true;
}

bool CPracticeHistory::StartWriter() {
    m_queued = 0;
    m_done = 0;
    m_failing = false;
    m_problemTold = false;
    m_lost = 0;
    m_unkept = 0;
    m_stop = false;
    m_committed = 0;
    try {
        m_writer = std::thread([this] { WriterLoop(); });
    } catch (const std::system_error& error) {
        m_error.Format("Can't start the writer of the practice history: %s", error.what());
        CloseConnections();
        return false;
    }
    return true;
}

bool CPracticeHistory::Create() {
    sqlite3* opened = nullptr;
    const int status =
        sqlite3_open_v2(m_path, &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_write.reset(opened);
    if (status != SQLITE_OK) {
        m_error.Format("Can't create the practice history %s: %s", m_path.GetText(),
                       m_write != nullptr ? sqlite3_errmsg(m_write.get()) : sqlite3_errstr(status));
        return false;
    }
    // The setup runs while the window starts: a lock is waited for a moment.
    sqlite3_busy_timeout(m_write.get(), std::min(CHistoryFile::kCheckBusyMs, m_busyTimeoutMs));
    CCharString schema;
    schema.Format("BEGIN IMMEDIATE;%sPRAGMA application_id=%d;PRAGMA user_version=%d;COMMIT;",
                  kSchemaSql, kApplicationId, kSchemaVersion);
    if (!Execute(m_write.get(), kSetupSql, "set up") ||
        !Execute(m_write.get(), schema, "create the tables of")) {
        return false;
    }
    const std::string insert = std::string("INSERT INTO practice(") + CHistoryQueries::kRowColumns +
                               ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)";
    m_insert = CHistoryFile::Prepare(m_write.get(), insert.c_str());
    sqlite3_busy_timeout(m_write.get(), m_busyTimeoutMs);
    return m_insert != nullptr || Fail("prepare the writing of", m_write.get());
}

bool CPracticeHistory::OpenReader() {
    sqlite3* opened = nullptr;
    int status = sqlite3_open_v2(
        m_path, &opened, m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    m_read.reset(opened);
    if (status == SQLITE_OK && m_readOnly &&
        !CHistoryFile::QueryInt(m_read.get(), "SELECT COUNT(*) FROM sqlite_master", status)) {
        // A history on read-only media can't make its journal files: it is
        // read as it is.
        opened = nullptr;
        m_read.reset();
        status = sqlite3_open_v2(CHistoryFile::ImmutableUri(m_path).c_str(), &opened,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        m_read.reset(opened);
    }
    if (status != SQLITE_OK) {
        return Fail("open a reading connection to", m_read.get());
    }
    sqlite3_busy_timeout(m_read.get(), m_busyTimeoutMs);
    if (!Execute(m_read.get(), "PRAGMA query_only=1", "set up the reading of")) {
        return false;
    }
    return m_queries.Prepare(m_read.get(), m_path) || TakeQueryError();
}

void CPracticeHistory::Close() {
    if (m_writer.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_writer.join();
        // What the writer's last try could not commit waits in the side file
        // for the next session; only what that can't take is lost.
        m_unkept = m_lost;
        if (!m_queue.empty()) {
            CUnwrittenAnswers side(m_path);
            if (side.Append(m_queue)) {
                ReportError(kSource, __LINE__, "%zu answers wait in %s: %s", m_queue.size(),
                            side.GetPath(), m_writeError.GetText());
            } else {
                m_unkept += m_queue.size();
                CCharString both;
                both.Format("%s; %s", m_writeError.GetText(), side.GetError());
                m_writeError = both;
            }
        }
        m_queue.clear();
        if (m_unkept > 0) {
            m_error.Format("Can't keep %zu answers in the practice history: %s", m_unkept,
                           m_writeError.GetText());
        }
    }
    CloseConnections();
}

void CPracticeHistory::CloseConnections() {
    m_queries.Release();
    m_insert.reset();
    // The writer's connection goes last: closing the last connection moves
    // the write-ahead log into the database.
    m_read.reset();
    m_write.reset();
}

bool CPracticeHistory::Add(const PRACTICE_ROW& row) {
    if (m_readOnly) {
        m_error = "Can't add to the practice history: it is read-only";
        return false;
    }
    if (!m_writer.joinable()) {
        m_error = "Can't add to the practice history: it is not open";
        return false;
    }
    try {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(row);
        ++m_queued;
    } catch (const std::bad_alloc&) {
        m_error = "Can't add to the practice history: out of memory";
        return false;
    }
    m_wake.notify_one();
    return true;
}

bool CPracticeHistory::Flush() {
    if (!m_writer.joinable()) {
        m_error = "Can't flush the practice history: it is not open";
        return false;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t target = m_queued;
    m_written.wait(lock, [&] { return m_done >= target || m_failing; });
    if (m_failing) {
        m_error = m_writeError;
        return false;
    }
    return true;
}

bool CPracticeHistory::TakeWriteProblem(CCharString& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_failing || m_problemTold) {
        return false;
    }
    m_problemTold = true;
    text.Format(
        "%s\nYour answers are kept and written to the history as soon as it can be "
        "written again.",
        m_writeError.GetText());
    return true;
}

void CPracticeHistory::WriterLoop() {
    const auto retry = std::chrono::duration<double>(kRetrySeconds);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_failing && !m_stop) {
            // Tried again after a while, or once more at the close.
            m_wake.wait_for(lock, retry, [&] { return m_stop; });
        } else {
            m_wake.wait(lock, [&] { return m_stop || !m_queue.empty(); });
        }
        if (m_queue.empty()) {
            if (m_stop) {
                return;  // asked to stop with everything written
            }
            continue;
        }
        std::deque<PRACTICE_ROW> batch;
        batch.swap(m_queue);
        lock.unlock();
        CCharString error;
        const bool written = WriteBatch(batch, error);
        lock.lock();
        if (written) {
            m_done += batch.size();
            m_committed += batch.size();
            m_failing = false;
        } else {
            std::deque<PRACTICE_ROW> overflow = Requeue(batch);
            m_failing = true;
            m_writeError = error;
            if (!overflow.empty()) {
                lock.unlock();
                const bool kept = CUnwrittenAnswers(m_path).Append(overflow);
                lock.lock();
                m_lost += kept ? 0 : overflow.size();
            }
        }
        m_written.notify_all();
        if (!written && m_stop) {
            return;  // the close keeps count of what is left
        }
    }
}

std::deque<PRACTICE_ROW> CPracticeHistory::Requeue(std::deque<PRACTICE_ROW>& batch) {
    // The batch goes back ahead of what came meanwhile; beyond the bound the
    // oldest rows leave memory for the side file.
    batch.insert(batch.end(), std::make_move_iterator(m_queue.begin()),
                 std::make_move_iterator(m_queue.end()));
    m_queue.swap(batch);
    std::deque<PRACTICE_ROW> overflow;
    while (m_queue.size() > kMaxPendingRows) {
        overflow.push_back(std::move(m_queue.front()));
        m_queue.pop_front();
        ++m_done;
    }
    return overflow;
}

bool CPracticeHistory::WriteBatch(const std::deque<PRACTICE_ROW>& batch, CCharString& error) {
    sqlite3* db = m_write.get();
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error.Format("Can't write to the practice history: %s", sqlite3_errmsg(db));
        return false;
    }
    for (const PRACTICE_ROW& row : batch) {
        if (!InsertRow(row)) {
            error.Format("Can't write to the practice history: %s", sqlite3_errmsg(db));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error.Format("Can't commit to the practice history: %s", sqlite3_errmsg(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

bool CPracticeHistory::InsertRow(const PRACTICE_ROW& row) {
    sqlite3_stmt* insert = m_insert.get();
    sqlite3_reset(insert);
    const bool bound =
        sqlite3_bind_double(insert, CHistoryQueries::COLUMN_TIME + 1, row.time) == SQLITE_OK &&
        BindText(insert, CHistoryQueries::COLUMN_LESSON + 1, row.lesson) &&
        sqlite3_bind_int(insert, CHistoryQueries::COLUMN_EXPECTED + 1, row.expected) == SQLITE_OK &&
        BindText(insert, CHistoryQueries::COLUMN_SPELLING + 1, row.spelling) &&
        sqlite3_bind_int(insert, CHistoryQueries::COLUMN_CLEF + 1, row.clef) == SQLITE_OK &&
        sqlite3_bind_int(insert, CHistoryQueries::COLUMN_PLAYED + 1, row.played) == SQLITE_OK &&
        sqlite3_bind_int(insert, CHistoryQueries::COLUMN_SOURCE + 1, row.source) == SQLITE_OK &&
        sqlite3_bind_int(insert, CHistoryQueries::COLUMN_RIGHT_FIRST + 1,
                         row.rightFirstTry ? 1 : 0) == SQLITE_OK &&
        sqlite3_bind_int(insert, CHistoryQueries::COLUMN_WRONG + 1, row.wrongPresses) ==
            SQLITE_OK &&
        sqlite3_bind_double(insert, CHistoryQueries::COLUMN_REACTION + 1, row.reaction) ==
            SQLITE_OK;
    return bound && sqlite3_step(insert) == SQLITE_DONE;
}

bool CPracticeHistory::GetNoteStats(std::vector<PRACTICE_NOTE_STATS>& stats) {
    stats.clear();
    if (!IsOpen()) {
        m_error = "Can't read the practice history: it is not open";
        return false;
    }
    return m_queries.GetNoteStats(stats) || TakeQueryError();
}

bool CPracticeHistory::GetDays(int days, double now, std::vector<PRACTICE_DAY>& summary) {
    summary.clear();
    if (!IsOpen() || days < 1) {
        m_error.Format("Can't read %d days of the practice history", days);
        return false;
    }
    return m_queries.GetDays(days, now, summary) || TakeQueryError();
}

bool CPracticeHistory::GetLessonPaces(std::vector<PRACTICE_LESSON_PACE>& paces) {
    paces.clear();
    if (!IsOpen()) {
        m_error = "Can't read the practice history: it is not open";
        return false;
    }
    return m_queries.GetLessonPaces(paces) || TakeQueryError();
}

bool CPracticeHistory::GetRowsSince(double since, std::vector<PRACTICE_ROW>& rows) {
    rows.clear();
    if (!IsOpen()) {
        m_error = "Can't read the practice history: it is not open";
        return false;
    }
    return m_queries.GetRowsSince(since, rows) || TakeQueryError();
}

bool CPracticeHistory::TakeQueryError() {
    m_error = m_queries.GetError();
    return false;
}

bool CPracticeHistory::Execute(sqlite3* db, const char* sql, const char* what) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail(what, db);
}

bool CPracticeHistory::Fail(const char* what, sqlite3* db) {
    m_error.Format("Can't %s the practice history %s: %s", what, m_path.GetText(),
                   db != nullptr ? sqlite3_errmsg(db) : "out of memory");
    return false;
}
