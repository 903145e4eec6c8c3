#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/Entry.h"
#include "app/Menus.h"
#include "exercise/Teacher.h"
#include "foundation/Paths.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullWindow.h"
#include "ui/LessonSettings.h"

TEST(CenterSettings, AFirstStartUsesDefaultsAndTheCloseSavesThem) {
    CNullBackend backend;
    {
        CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
        ASSERT_TRUE(center.Init());
        ASSERT_NE(center.GetSettings(), nullptr);
        EXPECT_TRUE(center.IsFirstRun());
        CCharString root;
        ASSERT_TRUE(GetProgramFolder(root));
        EXPECT_EQ(center.GetSettings()->tutorialsFolder.Str(), root.Str() + "/Tutorials/");
        EXPECT_EQ(backend.GetSettingsDisk().saveCount, 0);
        center.Close();
    }
    EXPECT_EQ(backend.GetSettingsDisk().saveCount, 1);
    EXPECT_EQ(backend.GetSettingsDisk().saved.count("Cadenzor/Notara"), 1u);
}

TEST(CenterSettings, ASavedPlacementIsLoadedAndEndsTheFirstRun) {
    CNullBackend backend;
    {
        APP_SETTINGS settings;
        auto store = backend.GetPlatform().createSettingsStore();
        settings.Load(*store, "Notara Demo", kNotaraDemoKind);
        settings.mainWindow.rect = {5, 6, 700, 500};
        settings.text.contentIndex = 4;
        ASSERT_TRUE(settings.Save(*store, "Notara Demo", kNotaraDemoKind));
    }
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    EXPECT_FALSE(center.IsFirstRun());
    EXPECT_EQ(center.GetSettings()->mainWindow.rect.right, 700);
    center.GetSettings()->text.contentIndex = 6;
    center.Close();
    center.Close();  // closing again saves nothing more
    EXPECT_EQ(backend.GetSettingsDisk().saveCount, 2);

    APP_SETTINGS saved;
    auto store = backend.GetPlatform().createSettingsStore();
    EXPECT_TRUE(saved.Load(*store, "Notara Demo", kNotaraDemoKind));
    EXPECT_EQ(saved.text.contentIndex, 6);
    EXPECT_EQ(saved.mainWindow.rect.left, 5);
}

TEST(CenterSettings, AWholeRunLeavesItsSettingsSaved) {
    CNullBackend backend;
    START_OPTIONS options;
    options.quitAfterSeconds = 0.5;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options), 0);
    EXPECT_EQ(backend.GetSettingsDisk().saveCount, 1);
    EXPECT_EQ(backend.GetSettingsDisk().saved["Cadenzor/Notara"].size(), 23u);
}

TEST(CenterSettings, SettingsThatCouldNotBeReadAreToldOnceAtStartUp) {
    CNullBackend backend;
    backend.GetSettingsDisk().readProblem = "Can't read all settings (x.ini): the file is garbled";
    START_OPTIONS options;
    options.quitAfterSeconds = 0.5;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options), 0);
    int told = 0;
    for (const auto& box : backend.GetWindowSystem().GetBoxes()) {
        told += box.text == backend.GetSettingsDisk().readProblem ? 1 : 0;
    }
    EXPECT_EQ(told, 1);
}

// Settings that can't be saved are lost with the process: the user is told
// once and the exit status fails.
TEST(CenterSettings, SettingsThatCannotBeSavedAreToldAndFailTheRun) {
    CNullBackend backend;
    backend.GetSettingsDisk().failSaves = true;
    START_OPTIONS options;
    options.quitAfterSeconds = 0.5;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options),
              CCenter::kExitFailure);
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't save settings: the null disk refuses writes");
    EXPECT_EQ(boxes[0].icon, BoxIcon::kError);
}

// The Hints menu turns each hint over for the exercise's views, ticks it and
// keeps it; a lesson may set its own, which the next toggle replaces.
TEST(CenterSettings, HintsAreToggledKeptAndSetByALesson) {
    CNullBackend backend;
    {
        CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
        ASSERT_TRUE(center.Init());
        backend.GetEventLoop().ProcessMessages();
        const HINTS defaults = center.GetTeacher()->GetHints();
        EXPECT_FALSE(defaults.noteNames);
        EXPECT_TRUE(defaults.expectedKey);
        EXPECT_TRUE(defaults.keyLetters);
        auto* window = backend.GetWindowSystem().GetWindows().at(0);
        window->ChooseCommand(kCommandHintNoteNames);
        window->ChooseCommand(kCommandHintKeyLetters);
        EXPECT_TRUE(center.GetTeacher()->GetHints().noteNames);
        EXPECT_FALSE(center.GetTeacher()->GetHints().keyLetters);
        bool ticked = false;
        for (const MENU_ITEM& popup : window->GetMenu()) {
            for (const MENU_ITEM& item : popup.items) {
                if (item.commandId == kCommandHintNoteNames) {
                    ticked = item.checkable && item.checked;
                }
            }
        }
        EXPECT_TRUE(ticked);
        // A review lesson turns the names and the mark off for itself.
        LESSON_SETTINGS review;
        review.scale = "C maj";
        review.startNote = 60;
        review.endNote = 72;
        review.noteNames = 0;
        review.keyMark = 0;
        ASSERT_TRUE(center.OnLesson(review)) << center.GetError();
        EXPECT_FALSE(center.GetTeacher()->GetHints().noteNames);
        EXPECT_FALSE(center.GetTeacher()->GetHints().expectedKey);
        center.Close();
    }
    APP_SETTINGS saved;
    auto store = backend.GetPlatform().createSettingsStore();
    saved.Load(*store, "Notara Demo", kNotaraDemoKind);
    EXPECT_TRUE(saved.hints.noteNames);  // the learner's own choice is kept
    EXPECT_FALSE(saved.hints.keyLetters);
}

TEST(CenterSettings, APlatformWithoutSettingsStillStarts) {
    CNullBackend backend;
    PLATFORM platform = backend.GetPlatform();
    platform.createSettingsStore = nullptr;
    CCenter center(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center.Init());
    EXPECT_TRUE(center.IsFirstRun());
    EXPECT_FALSE(center.GetSettings()->dataFolder.IsEmpty());
    center.Close();
}
