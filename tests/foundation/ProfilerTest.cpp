#include <gtest/gtest.h>

#include "foundation/Profiler.h"
#include "platform/null/NullClock.h"

TEST(Profiler, AccumulatesCountMeanAndMaximum) {
    CNullClock clock;
    CProfiler profiler("Frame");
    for (double seconds : {0.010, 0.030, 0.020}) {
        profiler.Begin();
        clock.Advance(seconds);
        profiler.End();
    }
    profiler.End();  // without Begin: ignored
    EXPECT_EQ(profiler.GetCount(), 3u);
    EXPECT_NEAR(profiler.GetMeanSeconds(), 0.020, 1e-9);
    EXPECT_NEAR(profiler.GetMaxSeconds(), 0.030, 1e-9);
    CCharString text;
    EXPECT_STREQ(profiler.Describe(text), "Frame: 3 calls, mean 20.000 ms, max 30.000 ms");
    profiler.Reset();
    EXPECT_EQ(profiler.GetCount(), 0u);
    EXPECT_EQ(profiler.GetMeanSeconds(), 0.0);
}
