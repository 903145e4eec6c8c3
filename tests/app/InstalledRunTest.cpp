// The groove kind run from an install whose prefix may not be written:
// the shipped grooves are offered in the user's groove folder, a saved
// groove and the song's MIDI and WAVE exports land in the user's folders,
// and nothing below the prefix changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "InstallTree.h"
#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/Menus.h"
#include "app/SongKeeper.h"
#include "editors/SongEditorDlg.h"
#include "platform/null/NullAudioOut.h"
#include "platform/null/NullBackend.h"
#include "songio/Composition.h"

namespace {

constexpr int kGrooveKind = 3;
constexpr int kTrainerKind = 11;

bool IsBelow(const std::string& path, const std::string& folder) {
    return path.rfind(folder + "/", 0) == 0;
}

TEST(InstalledRun, TheGrooveKindSavesAndExportsIntoTheUsersFoldersOnly) {
    const CInstallTree tree;
    const CProgramFolderSwap swap(tree.Bin());
    tree.MakeReadOnly();
    const std::string before = CInstallTree::List(tree.Prefix());
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    backend.GetEventLoop().ProcessMessages();
    const APP_SETTINGS& settings = *center->GetSettings();
    const std::string user = tree.Home() + "/.local/share/notara/Rumblo";
    EXPECT_EQ(settings.grooveRoot.Str(), user + "/Grooves/");
    ASSERT_TRUE(std::filesystem::exists(user + "/Grooves/Rock/Straight Eight.mid"))
        << "the shipped grooves are not offered";
    ASSERT_NE(center->GetSongs(), nullptr);
    CSongEditorDlg* editor = center->GetSongs()->GetEditor();
    ASSERT_NE(editor, nullptr);

    // A shipped groove saved under its name: the user's copy, which shadows it.
    ASSERT_TRUE(editor->SelectGroove("Rock", "Half Time"));
    std::filesystem::remove(user + "/Grooves/Rock/Half Time.mid");
    ASSERT_TRUE(center->OnCommand(kCommandSaveGroove));
    EXPECT_TRUE(std::filesystem::exists(user + "/Grooves/Rock/Half Time.mid"))
        << "the groove was not saved in the user's folder";

    // The song's exports start in the kind's MIDI and WAVE folders.
    CComposition& song = center->GetSongs()->GetSong();
    ASSERT_TRUE(song.Open((tree.Share() + "/Tutorials/Grooves/Songs/Example Song.Song").c_str()))
        << song.GetError();
    const std::string midi = settings.midiFolder.Str() + "Example Song.mid";
    backend.GetWindowSystem().ScriptFileToSave(midi);
    ASSERT_TRUE(center->OnCommand(kCommandSaveSongToMidi));
    EXPECT_EQ(backend.GetWindowSystem().GetLastSuggestedFile(), midi);
    EXPECT_TRUE(std::filesystem::exists(midi)) << "the MIDI export is missing";
    const std::string wave = settings.waveFolder.Str() + "Example Song.wav";
    CCharString error;
    ASSERT_NE(center->GetSound(), nullptr);
    EXPECT_TRUE(center->GetSongs()->SaveWave(wave.c_str(), 1, error)) << error;
    EXPECT_TRUE(std::filesystem::exists(wave)) << "the WAVE export is missing";
    EXPECT_TRUE(IsBelow(midi, tree.Home()) && IsBelow(wave, tree.Home()));

    // A shipped song saved: a name is asked, in the user's songs folder.
    backend.GetWindowSystem().ScriptFileToSave(settings.songPath.Str() + "Mine.mid");
    ASSERT_TRUE(song.Open((tree.Share() + "/Tutorials/Grooves/Songs/Example Song.mid").c_str()))
        << song.GetError();
    ASSERT_TRUE(center->OnCommand(kCommandSaveSong));
    EXPECT_TRUE(std::filesystem::exists(settings.songPath.Str() + "Mine.mid"));

    center->Close();
    center.reset();
    EXPECT_EQ(CInstallTree::List(tree.Prefix()), before)
        << "something was written below the prefix";
}

TEST(InstalledRun, TheTrainerReadsTheShippedGroovesInPlace) {
    const CInstallTree tree;
    const CProgramFolderSwap swap(tree.Bin());
    CNullBackend backend;
    auto center = std::make_unique<CCenter>(kTrainerKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    EXPECT_EQ(center->GetSettings()->grooveRoot.Str(),
              std::filesystem::canonical(tree.Share()).string() + "/Grooves/");
    EXPECT_FALSE(std::filesystem::exists(tree.Home() + "/.local/share/notara/Notara/Grooves"));
    center->Close();
}

// A song document opened from a file manager ("rumblo %f") opens in the
// Song Editor, shown; one that is no song is told and leaves a new song.
TEST(InstalledRun, ASongNamedOnTheCommandLineOpensInTheSongEditor) {
    const CInstallTree tree;
    const CProgramFolderSwap swap(tree.Bin());
    const std::string path = tree.Share() + "/Tutorials/Grooves/Songs/Example Song.Song";
    CNullBackend backend;
    auto center = std::make_unique<CCenter>(kGrooveKind, path.c_str(), backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetSongs(), nullptr);
    CSongEditorDlg* editor = center->GetSongs()->GetEditor();
    editor->Show(false);
    ASSERT_TRUE(center->HandleCommandLine()) << center->GetError();
    EXPECT_EQ(center->GetSongs()->GetSong().m_name, "Example Song");
    EXPECT_TRUE(editor->GetWindow()->IsVisible());
    const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
    EXPECT_FALSE(center->OpenInSongEditor((tree.Share() + "/Grooves").c_str()));
    ASSERT_GT(backend.GetWindowSystem().GetBoxes().size(), boxes) << "the folder was not told";
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().back().text.rfind("Can't", 0), 0u);
    center->Close();
}

}  // namespace
