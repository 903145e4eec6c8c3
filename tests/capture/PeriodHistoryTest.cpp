#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "capture/PeriodHistory.h"

namespace {

constexpr int64_t kHop = 128;
constexpr double kNoiseDb = -60.0;

// Adds hops of (dip, level) ending at kHop, 2·kHop, ...; returns the last end.
int64_t AddHops(CPeriodHistory& history, const std::vector<std::pair<double, double>>& hops) {
    int64_t end = 0;
    for (const auto& [dip, levelDb] : hops) {
        end += kHop;
        history.Add(end, dip, levelDb);
    }
    return end;
}

}  // namespace

TEST(PeriodHistory, FindsWhereANewSoundFirstTroubledTheNote) {
    CPeriodHistory history;
    // Clear for eight hops, then troubled from the ninth on while the level
    // holds; a clear hop inside the run does not end it.
    std::vector<std::pair<double, double>> hops(8, {0.01, -20});
    hops.insert(hops.end(), {{0.08, -21}, {0.04, -20}, {0.12, -19}, {0.30, -18}, {0.60, -17}});
    const int64_t last = AddHops(history, hops);
    EXPECT_EQ(history.TroubledSince(last, kNoiseDb), 9 * kHop);
    // Asked from an earlier hop, only the hops up to it count.
    EXPECT_EQ(history.TroubledSince(11 * kHop, kNoiseDb), 9 * kHop);
}

TEST(PeriodHistory, JudgesTroubleAgainstTheNotesUsualDip) {
    CPeriodHistory history;
    // Beating voices: the period never repeats better than 0.06-0.1, and
    // only the last three hops stand well above that.
    std::vector<std::pair<double, double>> hops;
    for (int i = 0; i < 20; ++i) {
        hops.push_back({i % 2 == 0 ? 0.06 : 0.1, -20});
    }
    hops.insert(hops.end(), {{0.35, -20}, {0.5, -19}, {0.8, -18}});
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops), kNoiseDb), 21 * kHop);
}

TEST(PeriodHistory, FindsNothingInANoteDyingAway) {
    CPeriodHistory history;
    // The period frays as the level falls: no new sound began.
    std::vector<std::pair<double, double>> hops(8, {0.01, -15});
    hops.insert(hops.end(), {{0.08, -18}, {0.15, -22}, {0.30, -27}, {0.50, -30}});
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops), kNoiseDb), -1);
    // Its period frays only once it has fallen a way: the fall counts from
    // the clear hops before.
    history.Clear();
    hops.assign(8, {0.01, -10});
    hops.insert(
        hops.end(),
        {{0.01, -12}, {0.02, -14}, {0.02, -16}, {0.08, -20}, {0.1, -24}, {0.07, -27}, {0.2, -26}});
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops), kNoiseDb), -1);
}

TEST(PeriodHistory, FindsNothingWhereTheNoteLayCloseToTheNoise) {
    CPeriodHistory history;
    // The level holds, but the noise lies only 12 dB under it.
    std::vector<std::pair<double, double>> hops(8, {0.01, -40});
    hops.insert(hops.end(), {{0.08, -41}, {0.1, -40}, {0.2, -40}});
    const int64_t last = AddHops(history, hops);
    EXPECT_EQ(history.TroubledSince(last, -52.0), -1);
    EXPECT_EQ(history.TroubledSince(last, kNoiseDb), 9 * kHop);
}

TEST(PeriodHistory, FindsNothingWithoutClearHopsBeforeTheTrouble) {
    CPeriodHistory history;
    std::vector<std::pair<double, double>> hops(CPeriodHistory::kMostHops + 5, {0.2, -20});
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops), kNoiseDb), -1);
    history.Clear();
    EXPECT_EQ(history.TroubledSince(1000, kNoiseDb), -1);
}
