#pragma once

#include <sqlite3.h>

#include <vector>

#include "exercise/PracticeRecords.h"
#include "foundation/CharString.h"
#include "history/HistoryFile.h"

// The practice history's queries, on its reading connection: the
// statistics of every note with its latest results, the days of practice,
// and the rows since a time. The connection belongs to the history; the
// queries only read.
class CHistoryQueries {
public:
    // The columns of a row, in the order ROW_COLUMN numbers them; the writer
    // inserts them in the same order.
    static constexpr const char* kRowColumns =
        "time, lesson, expected, spelling, clef, played, source, right_first, wrong, reaction";
    enum ROW_COLUMN {
        COLUMN_TIME,
        COLUMN_LESSON,
        COLUMN_EXPECTED,
        COLUMN_SPELLING,
        COLUMN_CLEF,
        COLUMN_PLAYED,
        COLUMN_SOURCE,
        COLUMN_RIGHT_FIRST,
        COLUMN_WRONG,
        COLUMN_REACTION,
    };

    // Prepares the queries on db, which outlives them until Release; path
    // names the history in the errors. False with the reason.
    bool Prepare(sqlite3* db, const char* path);
    void Release();

    // As CPracticeHistory::GetNoteStats, GetDays and GetRowsSince.
    bool GetNoteStats(std::vector<PRACTICE_NOTE_STATS>& stats);
    bool GetDays(int days, double now, std::vector<PRACTICE_DAY>& summary);
    bool GetRowsSince(double since, std::vector<PRACTICE_ROW>& rows);
    bool GetLessonPaces(std::vector<PRACTICE_LESSON_PACE>& paces);
    const char* GetError() const { return m_error; }

private:
    bool ReadNoteStats(std::vector<PRACTICE_NOTE_STATS>& stats);
    bool AddRecent(PRACTICE_NOTE_STATS& stats);
    // Sets the error text from the connection's last error; always false.
    bool Fail(const char* what);

    sqlite3* m_db = nullptr;
    CHistoryFile::STATEMENT m_recent;
    CCharString m_path;
    CCharString m_error;
};
