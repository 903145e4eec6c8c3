#pragma once

#include <vector>

#include "platform/Window.h"

// Where the application's windows go on the screen.
class CWindowPlacement {
public:
    // Windows smaller than this on either side count as shrunk to nothing.
    static constexpr int kMinimumSide = 60;

    // A window shown again stays where it was while a grabbable part of it
    // lies on one of the screens, beside the main window or not; one whose
    // screen is gone, or shrunk to nothing, is brought back over the main
    // window's centre. True when it was moved.
    static bool BringBack(IWindow& shown, const WINDOW_RECT& main,
                          const std::vector<WINDOW_RECT>& screens);
    // Where the main window goes: its saved rectangle, moved and shrunk to
    // lie wholly on that screen's free area, when a grabbable part of it
    // lies on one of the screens; else its saved size (no larger than the
    // work area) centred on the work area.
    static WINDOW_RECT PlaceMain(const WINDOW_RECT& saved, const std::vector<WINDOW_RECT>& screens,
                                 const WINDOW_RECT& workArea);

    // Splits the work area between the picture (left) and the lessons
    // (right, a third of the width but no narrower than lessonsSide, or
    // below the picture when the area is taller than wide).
    static void Arrange(const WINDOW_RECT& workArea, int lessonsSide, WINDOW_RECT& picture,
                        WINDOW_RECT& lessons);

    // The groove kind: the Song Editor (its size in editor) at the top left;
    // the picture to its right from the top, kPictureAspect as high as wide
    // and at least kMinimumPicture wide; the lessons at the left below the
    // editor, as wide as it (at least lessonsWidth), down to the bottom, at
    // least lessonsHeight high. All inside the work area.
    static constexpr int kMinimumPicture = 320;
    static constexpr double kPictureAspect = 0.75;
    static void ArrangeAroundEditor(const WINDOW_RECT& workArea, int lessonsWidth,
                                    int lessonsHeight, WINDOW_RECT& editor, WINDOW_RECT& picture,
                                    WINDOW_RECT& lessons);

private:
    static bool Meets(const WINDOW_RECT& a, const WINDOW_RECT& b);
    // rect no larger than area and moved inside it.
    static WINDOW_RECT FitInto(const WINDOW_RECT& rect, const WINDOW_RECT& area);
    // True when a and b share at least kMinimumSide on both axes.
    static bool Overlaps(const WINDOW_RECT& a, const WINDOW_RECT& b);
};
