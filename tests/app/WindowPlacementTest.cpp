#include <gtest/gtest.h>

#include <climits>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/WindowInfo.h"
#include "app/WindowPlacement.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullWindow.h"

namespace {
const WINDOW_RECT kWorkArea{0, 0, 1280, 800};
}

TEST(WindowPlacement, AMainWindowOnAScreenStaysWhereItWas) {
    const std::vector<WINDOW_RECT> screens{kWorkArea, {1280, 0, 1920, 1080}};
    const WINDOW_RECT onSecond{2000, 100, 800, 600};
    const WINDOW_RECT placed = CWindowPlacement::PlaceMain(onSecond, screens, kWorkArea);
    EXPECT_EQ(placed.left, 2000);
    EXPECT_EQ(placed.width, 800);
    // A window that overhangs its screen's free area is moved and shrunk
    // into it, so that its status line shows.
    const WINDOW_RECT overhanging{1200, 700, 800, 600};
    WINDOW_RECT fitted = CWindowPlacement::PlaceMain(overhanging, {kWorkArea}, kWorkArea);
    EXPECT_EQ(fitted.left, 480);
    EXPECT_EQ(fitted.top, 200);
    const WINDOW_RECT tooLarge{0, 0, 1600, 1200};
    fitted = CWindowPlacement::PlaceMain(tooLarge, {kWorkArea}, kWorkArea);
    EXPECT_EQ(fitted.width, 1280);
    EXPECT_EQ(fitted.height, 800);
}

// The screen it was on is gone, or only a sliver of it shows: it comes back
// centred on the work area, no larger than it.
TEST(WindowPlacement, AMainWindowOffEveryScreenComesBack) {
    const WINDOW_RECT gone{2000, 100, 800, 600};
    WINDOW_RECT placed = CWindowPlacement::PlaceMain(gone, {kWorkArea}, kWorkArea);
    EXPECT_EQ(placed.left, 240);
    EXPECT_EQ(placed.top, 100);
    EXPECT_EQ(placed.width, 800);
    const WINDOW_RECT sliver{1270, 790, 800, 600};
    EXPECT_EQ(CWindowPlacement::PlaceMain(sliver, {kWorkArea}, kWorkArea).left, 240);
    const WINDOW_RECT huge{-100000, -100000, 500000, 500000};
    placed = CWindowPlacement::PlaceMain(huge, {kWorkArea}, kWorkArea);
    EXPECT_EQ(placed.left, 0);  // it covers the screen: fitted onto it
    EXPECT_EQ(placed.width, 1280);
    const WINDOW_RECT tiny{10, 10, 5, 5};
    placed = CWindowPlacement::PlaceMain(tiny, {kWorkArea}, kWorkArea);
    EXPECT_EQ(placed.width, CWindowPlacement::kMinimumSide);
}

// The Lessons window shown again (F1) stays where the learner left it, also
// beside the main window; only one off every screen, or shrunk to nothing,
// comes back over the main window.
TEST(WindowPlacement, AWindowShownAgainStaysWhereItWasWhileItIsOnAScreen) {
    CNullBackend backend;
    CNullWindow window(backend.GetEventLoop(), nullptr, nullptr);
    const WINDOW_RECT main{0, 0, 800, 600};
    const std::vector<WINDOW_RECT> screens{kWorkArea, {1280, 0, 1920, 1080}};
    const WINDOW_RECT beside{850, 100, 400, 500};
    window.SetRect(beside);
    EXPECT_FALSE(CWindowPlacement::BringBack(window, main, screens));
    EXPECT_EQ(window.GetRect().left, 850);
    const WINDOW_RECT onSecond{2400, 300, 400, 500};
    window.SetRect(onSecond);
    EXPECT_FALSE(CWindowPlacement::BringBack(window, main, screens));
    EXPECT_EQ(window.GetRect().left, 2400);
    const WINDOW_RECT gone{5000, 300, 400, 500};
    window.SetRect(gone);
    EXPECT_TRUE(CWindowPlacement::BringBack(window, main, screens));
    EXPECT_EQ(window.GetRect().left, 200);
    EXPECT_EQ(window.GetRect().top, 50);
    const WINDOW_RECT shrunk{100, 100, 10, 10};
    window.SetRect(shrunk);
    EXPECT_TRUE(CWindowPlacement::BringBack(window, main, screens));
}

// Saved numbers at the ends of the int range are worked out without overflow.
TEST(WindowPlacement, ExtremeSavedRectanglesAreWorkedOutWithoutOverflow) {
    const SETTINGS_RECT extreme{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    ASSERT_TRUE(IsPlaced(extreme));
    const WINDOW_RECT rect = ToWindowRect(extreme);
    EXPECT_EQ(rect.width, INT_MAX);
    const WINDOW_RECT placed = CWindowPlacement::PlaceMain(rect, {kWorkArea}, kWorkArea);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.width, kWorkArea.width);
    const SETTINGS_RECT back = ToSettingsRect(WINDOW_RECT{INT_MAX, INT_MAX, INT_MAX, INT_MAX});
    EXPECT_EQ(back.right, INT_MAX);
}

TEST(WindowPlacement, TheApplicationBringsASavedOffScreenMainWindowBack) {
    CNullBackend backend;
    {
        // The main window was last on a screen that is gone.
        APP_SETTINGS settings;
        auto store = backend.GetPlatform().createSettingsStore();
        settings.Load(*store, "Notara Demo", kNotaraDemoKind);
        settings.mainWindow.rect = {-5000, -5000, -4000, -4200};
        ASSERT_TRUE(settings.Save(*store, "Notara Demo", kNotaraDemoKind));
    }
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    ASSERT_FALSE(center.IsFirstRun());
    const WINDOW_RECT rect = backend.GetWindowSystem().GetWindows().at(0)->GetRect();
    EXPECT_EQ(rect.left, 140);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.width, 1000);
    EXPECT_EQ(rect.height, 800);
    center.Close();
}

namespace {

bool Inside(const WINDOW_RECT& rect, const WINDOW_RECT& area) {
    return rect.left >= area.left && rect.top >= area.top &&
           rect.left + rect.width <= area.left + area.width &&
           rect.top + rect.height <= area.top + area.height;
}

}  // namespace

// The groove kind's first start: the Song Editor at the top left, the
// picture to its right, the lessons below it; all inside small areas too.
TEST(WindowPlacement, TheSongEditorComesFirstAtTheTopLeftWithThePictureAndLessonsAroundIt) {
    const WINDOW_RECT area{10, 20, 1280, 800};
    WINDOW_RECT editor{500, 500, 900, 560};
    WINDOW_RECT picture;
    WINDOW_RECT lessons;
    CWindowPlacement::ArrangeAroundEditor(area, 500, 300, editor, picture, lessons);
    EXPECT_EQ(editor.left, 10);
    EXPECT_EQ(editor.top, 20);
    EXPECT_EQ(editor.width, 900);
    EXPECT_EQ(picture.left, 10 + 900);
    EXPECT_EQ(picture.top, 20);
    EXPECT_EQ(picture.width, 380);
    EXPECT_EQ(lessons.left, 10);
    EXPECT_EQ(lessons.top, 20 + 500) << "the lessons keep their least height";
    EXPECT_EQ(lessons.top + lessons.height, 20 + 800);
    for (const WINDOW_RECT& small : {WINDOW_RECT{0, 0, 320, 240}, WINDOW_RECT{0, 0, 2560, 1440}}) {
        WINDOW_RECT big{0, 0, 900, 560};
        CWindowPlacement::ArrangeAroundEditor(small, 500, 300, big, picture, lessons);
        EXPECT_TRUE(Inside(big, small) && Inside(picture, small) && Inside(lessons, small))
            << small.width << "x" << small.height;
        EXPECT_GE(picture.width, std::min(small.width, CWindowPlacement::kMinimumPicture));
    }
}
