// The build tree keeps everything beside the executable; an install reads
// its content below the prefix and keeps the user's files in the user's
// folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "InstallTree.h"
#include "TempFolder.h"
#include "app/AppSettings.h"
#include "app/FileLayout.h"
#include "foundation/Paths.h"

namespace {

TEST(FileLayout, ContentBesideTheExecutableIsTheBuildTree) {
    const CTempFolder folder("layout-build");
    std::filesystem::create_directories(folder.Path("bin/Sound"));
    std::filesystem::create_directories(folder.Path("share/notara/Sound"));
    const std::string bin = folder.Path("bin");
    const FILE_LAYOUT layout = CFileLayout::Find(bin.c_str(), "Notara");
    EXPECT_FALSE(layout.installed) << "content beside the executable wins";
    EXPECT_EQ(layout.contentRoot.Str(), bin);
    EXPECT_EQ(layout.userRoot.Str(), bin);
    EXPECT_EQ(layout.documentRoot.Str(), bin);
}

TEST(FileLayout, WithoutContentAnywhereTheExecutablesFolderStays) {
    const CTempFolder folder("layout-empty");
    const FILE_LAYOUT layout = CFileLayout::Find(folder.Get().c_str(), "Notara");
    EXPECT_FALSE(layout.installed);
    EXPECT_EQ(layout.contentRoot.Str(), folder.Get());
}

TEST(FileLayout, AnInstallReadsBelowItsPrefixAndKeepsTheUsersFilesInTheUsersFolders) {
    const CInstallTree tree;
    const FILE_LAYOUT layout = CFileLayout::Find(tree.Bin().c_str(), "Rumblo");
    ASSERT_TRUE(layout.installed);
    EXPECT_EQ(layout.contentRoot.Str(), std::filesystem::canonical(tree.Share()).string());
    EXPECT_EQ(layout.userRoot.Str(), tree.Home() + "/.local/share/notara/Rumblo");
    EXPECT_EQ(layout.documentRoot.Str(), layout.userRoot.Str()) << "no music folder";
    setenv("XDG_MUSIC_DIR", (tree.Home() + "/Music").c_str(), 1);
    EXPECT_EQ(CFileLayout::Find(tree.Bin().c_str(), "Rumblo").documentRoot.Str(),
              tree.Home() + "/Music/Rumblo");
    EXPECT_EQ(CFileLayout::FindReporter(tree.Bin().c_str()),
              tree.Bin() + "/../libexec/notara/notara-crash");
}

TEST(FileLayout, AnInstallsSettingsNameNoFolderBelowThePrefix) {
    const CInstallTree tree;
    const CProgramFolderSwap swap(tree.Bin());
    APP_SETTINGS settings;
    ASSERT_TRUE(settings.SetProgramFolders("Notara", (tree.Home() + "/.config/Cadenzor").c_str()));
    const std::string share = std::filesystem::canonical(tree.Share()).string();
    const std::string user = tree.Home() + "/.local/share/notara/Notara/";
    EXPECT_EQ(settings.soundFolder.Str(), share + "/Sound/");
    EXPECT_EQ(settings.tutorialsFolder.Str(), share + "/Tutorials/");
    EXPECT_EQ(settings.shippedGrooveRoot.Str(), share + "/Grooves/");
    EXPECT_EQ(settings.grooveRoot.Str(), user + "Grooves/");
    EXPECT_EQ(settings.songPath.Str(), user + "Songs/");
    EXPECT_EQ(settings.midiFolder.Str(), user + "MIDI/");
    EXPECT_EQ(settings.waveFolder.Str(), user + "WAVE/");
    EXPECT_EQ(settings.dataFolder.Str(), user);
    EXPECT_EQ(settings.mixFolder.Str(), tree.Home() + "/.config/Cadenzor/Notara/");
    EXPECT_EQ(settings.GetMixPath().Str(), tree.Home() + "/.config/Cadenzor/Notara/Default.mix");
    EXPECT_EQ(settings.tempFolder.Str(), tree.Home() + "/.config/Cadenzor/Notara/Temp/");
}

TEST(FileLayout, TheBuildTreesMixStaysInTheSoundFolder) {
    const CTempFolder folder("layout-mix");
    const CProgramFolderSwap swap(folder.Get());
    APP_SETTINGS settings;
    ASSERT_TRUE(settings.SetProgramFolders("Notara", "/home/learner/.config/Cadenzor"));
    EXPECT_TRUE(settings.mixFolder.IsEmpty());
    EXPECT_TRUE(settings.shippedGrooveRoot.IsEmpty());
    EXPECT_EQ(settings.GetMixPath().Str(), folder.Get() + "/Sound/Default.mix");
    EXPECT_EQ(settings.tempFolder.Str(), folder.Get() + "/Temp/");
}

}  // namespace
