#pragma once

#include <cstdint>

#include "foundation/VarList.h"

// A colour as 8-bit red, green and blue components.
struct COLOR_RGB {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline bool operator==(const COLOR_RGB& a, const COLOR_RGB& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator!=(const COLOR_RGB& a, const COLOR_RGB& b) {
    return !(a == b);
}

// The 32-bit ARGB value of color (alpha in the top byte).
uint32_t ToArgb(const COLOR_RGB& color, uint8_t alpha = 255);
// The red, green and blue bytes of a 32-bit ARGB value.
COLOR_RGB FromArgb(uint32_t argb);

// Every component times level/255, rounded and clamped to 0..255.
COLOR_RGB ScaleColor(const COLOR_RGB& color, int level);

// Scaled so that its largest component becomes maximum (clamped to 0..255);
// black has no direction to scale in and stays black.
COLOR_RGB ScaleColorToMax(const COLOR_RGB& color, int maximum);

// Brighter by percent: the largest component grows by largest*percent/100
// (rounded, clamped to 0..255) and the others keep their proportion to it.
// A negative percent darkens.
COLOR_RGB LightenColor(const COLOR_RGB& color, int percent);

// Each component moved towards the largest one by level/255 (level clamped to
// 0..255): 0 keeps the colour, 255 gives the grey of the largest component.
COLOR_RGB PullTowardsMax(const COLOR_RGB& color, int level);

// The colour of a share of right answers (clamped to 0..1), as opaque ARGB:
// red for none, yellow for half, green for all.
uint32_t AccuracyArgb(double rightFraction);

// Replaces ramp with count colours: entry i is start plus i times the step of
// each component, clamped to 0..255. False for a negative count or when
// memory runs out.
bool FillColorRamp(CVarList<COLOR_RGB>& ramp, const COLOR_RGB& start, int count, int stepRed,
                   int stepGreen, int stepBlue);
