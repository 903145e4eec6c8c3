#include "foundation/Colors.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t ClampComponent(int64_t value) {
    return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
}

// numerator / denominator rounded to the nearest integer, halves away from
// zero; exact integer arithmetic so results do not depend on floating point.
int64_t RoundDiv(int64_t numerator, int64_t denominator) {
    if (numerator < 0) {
        return -RoundDiv(-numerator, denominator);
    }
    return (2 * numerator + denominator) / (2 * denominator);
}

int Largest(const COLOR_RGB& color) {
    return std::max({color.red, color.green, color.blue});
}

// Every component times numerator/denominator, rounded and clamped.
COLOR_RGB Multiply(const COLOR_RGB& color, int64_t numerator, int64_t denominator) {
    return {ClampComponent(RoundDiv(color.red * numerator, denominator)),
            ClampComponent(RoundDiv(color.green * numerator, denominator)),
            ClampComponent(RoundDiv(color.blue * numerator, denominator))};
}

uint8_t Pull(uint8_t component, int target, int level) {
    return ClampComponent(component + RoundDiv(int64_t{target - component} * level, 255));
}

uint8_t RampComponent(uint8_t start, int64_t index, int step) {
    return ClampComponent(start + index * step);
}

}  // namespace

uint32_t ToArgb(const COLOR_RGB& color, uint8_t alpha) {
    return (static_cast<uint32_t>(alpha) << 24) | (static_cast<uint32_t>(color.red) << 16) |
           (static_cast<uint32_t>(color.green) << 8) | color.blue;
}

COLOR_RGB FromArgb(uint32_t argb) {
    return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
            static_cast<uint8_t>(argb)};
}

COLOR_RGB ScaleColor(const COLOR_RGB& color, int level) {
    return Multiply(color, level, 255);
}

COLOR_RGB ScaleColorToMax(const COLOR_RGB& color, int maximum) {
    const int largest = Largest(color);
    if (largest == 0) {
        return color;
    }
    return Multiply(color, std::clamp(maximum, 0, 255), largest);
}

COLOR_RGB LightenColor(const COLOR_RGB& color, int percent) {
    const int largest = Largest(color);
    const int64_t grown = largest + RoundDiv(int64_t{largest} * percent, 100);
    return ScaleColorToMax(color, ClampComponent(grown));
}

COLOR_RGB PullTowardsMax(const COLOR_RGB& color, int level) {
    const int largest = Largest(color);
    const int amount = std::clamp(level, 0, 255);
    return {Pull(color.red, largest, amount), Pull(color.green, largest, amount),
            Pull(color.blue, largest, amount)};
}

bool FillColorRamp(CVarList<COLOR_RGB>& ramp, const COLOR_RGB& start, int count, int stepRed,
                   int stepGreen, int stepBlue) {
    if (count < 0) {
        return false;
    }
    ramp.RemoveAll();
    if (!ramp.SetCapacity(count)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const COLOR_RGB entry = {RampComponent(start.red, i, stepRed),
                                 RampComponent(start.green, i, stepGreen),
                                 RampComponent(start.blue, i, stepBlue)};
        if (!ramp.Add(entry)) {
            return false;
        }
    }
    return true;
}

namespace {

// The stops of the accuracy scale, from none right to all right.
constexpr COLOR_RGB kMissedColor{0xD0, 0x34, 0x2C};
constexpr COLOR_RGB kHalfColor{0xF0, 0xC4, 0x30};
constexpr COLOR_RGB kMasteredColor{0x34, 0xA8, 0x4C};

uint8_t Mix(uint8_t from, uint8_t to, double share) {
    return static_cast<uint8_t>(std::lround(from + (to - from) * share));
}

COLOR_RGB MixColor(const COLOR_RGB& from, const COLOR_RGB& to, double share) {
    return COLOR_RGB{Mix(from.red, to.red, share), Mix(from.green, to.green, share),
                     Mix(from.blue, to.blue, share)};
}

}  // namespace

uint32_t AccuracyArgb(double rightFraction) {
    // NaN compares false everywhere and counts as none right.
    const double share = rightFraction > 0.0 ? std::min(rightFraction, 1.0) : 0.0;
    constexpr double kHalf = 0.5;
    const COLOR_RGB color = share < kHalf
                                ? MixColor(kMissedColor, kHalfColor, share / kHalf)
                                : MixColor(kHalfColor, kMasteredColor, (share - kHalf) / kHalf);
    return ToArgb(color);
}
