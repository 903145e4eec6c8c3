#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/ContentFile.h"
#include "app/Menus.h"
#include "exercise/Teacher.h"
#include "foundation/Version.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullDocumentDialog.h"
#include "platform/null/NullWindow.h"
#include "ui/LessonSettings.h"
#include "ui/TextDlg.h"

namespace {

const std::string kBuiltTutorials = std::string(NOTARA_BINARY_DIR) + "/Tutorials/";
const std::string kHostileTutorials = std::string(NOTARA_TEST_DATA) + "/text/hostile/";
const std::string kGarbledTutorials = std::string(NOTARA_TEST_DATA) + "/text/garbled/";
const std::string kForeignTutorials = std::string(NOTARA_TEST_DATA) + "/text/foreign/";

// A centre started on the null platform with its tutorials in folder.
std::unique_ptr<CCenter> Start(CNullBackend& backend, const std::string& folder) {
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", backend.GetPlatform());
    if (!center->Init()) {
        return nullptr;
    }
    center->GetSettings()->tutorialsFolder = folder.c_str();
    backend.GetEventLoop().ProcessMessages();  // the start message
    return center;
}

CNullDocumentDialog* TheDialog(CNullBackend& backend) {
    const auto dialogs = backend.GetWindowSystem().GetDocumentDialogs();
    return dialogs.size() == 1 ? dialogs[0] : nullptr;
}

void CloseMainWindow(CNullBackend& backend) {
    backend.GetWindowSystem().GetWindows().at(0)->RequestClose();
    backend.GetEventLoop().ProcessMessages();
}

bool HasBlock(const CNullDocumentDialog& dialog, DocumentStyle style, const std::string& text) {
    for (const DOCUMENT_BLOCK& block : dialog.GetDocument()) {
        if (block.style == style && block.text == text) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(TextDialog, ListsTheEntriesOfTheContentFileAndShowsTheFirst) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    CContentFile content;
    ASSERT_TRUE(content.Load((kBuiltTutorials + "Notara/Notara Content.txt").c_str()));
    ASSERT_EQ(dialog->GetListItems().size(), content.GetEntries().size());
    EXPECT_EQ(dialog->GetListItems()[0], "Welcome");
    EXPECT_EQ(dialog->GetTitle(), "Lessons");
    EXPECT_EQ(dialog->GetListSelection(), 0);
    ASSERT_FALSE(dialog->GetDocument().empty());
    EXPECT_EQ(dialog->GetDocument()[0].style, DocumentStyle::kTitle);
    EXPECT_EQ(dialog->GetMinimumWidth(), 500);
    EXPECT_EQ(dialog->GetMinimumHeight(), 300);
    CBaseWindow* window = nullptr;
    EXPECT_TRUE(center->FindWindow(9, window));
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
}

TEST(TextDialog, ChoosingAnEntryShowsItsDocumentWithItsButtons) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->ChooseListItem(1));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kTitle, "Treble Clef: The Lower Half"));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kSubheading, "Lesson 2 of 18"));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kHeading, "In this lesson"));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kButton, "Start"));
    EXPECT_GE(dialog->GetButtonCount(), 1);
    EXPECT_TRUE(dialog->IsDocumentFocused());
}

// A first start runs no exercise nobody asked for: no note is drawn, a key
// played is no answer, and the status line says how to begin; the Welcome
// lesson's Start button starts it.
TEST(TextDialog, AFirstStartWaitsForTheWelcomeLessonsStartButton) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    Teacher& teacher = *center->GetTeacher();
    EXPECT_TRUE(teacher.IsStandingBy());
    EXPECT_EQ(teacher.GetExpected(), nullptr);
    CNullWindow* main = backend.GetWindowSystem().GetWindows().at(0);
    EXPECT_EQ(main->GetStatusText(), CCenter::kFirstStartInvitation);
    EXPECT_EQ(teacher.Judge(NOTE_EVENT::Make(60, true, 1.0f, SOURCE_MIDI_INPUT, 0.0)),
              NOTE_VERDICT::kIgnored);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetListSelection(), 0) << "the Welcome lesson is shown";
    // Its Start button, and only it, is drawn as the one to press.
    auto boldButtons = [&] {
        std::vector<size_t> bold;
        for (size_t i = 0; i < dialog->GetDocument().size(); ++i) {
            if (dialog->GetDocument()[i].style == DocumentStyle::kBoldButton) {
                bold.push_back(i);
            }
        }
        return bold;
    };
    ASSERT_EQ(boldButtons().size(), 1u);
    EXPECT_EQ(dialog->GetDocument()[boldButtons()[0]].text, "Start");
    ASSERT_TRUE(dialog->ClickButton(0));
    backend.GetEventLoop().ProcessMessages();
    EXPECT_TRUE(boldButtons().empty()) << "the highlight outlives the start";
    EXPECT_FALSE(teacher.IsStandingBy());
    ASSERT_NE(teacher.GetExpected(), nullptr);
    EXPECT_EQ(main->GetStatusText(), "Welcome: play the note shown");
}

TEST(TextDialog, ClickingAnActionButtonStartsItsLessonInTheCentre) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->ChooseListItem(1));
    EXPECT_EQ(center->GetLesson(), nullptr);
    ASSERT_TRUE(dialog->ClickButton(0));
    // The click reaches the dialog as a posted message.
    EXPECT_EQ(center->GetLesson(), nullptr);
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetLesson(), nullptr);
    EXPECT_EQ(center->GetLesson()->scale, "C maj");
    EXPECT_EQ(center->GetLesson()->startNote, 64);
    EXPECT_EQ(center->GetLesson()->endNote, 71);
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
    // The keys go back to the picture and the status line says what runs.
    CNullWindow* main = backend.GetWindowSystem().GetWindows().at(0);
    EXPECT_EQ(main->GetViewFocusCount(), 1);
    EXPECT_EQ(main->GetStatusText(), "Treble Clef: Lower Half: play the note shown");
}

TEST(TextDialog, EveryShippedButtonIsTakenByTheCentre) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    for (int entry = 0; entry < static_cast<int>(dialog->GetListItems().size()); ++entry) {
        ASSERT_TRUE(dialog->ChooseListItem(entry));
        for (int button = 0; button < dialog->GetButtonCount(); ++button) {
            ASSERT_TRUE(dialog->ClickButton(button));
            backend.GetEventLoop().ProcessMessages();
        }
    }
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
    EXPECT_NE(center->GetLesson(), nullptr);
}

TEST(TextDialog, AFirstRunPlacesTheWindowsAndTheNextRunRestoresThem) {
    CNullBackend backend;
    backend.GetWindowSystem().SetWorkArea(WINDOW_RECT{0, 0, 1200, 900});
    {
        auto center = Start(backend, kBuiltTutorials);
        ASSERT_TRUE(center);
        EXPECT_TRUE(center->IsFirstRun());
        // The picture on the left, the lessons beside it on top, filling
        // the work area between them.
        CNullWindow* main = backend.GetWindowSystem().GetWindows().at(0);
        EXPECT_EQ(main->GetRect().left, 0);
        EXPECT_EQ(main->GetRect().width, 700);
        EXPECT_EQ(main->GetRect().height, 900);
        CNullDocumentDialog* dialog = TheDialog(backend);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetRect().left, 700);  // no narrower than it may be
        EXPECT_EQ(dialog->GetRect().width, 500);
        EXPECT_EQ(dialog->GetRect().height, 900);
        EXPECT_TRUE(dialog->IsVisible());
        main->SetRect(WINDOW_RECT{30, 40, 900, 700});
        dialog->SetRect(WINDOW_RECT{50, 60, 520, 610});
        ASSERT_TRUE(dialog->ChooseListItem(3));
        dialog->SetScrollPosition(2);
        CloseMainWindow(backend);
        EXPECT_TRUE(backend.GetWindowSystem().GetDocumentDialogs().empty());
    }
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    EXPECT_FALSE(center->IsFirstRun());
    const WINDOW_RECT main = backend.GetWindowSystem().GetWindows().at(0)->GetRect();
    EXPECT_EQ(main.left, 30);
    EXPECT_EQ(main.top, 40);
    EXPECT_EQ(main.width, 900);
    EXPECT_EQ(main.height, 700);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetRect().left, 50);
    EXPECT_EQ(dialog->GetRect().top, 60);
    EXPECT_EQ(dialog->GetRect().width, 520);
    EXPECT_EQ(dialog->GetRect().height, 610);
    EXPECT_EQ(dialog->GetListSelection(), 3);
    EXPECT_EQ(dialog->GetScrollPosition(), 2);
    // The lesson of the document left open runs again, not a default one.
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetLesson(), nullptr);
    EXPECT_EQ(center->GetTeacher()->GetLow(), center->GetLesson()->startNote);
}

TEST(TextDialog, AHiddenDialogStaysHiddenAfterARestart) {
    CNullBackend backend;
    {
        auto center = Start(backend, kBuiltTutorials);
        ASSERT_TRUE(center);
        CNullDocumentDialog* dialog = TheDialog(backend);
        ASSERT_NE(dialog, nullptr);
        dialog->RequestClose();  // closing only hides it
        EXPECT_FALSE(dialog->IsVisible());
        EXPECT_EQ(TheDialog(backend), dialog);
        CloseMainWindow(backend);
    }
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    ASSERT_NE(TheDialog(backend), nullptr);
    EXPECT_FALSE(TheDialog(backend)->IsVisible());
    // F1 and the menu show it again.
    EXPECT_TRUE(center->OnCommand(1628));
    EXPECT_TRUE(TheDialog(backend)->IsVisible());
}

TEST(TextDialog, ASavedIndexPastTheListShowsTheFirstEntry) {
    CNullBackend backend;
    {
        APP_SETTINGS settings;
        auto store = backend.GetPlatform().createSettingsStore();
        settings.Load(*store, "Notara Demo", kNotaraDemoKind);
        settings.text.contentIndex = 400;
        settings.text.scrollPosition = 1000000;
        ASSERT_TRUE(settings.Save(*store, "Notara Demo", kNotaraDemoKind));
    }
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    ASSERT_NE(TheDialog(backend), nullptr);
    EXPECT_EQ(TheDialog(backend)->GetListSelection(), 0);
    EXPECT_LT(TheDialog(backend)->GetScrollPosition(),
              static_cast<int>(TheDialog(backend)->GetDocument().size()));
}

TEST(TextDialog, ButtonsWithBadLessonsAreRefusedAndTheLessonStays) {
    CNullBackend backend;
    auto center = Start(backend, kHostileTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->GetListItems().size(), 4u);
    ASSERT_TRUE(dialog->ChooseListItem(0));
    ASSERT_TRUE(dialog->ClickButton(0));
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetLesson(), nullptr);

    ASSERT_TRUE(dialog->ChooseListItem(1));
    const std::vector<std::string> expected = {
        "Can't start the lesson: the scale \"Q dorian\" is unknown",
        "Can't start the lesson: the note range 72 to 60 is empty",
        "Can't start the lesson: the action parameter 'StartNote' can't be parsed: 'six' is no "
        "value for it",
        "Can't start the lesson: the lesson names no scale",
        "Can't start the lesson: the lesson names no scale",
        "Can't start the lesson: the note range 0 to 10 lies outside the keyboard (36 to 95)",
        "Can't start the lesson: the note range 120 to 127 lies outside the keyboard (36 to 95)",
        "Can't start the lesson: the note range -5 to 999999 reaches outside the keyboard (36 to "
        "95)",
        "Can't start the lesson: the scale \"" + std::string(60, 'Q') + "...\" is unknown",
        // The exercise's own message says what can't be done: shown as it is.
        "Can't set lesson: scale 1 has no notes between 61 and 61",
    };
    const int buttons = static_cast<int>(expected.size());
    ASSERT_EQ(dialog->GetButtonCount(), buttons);
    for (int button = 0; button < buttons; ++button) {
        ASSERT_TRUE(dialog->ClickButton(button));
        backend.GetEventLoop().ProcessMessages();
        const auto& boxes = backend.GetWindowSystem().GetBoxes();
        ASSERT_EQ(boxes.size(), static_cast<size_t>(button + 1));
        EXPECT_EQ(boxes.back().caption, "Lessons");
        EXPECT_EQ(boxes.back().icon, BoxIcon::kExclamation);
        EXPECT_EQ(boxes.back().text, expected[button]);
        ASSERT_NE(center->GetLesson(), nullptr);
        EXPECT_EQ(center->GetLesson()->scale, "C maj");
        EXPECT_EQ(center->GetLesson()->startNote, 60);
        EXPECT_EQ(center->GetLesson()->endNote, 72);
    }
}

TEST(TextDialog, UnknownAndUnclosedTagsNeitherBreakNorInjectMarkup) {
    CNullBackend backend;
    auto center = Start(backend, kHostileTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->ChooseListItem(2));
    // A "<" without ">" is plain text; unknown tags are author notes.
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kBody, "<1 never closed"));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kHeading, "Heading & <i>more</i>"));
    // "<>" is no tag at all: its text is plain text.
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kBody, "empty tag"));
    for (const DOCUMENT_BLOCK& block : dialog->GetDocument()) {
        EXPECT_EQ(block.text.find("author note"), std::string::npos);
        EXPECT_EQ(block.text.find("alert"), std::string::npos);
    }
    // A button without caption or parameters is still a button, and refused.
    ASSERT_EQ(dialog->GetButtonCount(), 1);
    ASSERT_TRUE(dialog->ClickButton(0));
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(center->GetLesson(), nullptr);
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().size(), 1u);
}

TEST(TextDialog, AMissingDocumentIsExplainedInTheDisplay) {
    CNullBackend backend;
    auto center = Start(backend, kHostileTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->ChooseListItem(3));
    ASSERT_EQ(dialog->GetDocument().size(), 1u);
    EXPECT_EQ(dialog->GetDocument()[0].text.rfind("Can't read file '", 0), 0u);
    EXPECT_EQ(dialog->GetButtonCount(), 0);
    EXPECT_FALSE(dialog->ClickButton(0));
}

TEST(TextDialog, FilesWithCarriageReturnsAloneListEveryEntryAndShowItsDocument) {
    CNullBackend backend;
    auto center = Start(backend, kForeignTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetListItems(), (std::vector<std::string>{"CR only", "Latin-1", "NUL byte"}));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kTitle, "Lines end with CR"));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kBody, "Last line"));
    ASSERT_EQ(dialog->GetButtonCount(), 1);
    ASSERT_TRUE(dialog->ChooseListItem(1));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kTitle, "Cl\xC3\xA9 de sol"));
    ASSERT_TRUE(dialog->ChooseListItem(2));
    EXPECT_TRUE(HasBlock(*dialog, DocumentStyle::kBody,
                         "before\xEF\xBF\xBD"
                         "after the NUL"));
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
}

TEST(TextDialog, AMissingOrGarbledContentFileLeavesAnEmptyListThatSaysWhy) {
    for (const std::string& folder : {std::string("/nonexistent/tutorials/"), kGarbledTutorials}) {
        CNullBackend backend;
        auto center = Start(backend, folder);
        ASSERT_TRUE(center) << folder;
        EXPECT_FALSE(center->IsShowingInitErrors()) << "start-up went on";
        CNullDocumentDialog* dialog = TheDialog(backend);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->GetListItems().empty()) << folder;
        ASSERT_EQ(dialog->GetDocument().size(), 1u) << folder;
        EXPECT_EQ(dialog->GetDocument()[0].text.rfind("Can't read content file '", 0), 0u);
        EXPECT_TRUE(backend.GetWindowSystem().GetWindows().at(0)->IsVisible());
        CloseMainWindow(backend);
    }
}

TEST(TextDialog, ADialogThatCannotBeMadeEndsTheStartUp) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    backend.GetWindowSystem().FailWindowCreation("no screen");
    backend.GetEventLoop().ProcessMessages();
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Can't create Text dialog: Can't create Text control: no screen");
}

TEST(MainWindow, TheAboutBoxAndTheShowCommandsReachTheirHandlers) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullWindow* main = backend.GetWindowSystem().GetWindows().at(0);
    TheDialog(backend)->Show(false);
    main->ChooseCommand(1628);
    EXPECT_TRUE(TheDialog(backend)->IsVisible());
    main->ChooseCommand(1161);
    ASSERT_EQ(backend.GetWindowSystem().GetBoxes().size(), 1u);
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes()[0].caption, "About");
}

TEST(MainWindow, ASavedRectangleWithoutAreaGivesTheWorkArea) {
    CNullBackend backend;
    backend.GetWindowSystem().SetWorkArea(WINDOW_RECT{0, 0, 1100, 800});
    {
        APP_SETTINGS settings;
        auto store = backend.GetPlatform().createSettingsStore();
        settings.Load(*store, "Notara Demo", kNotaraDemoKind);
        settings.mainWindow.rect = {100, 100, 100, 50};
        ASSERT_TRUE(settings.Save(*store, "Notara Demo", kNotaraDemoKind));
    }
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    EXPECT_EQ(backend.GetWindowSystem().GetWindows().at(0)->GetRect().width, 1100);
}

TEST(MainWindow, AWindowShownAwayFromTheMainWindowIsCentredOnIt) {
    CNullBackend backend;
    backend.GetWindowSystem().SetWorkArea(WINDOW_RECT{0, 0, 1000, 800});
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    dialog->SetRect(WINDOW_RECT{5000, 4000, 500, 400});
    EXPECT_TRUE(center->OnCommand(1628));
    EXPECT_EQ(dialog->GetRect().left, 0);  // the first run's picture is 500 wide
    EXPECT_EQ(dialog->GetRect().top, 200);
    EXPECT_EQ(dialog->GetRect().width, 500);
    dialog->SetRect(WINDOW_RECT{20, 30, 500, 400});
    EXPECT_TRUE(center->OnCommand(1628));
    EXPECT_EQ(dialog->GetRect().left, 20);  // on the main window: left alone
}

TEST(MainWindow, TheAboutBoxNamesTheApplicationAndItsVersion) {
    CNullBackend backend;
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    center->OnCommand(1161);
    ASSERT_EQ(backend.GetWindowSystem().GetBoxes().size(), 1u);
    // The product and the version the build sets, no number of its own.
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes()[0].text,
              std::string("Notara Demo\nNotara ") + GetVersionText());
}

// Show > Arrange all windows puts the picture and the lessons side by side
// again and shows the lessons; on a tall work area the lessons go below.
TEST(TextDialog, ArrangeAllWindowsPutsThePictureAndTheLessonsBackTogether) {
    CNullBackend backend;
    backend.GetWindowSystem().SetWorkArea(WINDOW_RECT{0, 0, 1200, 900});
    auto center = Start(backend, kBuiltTutorials);
    ASSERT_TRUE(center);
    CNullWindow* main = backend.GetWindowSystem().GetWindows().at(0);
    CNullDocumentDialog* dialog = TheDialog(backend);
    ASSERT_NE(dialog, nullptr);
    main->SetRect(WINDOW_RECT{30, 40, 900, 700});
    dialog->SetRect(WINDOW_RECT{50, 60, 520, 610});
    dialog->Show(false);
    EXPECT_TRUE(center->OnCommand(kCommandArrangeAll));
    EXPECT_EQ(main->GetRect().left, 0);
    EXPECT_EQ(main->GetRect().width, 700);
    EXPECT_EQ(main->GetRect().height, 900);
    EXPECT_EQ(dialog->GetRect().left, 700);
    EXPECT_EQ(dialog->GetRect().width, 500);
    EXPECT_EQ(dialog->GetRect().height, 900);
    EXPECT_TRUE(dialog->IsVisible());

    backend.GetWindowSystem().SetWorkArea(WINDOW_RECT{0, 0, 800, 1200});
    EXPECT_TRUE(center->OnCommand(kCommandArrangeAll));
    const WINDOW_RECT picture = main->GetRect();
    const WINDOW_RECT text = dialog->GetRect();
    EXPECT_EQ(picture.width, 800);
    EXPECT_EQ(text.width, 800);
    EXPECT_EQ(text.left, 0);
    EXPECT_GE(text.top, picture.top + picture.height) << "the lessons lie below the picture";
    EXPECT_EQ(picture.height + text.height, 1200);
    EXPECT_GE(text.height, CTextDlg::kMinHeight);
}
