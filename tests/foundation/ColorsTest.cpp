#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "foundation/Colors.h"

namespace {

std::ostream& operator<<(std::ostream& out, const COLOR_RGB& color) {
    return out << "(" << int(color.red) << "," << int(color.green) << "," << int(color.blue) << ")";
}

}  // namespace

// Found by argument-dependent lookup for gtest's messages.
void PrintTo(const COLOR_RGB& color, std::ostream* out) {
    *out << color;
}

TEST(Colors, ArgbKeepsAlphaInTheTopByte) {
    const COLOR_RGB color = {0x12, 0x34, 0x56};
    EXPECT_EQ(ToArgb(color), 0xFF123456u);
    EXPECT_EQ(ToArgb(color, 0x80), 0x80123456u);
    EXPECT_EQ(FromArgb(0x00ABCDEFu), (COLOR_RGB{0xAB, 0xCD, 0xEF}));
}

TEST(Colors, ScaleRoundsToTheNearestValueAndClampsAtBothEnds) {
    EXPECT_EQ(ScaleColor({255, 128, 1}, 128), (COLOR_RGB{128, 64, 1}));
    EXPECT_EQ(ScaleColor({200, 100, 0}, 255), (COLOR_RGB{200, 100, 0}));
    EXPECT_EQ(ScaleColor({200, 100, 50}, 510), (COLOR_RGB{255, 200, 100}));
    EXPECT_EQ(ScaleColor({200, 100, 50}, INT_MAX), (COLOR_RGB{255, 255, 255}));
    EXPECT_EQ(ScaleColor({200, 100, 50}, -10), (COLOR_RGB{0, 0, 0}));
}

TEST(Colors, ScaleToMaxMakesTheLargestComponentTheGivenValue) {
    EXPECT_EQ(ScaleColorToMax({100, 50, 25}, 200), (COLOR_RGB{200, 100, 50}));
    EXPECT_EQ(ScaleColorToMax({200, 100, 51}, 100), (COLOR_RGB{100, 50, 26}));
    EXPECT_EQ(ScaleColorToMax({100, 50, 25}, 1000), (COLOR_RGB{255, 128, 64}));
    EXPECT_EQ(ScaleColorToMax({100, 50, 25}, -5), (COLOR_RGB{0, 0, 0}));
    EXPECT_EQ(ScaleColorToMax({0, 0, 0}, 200), (COLOR_RGB{0, 0, 0}));  // no division by zero
}

TEST(Colors, LightenGrowsTheLargestByThePercentageAndStopsAtWhiteAndBlack) {
    EXPECT_EQ(LightenColor({100, 50, 0}, 50), (COLOR_RGB{150, 75, 0}));
    EXPECT_EQ(LightenColor({100, 50, 0}, 0), (COLOR_RGB{100, 50, 0}));
    EXPECT_EQ(LightenColor({100, 50, 0}, -50), (COLOR_RGB{50, 25, 0}));
    EXPECT_EQ(LightenColor({200, 100, 40}, 100), (COLOR_RGB{255, 128, 51}));
    EXPECT_EQ(LightenColor({200, 100, 40}, INT_MAX), (COLOR_RGB{255, 128, 51}));
    EXPECT_EQ(LightenColor({200, 100, 40}, INT_MIN), (COLOR_RGB{0, 0, 0}));
    EXPECT_EQ(LightenColor({0, 0, 0}, 50), (COLOR_RGB{0, 0, 0}));
}

TEST(Colors, PullMovesComponentsTowardsTheLargestWithAClampedLevel) {
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 0), (COLOR_RGB{200, 100, 0}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 255), (COLOR_RGB{200, 200, 200}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 128), (COLOR_RGB{200, 150, 100}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 1000), (COLOR_RGB{200, 200, 200}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, -1000), (COLOR_RGB{200, 100, 0}));
}

TEST(Colors, RampStepsFromTheStartAndClampsInsteadOfWrapping) {
    CVarList<COLOR_RGB> ramp(8);
    ASSERT_TRUE(FillColorRamp(ramp, {250, 5, 100}, 4, 3, -2, 0));
    ASSERT_EQ(ramp.GetCount(), 4);
    const COLOR_RGB steps[] = {{250, 5, 100}, {253, 3, 100}, {255, 1, 100}, {255, 0, 100}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(*ramp.GetAt(i), steps[i]) << i;
    }
    ASSERT_TRUE(FillColorRamp(ramp, {10, 10, 10}, 3, INT_MAX, INT_MIN, 256));
    ASSERT_EQ(ramp.GetCount(), 3);  // replaces the earlier contents
    EXPECT_EQ(*ramp.GetAt(2), (COLOR_RGB{255, 0, 255}));
    ASSERT_TRUE(FillColorRamp(ramp, {9, 9, 9}, 0, 0, 0, 0));
    EXPECT_EQ(ramp.GetCount(), 0);
    EXPECT_FALSE(FillColorRamp(ramp, {0, 0, 0}, -1, 1, 1, 1));
}
