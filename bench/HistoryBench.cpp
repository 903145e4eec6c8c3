// Times the practice history and the drill schedule on a history of 100,000
// judged notes: drawing the next note over a piano's 88 keys and adding one
// row on the caller's thread (median and 99th percentile in microseconds),
// and reading the statistics of every note (best of several runs). Then the
// start of a session on it: opening it, with its whole check, beside the
// quick and the whole check alone.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <sqlite3.h>

#include "BestTime.h"
#include "exercise/DrillSchedule.h"
#include "foundation/Random.h"
#include "history/PracticeHistory.h"
#include "theory/Note.h"

namespace {

constexpr int kRows = 100000;
constexpr int kDraws = 100000;
constexpr int kAdds = 20000;
constexpr int kStatsRuns = 10;
constexpr int kOpenRuns = 3;
constexpr int kLowestKey = 21;  // A0
constexpr int kKeys = 88;
constexpr double kStart = 1700000000.0;
constexpr double kRowSpacing = 2.5;  // seconds between judged notes
constexpr int kMissEvery = 5;
constexpr int kSlowEvery = 7;
constexpr double kQuick = 0.9;
constexpr double kSlow = 2.6;
constexpr double kMedian = 0.5;
constexpr double kHigh = 0.99;
constexpr unsigned kSeed = 88;

PRACTICE_ROW MakeRow(int i) {
    PRACTICE_ROW row;
    row.time = kStart + i * kRowSpacing;
    row.lesson = "Grand staff, all keys";
    row.expected = kLowestKey + i % kKeys;
    row.spelling = "C#4";
    row.clef = row.expected < 60 ? PRACTICE_CLEF_BASS : PRACTICE_CLEF_TREBLE;
    row.played = row.expected;
    row.source = SOURCE_MIDI_INPUT;
    row.rightFirstTry = i % kMissEvery != 0;
    row.wrongPresses = row.rightFirstTry ? 0 : 1;
    row.reaction = i % kSlowEvery == 0 ? kSlow : kQuick;
    return row;
}

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration took) {
    return std::chrono::duration<double, std::micro>(took).count();
}

// The value below which share of the timings lie.
double Percentile(std::vector<double> timings, double share) {
    std::sort(timings.begin(), timings.end());
    const auto index = static_cast<size_t>(share * static_cast<double>(timings.size()));
    return timings[std::min(index, timings.size() - 1)];
}

void PrintTimings(const char* what, const std::vector<double>& timings) {
    std::printf("%s: median %.2f us, 99th percentile %.2f us (%zu runs)\n", what,
                Percentile(timings, kMedian), Percentile(timings, kHigh), timings.size());
}

bool TimeDraws(CPracticeHistory& history) {
    CDrillSchedule schedule;
    std::vector<int> keys;
    for (int key = kLowestKey; key < kLowestKey + kKeys; ++key) {
        keys.push_back(key);
    }
    const auto loadStart = Clock::now();
    std::vector<PRACTICE_NOTE_STATS> stats;
    if (!schedule.SetCandidates(keys) || !history.GetNoteStats(stats)) {
        std::fprintf(stderr, "%s\n",
                     *schedule.GetError() ? schedule.GetError() : history.GetError());
        return false;
    }
    schedule.LoadFrom(stats);
    std::printf("drill schedule loaded from the history: %.2f ms\n",
                Microseconds(Clock::now() - loadStart) / 1000.0);
    std::vector<double> timings;
    timings.reserve(kDraws);
    for (int i = 0; i < kDraws; ++i) {
        int note = 0;
        const auto start = Clock::now();
        const bool drawn = schedule.Next(note);
        timings.push_back(Microseconds(Clock::now() - start));
        if (!drawn) {
            std::fprintf(stderr, "%s\n", schedule.GetError());
            return false;
        }
        schedule.Record(note, i % kMissEvery != 0, i % kSlowEvery == 0 ? kSlow : kQuick);
    }
    PrintTimings("draw the next note of 88", timings);
    return true;
}

bool TimeAdds(CPracticeHistory& history) {
    std::vector<double> timings;
    timings.reserve(kAdds);
    for (int i = 0; i < kAdds; ++i) {
        const PRACTICE_ROW row = MakeRow(kRows + i);
        const auto start = Clock::now();
        const bool added = history.Add(row);
        timings.push_back(Microseconds(Clock::now() - start));
        if (!added) {
            std::fprintf(stderr, "%s\n", history.GetError());
            return false;
        }
    }
    if (!history.Flush()) {
        std::fprintf(stderr, "%s\n", history.GetError());
        return false;
    }
    PrintTimings("add one row", timings);
    return true;
}

// Runs a check pragma on its own connection; false when it fails.
bool RunCheck(const std::string& path, const char* pragma) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, pragma, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool TimeOpen(const std::string& path) {
    const double quickMs =
        BestMilliseconds(kOpenRuns, [&] { return RunCheck(path, "PRAGMA quick_check"); });
    const double wholeMs =
        BestMilliseconds(kOpenRuns, [&] { return RunCheck(path, "PRAGMA integrity_check"); });
    const double openMs = BestMilliseconds(kOpenRuns, [&] {
        CPracticeHistory history;
        const bool opened = history.Open(path.c_str());
        history.Close();
        return opened;
    });
    if (quickMs < 0 || wholeMs < 0 || openMs < 0) {
        std::fprintf(stderr, "Can't check or open %s\n", path.c_str());
        return false;
    }
    std::printf("start of a session on %d rows: open %.1f ms; quick check %.1f ms, whole check "
                "%.1f ms (best of %d)\n",
                kRows + kAdds, openMs, quickMs, wholeMs, kOpenRuns);
    return true;
}

bool Run(const std::string& path) {
    CPracticeHistory history;
    if (!history.Open(path.c_str())) {
        std::fprintf(stderr, "%s\n", history.GetError());
        return false;
    }
    for (int i = 0; i < kRows; ++i) {
        history.Add(MakeRow(i));
    }
    if (!history.Flush()) {
        std::fprintf(stderr, "%s\n", history.GetError());
        return false;
    }
    std::printf("practice history of %d rows\n", kRows);
    std::vector<PRACTICE_NOTE_STATS> stats;
    const double statsMs =
        BestMilliseconds(kStatsRuns, [&] { return history.GetNoteStats(stats); });
    if (statsMs < 0) {
        std::fprintf(stderr, "%s\n", history.GetError());
        return false;
    }
    std::printf("statistics of %zu notes over %d rows: %.2f ms (best of %d runs)\n", stats.size(),
                kRows, statsMs, kStatsRuns);
    if (!TimeDraws(history) || !TimeAdds(history)) {
        return false;
    }
    history.Close();
    return TimeOpen(path);
}

}  // namespace

int main() {
    SeedRandom(kSeed);
    std::string folder = "/tmp/notara-history-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "Can't make a folder for the practice history\n");
        return 1;
    }
    const bool ran = Run(folder + "/history.db");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return ran ? 0 : 1;
}
