#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "foundation/Paths.h"

TEST(Paths, SplitPathSeparatesDirectoryNameAndExtensionAndRefusesOverlongPaths) {
    const struct {
        const char* path;
        const char* directory;
        const char* name;
        const char* extension;
    } cases[] = {
        {"", "", "", ""},
        {"/", "/", "", ""},
        {"a", "", "a", ""},
        {".ext", "", "", ".ext"},
        {"README", "", "README", ""},
        {"dir/name", "dir/", "name", ""},
        {"dir.d/name", "dir.d/", "name", ""},
        {"/x/y/z.tar.gz", "/x/y/", "z.tar", ".gz"},
        {"C:\\Songs\\Blues.mid", "C:\\Songs\\", "Blues", ".mid"},
        {"a/b\\c.", "a/b\\", "c", "."},
    };
    for (const auto& c : cases) {
        FILE_INFO info;
        info.isFile = 1;
        ASSERT_TRUE(SplitPath(c.path, info)) << c.path;
        EXPECT_EQ(info.drive, "") << c.path;
        EXPECT_EQ(info.directory, c.directory) << c.path;
        EXPECT_EQ(info.folder, c.directory) << c.path;
        EXPECT_EQ(info.name, c.name) << c.path;
        EXPECT_EQ(info.extension, c.extension) << c.path;
        EXPECT_EQ(info.isFile, 0) << c.path;
    }
    FILE_INFO info;
    EXPECT_FALSE(SplitPath(nullptr, info));
    EXPECT_FALSE(SplitPath(std::string(PATH_MAX, 'a').c_str(), info));
    EXPECT_TRUE(SplitPath(std::string(PATH_MAX - 1, 'a').c_str(), info));
}

TEST(Paths, ProgramFolderAndNameComeFromTheExecutableAndRelativeFoldersGoThere) {
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    CCharString folder, name;
    ASSERT_TRUE(GetProgramFolder(folder));
    ASSERT_TRUE(GetProgramName(name));
    EXPECT_EQ(folder.Str(), program.parent_path().string());
    EXPECT_EQ(name.Str(), program.stem().string());
    // A folder of this process's own, so that test programs running side by
    // side in the same program folder never remove each other's folders.
    const std::string top = "PathsTest-" + std::to_string(getpid());
    const std::filesystem::path made = folder.Str() + "/" + top;
    EXPECT_TRUE(MakeDirectory((top + "/Data/Songs/").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(made / "Data" / "Songs"));
    EXPECT_TRUE(MakeDirectory((top + "\\Data\\Songs").c_str()));  // again, and with backslashes
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
}

TEST(Paths, MakeDirectoryMakesEveryMissingFolderButNotOverAFile) {
    CTempFolder temp("paths");
    EXPECT_TRUE(MakeDirectory(temp.Path("a//b/c///").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path("a/b/c")));
    EXPECT_TRUE(MakeDirectory("/"));
    EXPECT_TRUE(MakeFileDirectory(temp.Path("x/y/song.mid").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path("x/y")));
    EXPECT_FALSE(std::filesystem::exists(temp.Path("x/y/song.mid")));

    std::ofstream(temp.Path("file")) << "x";
    EXPECT_FALSE(MakeDirectory(temp.Path("file").c_str()));
    EXPECT_FALSE(MakeDirectory(temp.Path("file/sub").c_str()));
    EXPECT_FALSE(MakeDirectory(nullptr));
}

TEST(Paths, ChangeExtensionReplacesOnlyTheLastExtension) {
    EXPECT_EQ(ChangeExtension("/x/y/z.tar.gz", ".bz2"), "/x/y/z.tar.bz2");
    EXPECT_EQ(ChangeExtension("Songs/Blues", ".mid"), "Songs/Blues.mid");
    EXPECT_EQ(ChangeExtension("dir.d/name", ".log"), "dir.d/name.log");
    EXPECT_EQ(ChangeExtension("a.mid", ""), "a");
    EXPECT_EQ(ChangeExtension(nullptr, ".x"), "");
}
