#pragma once

#include "platform/Window.h"

// Where the application's windows go on the screen.
class CWindowPlacement {
public:
    // Windows smaller than this on either side count as shrunk to nothing.
    static constexpr int kMinimumSide = 60;

    // A window that is off the main window (its screen is gone) or shrunk to
    // nothing is brought back over the main window's centre; true when it
    // was moved.
    static bool BringBack(IWindow& shown, const WINDOW_RECT& main);

private:
    static bool Meets(const WINDOW_RECT& a, const WINDOW_RECT& b);
};
