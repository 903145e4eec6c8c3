#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CharString.h"

// The practice history's database file as the program finds it at the
// start of a session: whether it can be used, and setting a damaged one
// aside so that a fresh history can start. Also the small statement helpers
// that the history's own connections use.
class CHistoryFile {
public:
    // kUnavailable: it can't be checked now (another program holds it, the
    // disk is full); kReadOnly: healthy, but it can't be written here.
    enum class STATE { kMissing, kUsable, kUnreadable, kUnavailable, kReadOnly };
    // An index the program makes: its name and its columns, comma-separated.
    struct INDEX_RULE {
        const char* name;
        const char* columns;
    };
    // What a file must be to be the program's history.
    struct RULES {
        int applicationId = 0;            // the file header's application id
        int schemaVersion = 0;            // its user version
        const char* rowsQuery = "";       // a query that must prepare on its rows
        const char* table = "";           // the table of the rows
        std::vector<INDEX_RULE> indexes;  // every index of that table
    };
    // How long a check waits for another program's lock: it runs while the
    // window starts.
    static constexpr int kCheckBusyMs = 250;

    struct DB_CLOSER {
        void operator()(sqlite3* db) const { sqlite3_close(db); }
    };
    struct STATEMENT_FINALIZER {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    using DB = std::unique_ptr<sqlite3, DB_CLOSER>;
    using STATEMENT = std::unique_ptr<sqlite3_stmt, STATEMENT_FINALIZER>;

    // Whether the file at path can be used, and if not, why.
    static STATE Check(const char* path, const RULES& rules, CCharString& reason);
    // Renames the unreadable file at path to a new name beside it, with its
    // journal; notice tells the learner what happened. False with error.
    static bool SetAside(const char* path, const char* reason, CCharString& notice,
                         CCharString& error);
    // path as an SQLite URI that opens the file as it is, without its
    // journal files: for a history on read-only media.
    static std::string ImmutableUri(const char* path);

    static STATEMENT Prepare(sqlite3* db, const char* sql);
    static bool QueryInt(sqlite3* db, const char* sql, int& value);
    static std::string ColumnText(sqlite3_stmt* statement, int column);

private:
    // The whole check of every page and index, and the rows' columns. False
    // with the reason; damaged says whether the file itself is bad;
    // indexesDamaged that only indexes disagree with the rows.
    static bool CheckIntegrity(sqlite3* db, const char* rowsQuery, CCharString& reason,
                               bool& damaged, bool& indexesDamaged);
    // Whether the table's indexes are exactly those of rules.
    static bool IndexesMatch(sqlite3* db, const RULES& rules);
    // Drops every index of table: they are made again from the rows.
    static bool DropIndexes(sqlite3* db, const char* table, CCharString& reason, bool& damaged);
    static bool CheckApplication(int applicationId, int version, const RULES& rules,
                                 CCharString& reason);
    // Whether db's last failure says the file is damaged, not merely out of
    // reach now (a lock, a full disk).
    static bool IsDamage(sqlite3* db);
    // Whether this user may write the file at path and its folder here.
    static bool MayWrite(const char* path);
};
