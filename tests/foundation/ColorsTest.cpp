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

TEST(Colors, ScaleRoundsToTheNearestValue) {
    EXPECT_EQ(ScaleColor({255, 128, 1}, 128), (COLOR_RGB{128, 64, 1}));
    EXPECT_EQ(ScaleColor({200, 100, 0}, 255), (COLOR_RGB{200, 100, 0}));
}

TEST(Colors, ScaleClampsAtBothEnds) {
    EXPECT_EQ(ScaleColor({200, 100, 50}, 510), (COLOR_RGB{255, 200, 100}));
    EXPECT_EQ(ScaleColor({200, 100, 50}, INT_MAX), (COLOR_RGB{255, 255, 255}));
    EXPECT_EQ(ScaleColor({200, 100, 50}, -10), (COLOR_RGB{0, 0, 0}));
    EXPECT_EQ(ScaleColor({200, 100, 50}, 0), (COLOR_RGB{0, 0, 0}));
}

TEST(Colors, ScaleToMaxMakesTheLargestComponentTheGivenValue) {
    EXPECT_EQ(ScaleColorToMax({100, 50, 25}, 200), (COLOR_RGB{200, 100, 50}));
    EXPECT_EQ(ScaleColorToMax({200, 100, 51}, 100), (COLOR_RGB{100, 50, 26}));
    EXPECT_EQ(ScaleColorToMax({100, 50, 25}, 1000), (COLOR_RGB{255, 128, 64}));
    EXPECT_EQ(ScaleColorToMax({100, 50, 25}, -5), (COLOR_RGB{0, 0, 0}));
}

TEST(Colors, ScaleToMaxLeavesBlackBlack) {
    EXPECT_EQ(ScaleColorToMax({0, 0, 0}, 200), (COLOR_RGB{0, 0, 0}));
}

TEST(Colors, LightenGrowsTheLargestByThePercentage) {
    EXPECT_EQ(LightenColor({100, 50, 0}, 50), (COLOR_RGB{150, 75, 0}));
    EXPECT_EQ(LightenColor({100, 50, 0}, 0), (COLOR_RGB{100, 50, 0}));
    EXPECT_EQ(LightenColor({100, 50, 0}, -50), (COLOR_RGB{50, 25, 0}));
}

TEST(Colors, LightenStopsAtWhiteAndAtBlack) {
    EXPECT_EQ(LightenColor({200, 100, 40}, 100), (COLOR_RGB{255, 128, 51}));
    EXPECT_EQ(LightenColor({200, 100, 40}, INT_MAX), (COLOR_RGB{255, 128, 51}));
    EXPECT_EQ(LightenColor({200, 100, 40}, -100), (COLOR_RGB{0, 0, 0}));
    EXPECT_EQ(LightenColor({200, 100, 40}, INT_MIN), (COLOR_RGB{0, 0, 0}));
    EXPECT_EQ(LightenColor({0, 0, 0}, 50), (COLOR_RGB{0, 0, 0}));
}

TEST(Colors, PullMovesComponentsTowardsTheLargest) {
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 0), (COLOR_RGB{200, 100, 0}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 255), (COLOR_RGB{200, 200, 200}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 128), (COLOR_RGB{200, 150, 100}));
}

TEST(Colors, PullLevelOutsideTheByteRangeIsClamped) {
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, 1000), (COLOR_RGB{200, 200, 200}));
    EXPECT_EQ(PullTowardsMax({200, 100, 0}, -1000), (COLOR_RGB{200, 100, 0}));
}

TEST(Colors, RampStepsFromTheStartAndClampsAtTheEdges) {
    CVarList<COLOR_RGB> ramp(8);
    ASSERT_TRUE(FillColorRamp(ramp, {250, 5, 100}, 4, 3, -2, 0));
    ASSERT_EQ(ramp.GetCount(), 4);
    EXPECT_EQ(*ramp.GetAt(0), (COLOR_RGB{250, 5, 100}));
    EXPECT_EQ(*ramp.GetAt(1), (COLOR_RGB{253, 3, 100}));
    EXPECT_EQ(*ramp.GetAt(2), (COLOR_RGB{255, 1, 100}));
    EXPECT_EQ(*ramp.GetAt(3), (COLOR_RGB{255, 0, 100}));
}

TEST(Colors, RampReplacesEarlierContents) {
    CVarList<COLOR_RGB> ramp(8);
    ASSERT_TRUE(FillColorRamp(ramp, {0, 0, 0}, 5, 1, 1, 1));
    ASSERT_TRUE(FillColorRamp(ramp, {9, 9, 9}, 2, 0, 0, 0));
    EXPECT_EQ(ramp.GetCount(), 2);
    ASSERT_TRUE(FillColorRamp(ramp, {9, 9, 9}, 0, 0, 0, 0));
    EXPECT_EQ(ramp.GetCount(), 0);
}

TEST(Colors, RampWithHugeStepsClampsInsteadOfWrapping) {
    CVarList<COLOR_RGB> ramp(8);
    ASSERT_TRUE(FillColorRamp(ramp, {10, 10, 10}, 3, INT_MAX, INT_MIN, 256));
    EXPECT_EQ(*ramp.GetAt(2), (COLOR_RGB{255, 0, 255}));
}

TEST(Colors, RampRefusesANegativeCount) {
    CVarList<COLOR_RGB> ramp(8);
    EXPECT_FALSE(FillColorRamp(ramp, {0, 0, 0}, -1, 1, 1, 1));
}
