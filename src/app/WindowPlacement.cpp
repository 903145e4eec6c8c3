#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

// Worked out on 64 bits: saved rectangles may hold any number.
bool CWindowPlacement::Meets(const WINDOW_RECT& a, const WINDOW_RECT& b) {
    const int64_t aRight = int64_t{a.left} + a.width, bRight = int64_t{b.left} + b.width;
    const int64_t aBottom = int64_t{a.top} + a.height, bBottom = int64_t{b.top} + b.height;
    return a.left < bRight && b.left < aRight && a.top < bBottom && b.top < aBottom;
}

bool CWindowPlacement::BringBack(IWindow& shown, const WINDOW_RECT& main) {
    WINDOW_RECT rect = shown.GetRect();
    if (Meets(rect, main) && rect.width >= kMinimumSide && rect.height >= kMinimumSide) {
        return false;
    }
    const int64_t left = int64_t{main.left} + (int64_t{main.width} - rect.width) / 2;
    const int64_t top = int64_t{main.top} + (int64_t{main.height} - rect.height) / 2;
    rect.left = static_cast<int>(std::clamp<int64_t>(left, 0, INT32_MAX));
    rect.top = static_cast<int>(std::clamp<int64_t>(top, 0, INT32_MAX));
    shown.SetRect(rect);
    return true;
}
