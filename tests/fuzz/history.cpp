// The practice history on arbitrary bytes found as its database file at the
// start: the checks, the setting aside of a damaged file, the queries the
// drill and the progress window run, and one answer written and read back.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "history/PracticeHistory.h"

namespace {

constexpr int kBusyMs = 10;
constexpr double kNow = 1.8e9;
constexpr int kDays = 30;

PRACTICE_ROW Answer() {
    PRACTICE_ROW row;
    row.time = kNow;
    row.lesson = "Fuzz";
    row.expected = 60;
    row.spelling = "C4";
    row.played = 60;
    row.rightFirstTry = true;
    row.reaction = 0.5;
    return row;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzFile file("History.db");
    file.Clear();
    if (!file.Write(data, size)) {
        return 0;
    }
    CPracticeHistory history;
    history.SetBusyTimeout(kBusyMs);
    if (!history.Open(file.GetPath())) {
        return 0;
    }
    std::vector<PRACTICE_NOTE_STATS> stats;
    history.GetNoteStats(stats);
    std::vector<PRACTICE_DAY> days;
    history.GetDays(kDays, kNow, days);
    std::vector<PRACTICE_ROW> rows;
    history.GetRowsSince(0.0, rows);
    // A history that took the answer must give it back.
    if (history.Add(Answer()) && history.Flush()) {
        rows.clear();
        if (!history.GetRowsSince(kNow, rows) || rows.empty()) {
            __builtin_trap();
        }
    }
    history.Close();
    return 0;
}
