// The groove kind on the null platform: its Song Editor is made at the
// start and shown at the first one, its menu's song commands reach it, and
// a file that is no song is told and leaves an empty song to edit.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "TempFolder.h"
#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/Menus.h"
#include "app/SongKeeper.h"
#include "editors/SongEditorDlg.h"
#include "platform/null/NullAudioOut.h"
#include "platform/null/NullBackend.h"
#include "songio/Composition.h"
#include "ui/LessonSettings.h"

namespace {

constexpr int kGrooveKind = 3;

std::unique_ptr<CCenter> StartGrooveKind(CNullBackend& backend) {
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    if (!center->Init()) {
        ADD_FAILURE() << center->GetError();
        return nullptr;
    }
    backend.GetEventLoop().ProcessMessages();  // the start message
    return center;
}

TEST(GrooveKind, TheSongEditorIsMadeAtTheStartAndShownAtTheFirst) {
    CNullBackend backend;
    auto center = StartGrooveKind(backend);
    ASSERT_TRUE(center);
    ASSERT_NE(center->GetSongs(), nullptr) << "the groove kind has no song keeper";
    CSongEditorDlg* editor = center->GetSongs()->GetEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetWindow(), nullptr);
    EXPECT_TRUE(editor->GetWindow()->IsVisible()) << "a first start hides the editor";
    editor->Show(false);
    ASSERT_TRUE(center->OnCommand(kCommandShowSong));
    EXPECT_TRUE(editor->GetWindow()->IsVisible());
    EXPECT_FALSE(center->GetSongs()->IsPlaying());
}

TEST(GrooveKind, ASongCommandOfTheMenuReachesTheEditorAndABadFileIsTold) {
    CNullBackend backend;
    auto center = StartGrooveKind(backend);
    ASSERT_TRUE(center);
    ASSERT_NE(center->GetSongs(), nullptr);
    const CTempFolder folder("groove-kind");
    const std::string path = folder.Path("not a song.mid");
    std::ofstream(path) << "this is text";
    backend.GetWindowSystem().ScriptFileToOpen(path);
    const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
    ASSERT_TRUE(center->OnCommand(kCommandOpenSong));
    ASSERT_GT(backend.GetWindowSystem().GetBoxes().size(), boxes) << "the bad file was not told";
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().back().text.rfind("Can't open song file (", 0),
              0u)
        << backend.GetWindowSystem().GetBoxes().back().text;
    EXPECT_STREQ(center->GetSongs()->GetSong().GetFileName(), "") << "a half-read song stays";
    ASSERT_TRUE(center->OnCommand(kCommandNewSong));
    EXPECT_STREQ(center->GetSongs()->GetSong().GetFileName(), "");
}

// A course button shows the groove it names (the one on the grids offered
// for saving first) and plays it; a groove that is not there is told.
TEST(GrooveKind, ALessonButtonShowsAndPlaysItsGrooveAndAMissingOneIsTold) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    center->GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetSongs(), nullptr);
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString reason;
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Straight Eight|Play=Groove", lesson,
                                      display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, "", reason)) << reason;
    CSongEditorDlg* editor = center->GetSongs()->GetEditor();
    EXPECT_TRUE(editor->GetGrids().HasGroove());
    EXPECT_EQ(editor->GetGrids().GetName(), "Straight Eight");
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Polka", lesson, display, reason));
    EXPECT_FALSE(center->GetSongs()->OnLesson(lesson, "", reason));
    EXPECT_EQ(reason, "there is no groove \"Polka\" of the style \"Rock\"");
    EXPECT_EQ(editor->GetGrids().GetName(), "Straight Eight") << "the groove on show went";
}

// The song renders as WAVE through the sound engine that is open when the
// export runs, not the one (or none) there was when the editor was made.
TEST(GrooveKind, ASongExportsAsWaveThroughTheSoundEngineOpenNow) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    center->GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    center->GetSettings()->soundFolder = NOTARA_BINARY_DIR "/Sound/";
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetSongs(), nullptr);
    ASSERT_NE(center->GetSound(), nullptr);
    CComposition& song = center->GetSongs()->GetSong();
    ASSERT_TRUE(song.Open(NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song"))
        << song.GetError();
    const CTempFolder folder("groove-kind-wave");
    const std::string wave = folder.Path("Example Song.wav");
    CCharString error;
    EXPECT_TRUE(center->GetSongs()->SaveWave(wave.c_str(), 1, error)) << error;
    EXPECT_TRUE(std::ifstream(wave).good());
}

TEST(GrooveKind, TheTrainerHasNoSongEditor) {
    CNullBackend backend;
    auto center = std::make_unique<CCenter>(11, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(center->GetSongs(), nullptr);
    EXPECT_FALSE(center->OnCommand(kCommandNewSong));
}

}  // namespace
