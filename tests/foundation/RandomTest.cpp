#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <set>
#include <vector>

#include "foundation/Random.h"

TEST(Random, ReversedBoundsGiveEveryValueBetweenThem) {
    SeedRandom(1);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int value = Random(5, 1);
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 5);
        seen.insert(value);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(Random(3, 3), 3);
}

TEST(Random, RangesAtTheEndsOfIntStayInsideWithoutOverflow) {
    SeedRandom(2);
    EXPECT_EQ(Random(INT_MIN, INT_MIN), INT_MIN);
    EXPECT_EQ(Random(INT_MAX, INT_MAX), INT_MAX);
    bool negative = false;
    bool positive = false;
    for (int i = 0; i < 2000; ++i) {
        ASSERT_GE(Random(INT_MAX - 1, INT_MAX), INT_MAX - 1);
        ASSERT_LE(Random(INT_MIN, INT_MIN + 1), INT_MIN + 1);
        const int value = Random(INT_MAX, INT_MIN);
        negative = negative || value < 0;
        positive = positive || value > 0;
    }
    EXPECT_TRUE(negative);
    EXPECT_TRUE(positive);
}

TEST(Random, SameSeedGivesTheSameSequence) {
    SeedRandom(1234);
    std::vector<int> first;
    for (int i = 0; i < 20; ++i) {
        first.push_back(Random(0, 1000000));
    }
    SeedRandom(1234);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(Random(0, 1000000), first[i]) << i;
    }
}

TEST(Random, RandomDoubleStaysWithinReversedBoundsAndTheWholeRangeStaysFinite) {
    SeedRandom(3);
    double smallest = 10.0;
    double largest = -10.0;
    for (int i = 0; i < 2000; ++i) {
        const double value = RandomDouble(2.0, -1.0);
        ASSERT_GE(value, -1.0);
        ASSERT_LE(value, 2.0);
        smallest = std::min(smallest, value);
        largest = std::max(largest, value);
    }
    EXPECT_LT(smallest, -0.9);
    EXPECT_GT(largest, 1.9);
    EXPECT_EQ(RandomDouble(0.5, 0.5), 0.5);
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(std::isfinite(RandomDouble(-DBL_MAX, DBL_MAX)));
    }
}
