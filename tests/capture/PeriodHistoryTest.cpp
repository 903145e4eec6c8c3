#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "capture/PeriodHistory.h"

namespace {

constexpr int64_t kHop = 128;

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
    EXPECT_EQ(history.TroubledSince(last), 5 * kHop);
    // Asked from an earlier hop, only the hops up to it count.
    EXPECT_EQ(history.TroubledSince(7 * kHop), 5 * kHop);
}

TEST(PeriodHistory, FindsNothingInANoteFadingIntoNoise) {
    CPeriodHistory history;
    // The period drowns as the level falls: no new sound began.
    const int64_t last = AddHops(history, {{0.01, -15},
                                           {0.01, -15},
                                           {0.02, -16},
                                           {0.08, -18},
                                           {0.15, -22},
                                           {0.30, -27},
                                           {0.50, -30}});
    EXPECT_EQ(history.TroubledSince(last), -1);
}

TEST(PeriodHistory, FindsNothingWithoutClearHopsBeforeTheTrouble) {
    CPeriodHistory history;
    std::vector<std::pair<double, double>> hops(CPeriodHistory::kMostHops + 5, {0.2, -20});
    EXPECT_EQ(history.TroubledSince(AddHops(history, hops)), -1);
    history.Clear();
    EXPECT_EQ(history.TroubledSince(1000), -1);
}
