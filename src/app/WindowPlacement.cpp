#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

// Worked out on 64 bits: saved rectangles may hold any number.
bool CWindowPlacement::Meets(const WINDOW_RECT& a, const WINDOW_RECT& b) {
    const int64_t aRight = int64_t{a.left} + a.width, bRight = int64_t{b.left} + b.width;
    const int64_t aBottom = int64_t{a.top} + a.height, bBottom = int64_t{b.top} + b.height;
    return a.left < bRight && b.left < aRight && a.top < bBottom && b.top < aBottom;
}

bool CWindowPlacement::BringBack(IWindow& shown, const WINDOW_RECT& main,
                                 const std::vector<WINDOW_RECT>& screens) {
    WINDOW_RECT rect = shown.GetRect();
    const bool onScreen =
        std::any_of(screens.begin(), screens.end(),
                    [&rect](const WINDOW_RECT& screen) { return Overlaps(rect, screen); });
    if (onScreen && rect.width >= kMinimumSide && rect.height >= kMinimumSide) {
        return false;
    }
    const int64_t left = int64_t{main.left} + (int64_t{main.width} - rect.width) / 2;
    const int64_t top = int64_t{main.top} + (int64_t{main.height} - rect.height) / 2;
    rect.left = static_cast<int>(std::clamp<int64_t>(left, 0, INT32_MAX));
    rect.top = static_cast<int>(std::clamp<int64_t>(top, 0, INT32_MAX));
    shown.SetRect(rect);
    return true;
}

bool CWindowPlacement::Overlaps(const WINDOW_RECT& a, const WINDOW_RECT& b) {
    const int64_t left = std::max<int64_t>(a.left, b.left);
    const int64_t top = std::max<int64_t>(a.top, b.top);
    const int64_t right = std::min(int64_t{a.left} + a.width, int64_t{b.left} + b.width);
    const int64_t bottom = std::min(int64_t{a.top} + a.height, int64_t{b.top} + b.height);
    return right - left >= kMinimumSide && bottom - top >= kMinimumSide;
}

WINDOW_RECT CWindowPlacement::FitInto(const WINDOW_RECT& rect, const WINDOW_RECT& area) {
    WINDOW_RECT fitted = rect;
    fitted.width = std::min(rect.width, std::max(kMinimumSide, area.width));
    fitted.height = std::min(rect.height, std::max(kMinimumSide, area.height));
    const int64_t right = int64_t{area.left} + area.width - fitted.width;
    const int64_t bottom = int64_t{area.top} + area.height - fitted.height;
    fitted.left = static_cast<int>(
        std::clamp<int64_t>(rect.left, area.left, std::max<int64_t>(area.left, right)));
    fitted.top = static_cast<int>(
        std::clamp<int64_t>(rect.top, area.top, std::max<int64_t>(area.top, bottom)));
    return fitted;
}

WINDOW_RECT CWindowPlacement::PlaceMain(const WINDOW_RECT& saved,
                                        const std::vector<WINDOW_RECT>& screens,
                                        const WINDOW_RECT& workArea) {
    if (saved.width >= kMinimumSide && saved.height >= kMinimumSide) {
        for (const WINDOW_RECT& screen : screens) {
            if (Overlaps(saved, screen)) {
                return FitInto(saved, screen);
            }
        }
    }
    WINDOW_RECT placed;
    placed.width = std::clamp(saved.width, kMinimumSide, std::max(kMinimumSide, workArea.width));
    placed.height = std::clamp(saved.height, kMinimumSide, std::max(kMinimumSide, workArea.height));
    placed.left = static_cast<int>(workArea.left + (int64_t{workArea.width} - placed.width) / 2);
    placed.top = static_cast<int>(workArea.top + (int64_t{workArea.height} - placed.height) / 2);
    return placed;
}

void CWindowPlacement::ArrangeAroundEditor(const WINDOW_RECT& workArea, int lessonsWidth,
                                           int lessonsHeight, WINDOW_RECT& editor,
                                           WINDOW_RECT& picture, WINDOW_RECT& lessons) {
    const int width = std::max(kMinimumSide, workArea.width);
    const int height = std::max(kMinimumSide, workArea.height);
    editor.left = workArea.left;
    editor.top = workArea.top;
    editor.width = std::clamp(editor.width, kMinimumSide, width);
    editor.height = std::clamp(editor.height, kMinimumSide, height);
    const int pictureLeft = std::max(0, std::min(editor.width, width - kMinimumPicture));
    picture.left = workArea.left + pictureLeft;
    picture.top = workArea.top;
    picture.width = width - pictureLeft;
    picture.height =
        std::clamp(static_cast<int>(picture.width * kPictureAspect), kMinimumSide, height);
    const int lessonsTop = std::max(0, std::min(editor.height, height - lessonsHeight));
    lessons.left = workArea.left;
    lessons.top = workArea.top + lessonsTop;
    lessons.width = std::min(width, std::max(editor.width, lessonsWidth));
    lessons.height = height - lessonsTop;
}

void CWindowPlacement::Arrange(const WINDOW_RECT& workArea, int lessonsSide, WINDOW_RECT& picture,
                               WINDOW_RECT& lessons) {
    picture = workArea;
    lessons = workArea;
    if (workArea.height > workArea.width) {
        const int side = std::max(lessonsSide, workArea.height / 3);
        picture.height = std::max(kMinimumSide, workArea.height - side);
        lessons.top = workArea.top + picture.height;
        lessons.height = workArea.height - picture.height;
        return;
    }
    const int side = std::max(lessonsSide, workArea.width / 3);
    picture.width = std::max(kMinimumSide, workArea.width - side);
    lessons.left = workArea.left + picture.width;
    lessons.width = workArea.width - picture.width;
}
