#include "history/HistoryFile.h"

#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/ErrorReport.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "PracticeHistory";
constexpr int kStampLength = 32;
// How many of the whole check's findings go to the log.
constexpr int kLoggedProblems = 5;

CCharString LocalStamp() {
    const time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    char stamp[kStampLength] = {};
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return stamp;
}

// Moves a companion file (the write-ahead log) along with its database, or
// removes it: left behind, it would be replayed into the fresh database.
void MoveCompanion(const char* from, const CCharString& to, const char* suffix) {
    const fs::path source = std::string(from) + suffix;
    std::error_code error;
    if (!fs::exists(source, error)) {
        return;
    }
    fs::rename(source, std::string(to.GetText()) + suffix, error);
    if (error) {
        fs::remove(source, error);
    }
}

// Whether folder lies on a file system mounted read-only.
bool IsReadOnlyMount(const char* folder) {
    struct statvfs status {};
    return statvfs(folder, &status) == 0 && (status.f_flag & ST_RDONLY) != 0;
}

}  // namespace

CHistoryFile::STATE CHistoryFile::Check(const char* path, const RULES& rules, CCharString& reason) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        return STATE::kMissing;
    }
    // A folder or a pipe in its place would fail or block every read.
    if (!fs::is_regular_file(path, error)) {
        reason = "it is not a file";
        return STATE::kUnreadable;
    }
    // A file that can't be written here is checked as it is, without the
    // journal files that read-only media can't take.
    const bool writable = MayWrite(path);
    sqlite3* opened = nullptr;
    const int status = writable ? sqlite3_open_v2(path, &opened, SQLITE_OPEN_READWRITE, nullptr)
                                : sqlite3_open_v2(ImmutableUri(path).c_str(), &opened,
                                                  SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    DB db(opened);
    if (status != SQLITE_OK) {
        reason = db != nullptr ? sqlite3_errmsg(db.get()) : sqlite3_errstr(status);
        return db != nullptr && IsDamage(db.get()) ? STATE::kUnreadable : STATE::kUnavailable;
    }
    // A lock is waited for only a moment: this runs while the window starts.
    sqlite3_busy_timeout(db.get(), kCheckBusyMs);
    int applicationId = 0, version = 0, objects = 0;
    if (!QueryInt(db.get(), "PRAGMA application_id", applicationId) ||
        !QueryInt(db.get(), "PRAGMA user_version", version) ||
        !QueryInt(db.get(), "SELECT COUNT(*) FROM sqlite_master", objects)) {
        reason = sqlite3_errmsg(db.get());
        return IsDamage(db.get()) ? STATE::kUnreadable : STATE::kUnavailable;
    }
    if (applicationId == 0 && version == 0 && objects == 0) {
        return STATE::kUsable;  // an empty database: the schema is made in it
    }
    if (!CheckApplication(applicationId, version, rules, reason)) {
        return STATE::kUnreadable;
    }
    bool damaged = false;
    bool indexesDamaged = false;
    if (!CheckIntegrity(db.get(), rules.rowsQuery, reason, damaged, indexesDamaged)) {
        return damaged ? STATE::kUnreadable : STATE::kUnavailable;
    }
    // Damaged indexes, or others than the program makes (another program
    // changed them), go; the history makes its own again as it opens.
    const bool remake = indexesDamaged || !IndexesMatch(db.get(), rules);
    if (remake && !writable) {
        reason = "its indexes are damaged";
        return STATE::kUnreadable;
    }
    if (remake && !DropIndexes(db.get(), rules.table, reason, damaged)) {
        return damaged ? STATE::kUnreadable : STATE::kUnavailable;
    }
    return writable ? STATE::kUsable : STATE::kReadOnly;
}

bool CHistoryFile::CheckApplication(int applicationId, int version, const RULES& rules,
                                    CCharString& reason) {
    if (applicationId != rules.applicationId) {
        reason = "it is not a practice history";
        return false;
    }
    if (version != rules.schemaVersion) {
        reason.Format("its layout %d is unknown", version);
        return false;
    }
    return true;
}

bool CHistoryFile::IsDamage(sqlite3* db) {
    const int code = sqlite3_errcode(db) & 0xFF;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB || code == SQLITE_FORMAT ||
           code == SQLITE_SCHEMA || code == SQLITE_ERROR || code == SQLITE_MISMATCH;
}

bool CHistoryFile::MayWrite(const char* path) {
    const fs::path folder = fs::path(path).parent_path();
    return access(path, W_OK) == 0 && access(folder.empty() ? "." : folder.c_str(), W_OK) == 0 &&
           !IsReadOnlyMount(folder.empty() ? "." : folder.c_str());
}

bool CHistoryFile::CheckIntegrity(sqlite3* db, const char* rowsQuery, CCharString& reason,
                                  bool& damaged, bool& indexesDamaged) {
    damaged = false;
    indexesDamaged = false;
    // The whole check, not the quick one: only it compares every index with
    // the rows (about half a second for half a million answers).
    STATEMENT check = Prepare(db, "PRAGMA integrity_check(100)");
    if (check == nullptr) {
        reason = sqlite3_errmsg(db);
        damaged = IsDamage(db);
        return false;
    }
    int problems = 0;
    bool indexesOnly = true;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(check.get())) == SQLITE_ROW) {
        const std::string verdict = ColumnText(check.get(), 0);
        if (verdict == "ok") {
            break;
        }
        // The checker's own words name pages and cells: the log keeps the
        // first of them, the learner is told what they mean.
        if (++problems <= kLoggedProblems) {
            ReportError(kSource, __LINE__, "The practice history failed its check: %s",
                        verdict.c_str());
        }
        indexesOnly = indexesOnly && verdict.find(" index ") != std::string::npos;
    }
    if (step != SQLITE_ROW && step != SQLITE_DONE) {
        reason = sqlite3_errmsg(db);
        damaged = IsDamage(db);
        return false;
    }
    if (problems > 0 && !indexesOnly) {
        reason = "it is damaged";
        damaged = true;
        return false;
    }
    // Indexes that disagree with the rows hold nothing of their own: they
    // are made again from the rows, and no answer is lost.
    indexesDamaged = problems > 0;
    check.reset();
    // The rows must read with the columns this version writes.
    if (Prepare(db, rowsQuery) == nullptr) {
        reason = sqlite3_errmsg(db);
        damaged = IsDamage(db);
        return false;
    }
    return true;
}

bool CHistoryFile::IndexesMatch(sqlite3* db, const RULES& rules) {
    STATEMENT list = Prepare(db,
                             "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1"
                             " ORDER BY name");
    if (list == nullptr ||
        sqlite3_bind_text(list.get(), 1, rules.table, -1, SQLITE_STATIC) != SQLITE_OK) {
        return false;
    }
    size_t found = 0;
    while (sqlite3_step(list.get()) == SQLITE_ROW) {
        const std::string name = ColumnText(list.get(), 0);
        const auto rule = std::find_if(rules.indexes.begin(), rules.indexes.end(),
                                       [&](const INDEX_RULE& index) { return name == index.name; });
        if (rule == rules.indexes.end()) {
            return false;
        }
        STATEMENT columns = Prepare(db, "SELECT name FROM pragma_index_info(?1) ORDER BY seqno");
        if (columns == nullptr ||
            sqlite3_bind_text(columns.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT) != SQLITE_OK) {
            return false;
        }
        std::string joined;
        while (sqlite3_step(columns.get()) == SQLITE_ROW) {
            joined += (joined.empty() ? "" : ",") + ColumnText(columns.get(), 0);
        }
        if (joined != rule->columns) {
            return false;
        }
        ++found;
    }
    return found == rules.indexes.size();
}

bool CHistoryFile::DropIndexes(sqlite3* db, const char* table, CCharString& reason, bool& damaged) {
    damaged = false;
    std::vector<std::string> names;
    {
        STATEMENT list = Prepare(db,
                                 "SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                 "tbl_name = ?1 AND sql IS NOT NULL");
        if (list == nullptr ||
            sqlite3_bind_text(list.get(), 1, table, -1, SQLITE_STATIC) != SQLITE_OK) {
            reason = sqlite3_errmsg(db);
            return false;
        }
        while (sqlite3_step(list.get()) == SQLITE_ROW) {
            names.push_back(ColumnText(list.get(), 0));
        }
    }
    for (const std::string& name : names) {
        std::string drop = "DROP INDEX \"";
        for (const char c : name) {
            drop += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        drop += "\"";
        if (sqlite3_exec(db, drop.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            reason = sqlite3_errmsg(db);
            damaged = IsDamage(db);
            return false;
        }
    }
    ReportError(kSource, __LINE__, "The practice history's indexes are made again from its rows");
    return true;
}

bool CHistoryFile::SetAside(const char* path, const char* reason, CCharString& notice,
                            CCharString& error) {
    CCharString base;
    base.Format("%s.damaged-%s", path, LocalStamp().GetText());
    CCharString aside = base;
    std::error_code failure;
    for (int copy = 2; fs::exists(aside.GetText(), failure); ++copy) {
        aside.Format("%s-%d", base.GetText(), copy);
    }
    fs::rename(path, aside.GetText(), failure);
    if (failure) {
        error.Format("Can't keep the unreadable practice history %s aside: %s", path,
                     failure.message().c_str());
        return false;
    }
    MoveCompanion(path, aside, "-wal");
    MoveCompanion(path, aside, "-journal");
    fs::remove(std::string(path) + "-shm", failure);
    notice.Format(
        "The practice history (%s) could not be read (%s) and was kept as %s; a new history was "
        "started.",
        path, reason, aside.GetText());
    return true;
}

std::string CHistoryFile::ImmutableUri(const char* path) {
    std::string uri = "file:";
    for (const char* at = path; *at != '\0'; ++at) {
        if (*at == '?' || *at == '#' || *at == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(*at));
            uri += escaped;
        } else {
            uri += *at;
        }
    }
    return uri + "?immutable=1";
}

CHistoryFile::STATEMENT CHistoryFile::Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return STATEMENT(statement);
}

bool CHistoryFile::QueryInt(sqlite3* db, const char* sql, int& value) {
    STATEMENT query = Prepare(db, sql);
    if (query == nullptr || sqlite3_step(query.get()) != SQLITE_ROW) {
        return false;
    }
    value = sqlite3_column_int(query.get(), 0);
    return true;
}

std::string CHistoryFile::ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}
