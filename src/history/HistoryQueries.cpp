#include "history/HistoryQueries.h"

#include <time.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr double kPercent = 100.0;

// The columns of the statistics query in their order.
enum STATS_COLUMN {
    STATS_EXPECTED,
    STATS_SHOWN,
    STATS_RIGHT_FIRST,
    STATS_REACTION,
    STATS_LAST_SEEN,
};

// The columns of the day summary query in their order.
enum DAY_COLUMN {
    DAY_DAY,
    DAY_NOTES,
    DAY_PERCENT,
    DAY_REACTION,
};

PRACTICE_ROW ReadRow(sqlite3_stmt* statement) {
    PRACTICE_ROW row;
    row.time = sqlite3_column_double(statement, CHistoryQueries::COLUMN_TIME);
    row.lesson = CHistoryFile::ColumnText(statement, CHistoryQueries::COLUMN_LESSON);
    row.expected = sqlite3_column_int(statement, CHistoryQueries::COLUMN_EXPECTED);
    row.spelling = CHistoryFile::ColumnText(statement, CHistoryQueries::COLUMN_SPELLING);
    row.clef = sqlite3_column_int(statement, CHistoryQueries::COLUMN_CLEF);
    row.played = sqlite3_column_int(statement, CHistoryQueries::COLUMN_PLAYED);
    row.source = sqlite3_column_int(statement, CHistoryQueries::COLUMN_SOURCE);
    row.rightFirstTry = sqlite3_column_int(statement, CHistoryQueries::COLUMN_RIGHT_FIRST) != 0;
    row.wrongPresses = sqlite3_column_int(statement, CHistoryQueries::COLUMN_WRONG);
    row.reaction = sqlite3_column_double(statement, CHistoryQueries::COLUMN_REACTION);
    return row;
}

// The start of the local day that lies dayOffset days after the one of time.
double LocalDayStart(double time, int dayOffset) {
    const auto seconds = static_cast<time_t>(time);
    struct tm local = {};
    localtime_r(&seconds, &local);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_mday += dayOffset;
    local.tm_isdst = -1;
    return static_cast<double>(mktime(&local));
}

}  // namespace

bool CHistoryQueries::Prepare(sqlite3* db, const char* path) {
    m_db = db;
    m_path = path;
    m_recent =
        CHistoryFile::Prepare(m_db,
                              "SELECT right_first, reaction FROM practice WHERE expected = ?1"
                              " ORDER BY time DESC LIMIT ?2");
    return m_recent != nullptr || Fail("prepare the reading of");
}

void CHistoryQueries::Release() {
    m_recent.reset();
    m_db = nullptr;
}

bool CHistoryQueries::GetNoteStats(std::vector<PRACTICE_NOTE_STATS>& stats) {
    stats.clear();
    // One read transaction: the counts and the latest results see the
    // same rows, however many the writer commits meanwhile.
    if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return Fail("read the statistics of");
    }
    const bool read = ReadNoteStats(stats);
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    return read;
}

bool CHistoryQueries::ReadNoteStats(std::vector<PRACTICE_NOTE_STATS>& stats) {
    CHistoryFile::STATEMENT query = CHistoryFile::Prepare(
        m_db,
        "SELECT expected, COUNT(*), SUM(right_first), AVG(reaction), MAX(time)"
        " FROM practice GROUP BY expected ORDER BY expected");
    if (query == nullptr) {
        return Fail("read the statistics of");
    }
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(query.get())) == SQLITE_ROW) {
        PRACTICE_NOTE_STATS note;
        note.midiNote = sqlite3_column_int(query.get(), STATS_EXPECTED);
        note.shown = sqlite3_column_int(query.get(), STATS_SHOWN);
        note.rightFirstTry = sqlite3_column_int(query.get(), STATS_RIGHT_FIRST);
        note.meanReaction = sqlite3_column_double(query.get(), STATS_REACTION);
        note.lastSeen = sqlite3_column_double(query.get(), STATS_LAST_SEEN);
        stats.push_back(std::move(note));
    }
    if (status != SQLITE_DONE) {
        return Fail("read the statistics of");
    }
    query.reset();
    for (PRACTICE_NOTE_STATS& note : stats) {
        if (!AddRecent(note)) {
            return false;
        }
    }
    return true;
}

bool CHistoryQueries::AddRecent(PRACTICE_NOTE_STATS& stats) {
    sqlite3_stmt* recent = m_recent.get();
    sqlite3_reset(recent);
    sqlite3_bind_int(recent, 1, stats.midiNote);
    sqlite3_bind_int(recent, 2, kPracticeRecentResults);
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(recent)) == SQLITE_ROW) {
        PRACTICE_RESULT result;
        result.rightFirstTry = sqlite3_column_int(recent, 0) != 0;
        result.reaction = sqlite3_column_double(recent, 1);
        stats.recent.push_back(result);
    }
    sqlite3_reset(recent);
    if (status != SQLITE_DONE) {
        return Fail("read the latest results of");
    }
    std::reverse(stats.recent.begin(), stats.recent.end());
    return true;
}

bool CHistoryQueries::GetDays(int days, double now, std::vector<PRACTICE_DAY>& summary) {
    summary.clear();
    CHistoryFile::STATEMENT query =
        CHistoryFile::Prepare(m_db,
                              "SELECT date(time, 'unixepoch', 'localtime') AS day, COUNT(*),"
                              " SUM(right_first) * ?3 / COUNT(*), AVG(reaction) FROM practice"
                              " WHERE time >= ?1 AND time < ?2 GROUP BY day ORDER BY day");
    if (query == nullptr) {
        return Fail("read the days of");
    }
    sqlite3_bind_double(query.get(), 1, LocalDayStart(now, 1 - days));
    sqlite3_bind_double(query.get(), 2, LocalDayStart(now, 1));
    sqlite3_bind_double(query.get(), 3, kPercent);
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(query.get())) == SQLITE_ROW) {
        PRACTICE_DAY day;
        day.day = CHistoryFile::ColumnText(query.get(), DAY_DAY);
        day.notes = sqlite3_column_int(query.get(), DAY_NOTES);
        day.rightFirstTryPercent = sqlite3_column_double(query.get(), DAY_PERCENT);
        day.meanReaction = sqlite3_column_double(query.get(), DAY_REACTION);
        summary.push_back(std::move(day));
    }
    return status == SQLITE_DONE || Fail("read the days of");
}

bool CHistoryQueries::GetLessonPaces(std::vector<PRACTICE_LESSON_PACE>& paces) {
    paces.clear();
    enum { PACE_LESSON, PACE_NOTES, PACE_REACTION, PACE_LAST };
    CHistoryFile::STATEMENT query =
        CHistoryFile::Prepare(m_db,
                              "SELECT lesson, COUNT(*), AVG(reaction), MAX(time) FROM practice"
                              " WHERE reaction > 0 GROUP BY lesson ORDER BY MAX(time) DESC");
    if (query == nullptr) {
        return Fail("read the lessons of");
    }
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(query.get())) == SQLITE_ROW) {
        PRACTICE_LESSON_PACE pace;
        pace.lesson = CHistoryFile::ColumnText(query.get(), PACE_LESSON);
        pace.notes = sqlite3_column_int(query.get(), PACE_NOTES);
        pace.meanReaction = sqlite3_column_double(query.get(), PACE_REACTION);
        pace.lastTime = sqlite3_column_double(query.get(), PACE_LAST);
        paces.push_back(std::move(pace));
    }
    return status == SQLITE_DONE || Fail("read the lessons of");
}

bool CHistoryQueries::GetRowsSince(double since, std::vector<PRACTICE_ROW>& rows) {
    rows.clear();
    const std::string sql =
        std::string("SELECT ") + kRowColumns + " FROM practice WHERE time >= ?1 ORDER BY time, id";
    CHistoryFile::STATEMENT query = CHistoryFile::Prepare(m_db, sql.c_str());
    if (query == nullptr) {
        return Fail("read the rows of");
    }
    sqlite3_bind_double(query.get(), 1, since);
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(query.get())) == SQLITE_ROW) {
        rows.push_back(ReadRow(query.get()));
    }
    return status == SQLITE_DONE || Fail("read the rows of");
}

bool CHistoryQueries::Fail(const char* what) {
    m_error.Format("Can't %s the practice history %s: %s", what, m_path.GetText(),
                   m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory");
    return false;
}
