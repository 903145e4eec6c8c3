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
    // Clear, then troubled from the fifth hop on while the level holds; a
    // clear hop inside the run does not end it.
    const int64_t last = AddHops(history, {{0.01, -20},
                                           {0.02, -20},
                                           {0.01, -21},
                                           {0.01, -20},
                                           {0.08, -21},
                                           {0.04, -20},
                                           {0.12, -19},
                                           {0.30, -18},
                                           {0.60, -17}});
    EXPECT_EQ(history.TroubledSince(last, kNoiseDb), 5 * kHop);
    // Asked from an earlier hop, only the hops up to it count.
    EXPECT_EQ(history.TroubledSince(7 * kHop, kNoiseDb), 5 * kHop);
}

TEST(PeriodHistory, FindsNothingInANoteDyingAway) {
    CPeriodHistory history;
    // The period frays as the level falls: no new sound began.
    const int64_t last = AddHops(history, {{0.01, -15},
                                           {0.01, -15},
                                           {0.02, -16},
                                           {0.08, -18},
                                           {0.15, -22},
                                           {0.30, -27},
                                           {0.50, -30}});
    EXPECT_EQ(history.TroubledSince(last, kNoiseDb), -1);
}

TEST(PeriodHistory, FindsNothingWhereTheNoteLayCloseToTheNoise) {
    CPeriodHistory history;
    // The level holds, but the noise lies only 12 dB under it.
    const std::vector<std::pair<double, double>> hops = {{0.01, -40}, {0.02, -40}, {0.01, -41},
                                                         {0.08, -41}, {0.1, -40},  {0.2, -40}};
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops), -52.0), -1);
    EXPECT_EQ(history.TroubledSince(6 * kHop, kNoiseDb), 4 * kHop);
}

TEST(PeriodHistory, FindsNothingWithoutClearHopsBeforeTheTrouble) {
    CPeriodHistory history;
    std::vector<std::pair<double, double>> hops(CPeriodHistory::kMostHops + 5, {0.2, -20});
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops), kNoiseDb), -1);
    history.Clear();
    EXPECT_EQ(history.TroubledSince(1000, kNoiseDb), -1);
}
