#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "foundation/Paths.h"

namespace {

struct SPLIT_CASE {
    const char* path;
    const char* directory;
    const char* name;
    const char* extension;
};

std::string ProgramPath() {
    char buffer[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace

TEST(Paths, SplitPathSeparatesDirectoryNameAndExtension) {
    const SPLIT_CASE cases[] = {
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
    for (const SPLIT_CASE& c : cases) {
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
}

TEST(Paths, SplitPathRefusesNullAndOverlongPaths) {
    FILE_INFO info;
    EXPECT_FALSE(SplitPath(nullptr, info));
    EXPECT_FALSE(SplitPath(std::string(PATH_MAX, 'a').c_str(), info));
    EXPECT_TRUE(SplitPath(std::string(PATH_MAX - 1, 'a').c_str(), info));
}

TEST(Paths, ProgramFolderAndNameComeFromTheRunningExecutable) {
    const std::filesystem::path program(ProgramPath());
    CCharString folder, name;
    ASSERT_TRUE(GetProgramFolder(folder));
    ASSERT_TRUE(GetProgramName(name));
    EXPECT_EQ(folder.Str(), program.parent_path().string());
    EXPECT_NE(folder.GetAt(folder.GetLength() - 1), '/');
    EXPECT_EQ(name.Str(), program.stem().string());
}

TEST(Paths, MakeDirectoryMakesARelativePathBelowTheProgramFolderAndAgain) {
    CCharString programFolder;
    ASSERT_TRUE(GetProgramFolder(programFolder));
    // A folder of this process's own, so that test programs running side by
    // side in the same program folder never remove each other's folders.
    const std::string top = "PathsTest-" + std::to_string(getpid());
    const std::string relative = top + "/Data/Songs/";
    const std::filesystem::path made = std::string(programFolder.GetText()) + "/" + top;
    EXPECT_TRUE(MakeDirectory(relative.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(made / "Data" / "Songs"));
    EXPECT_TRUE(MakeDirectory(relative.c_str()));
    EXPECT_TRUE(MakeDirectory((top + "\\Data\\Songs").c_str()));
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
}

TEST(Paths, MakeDirectoryMakesEveryMissingFolderOfAnAbsolutePath) {
    CTempFolder temp("paths");
    EXPECT_TRUE(MakeDirectory(temp.Path("a//b/c///").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path("a/b/c")));
    EXPECT_TRUE(MakeDirectory("/"));
}

TEST(Paths, MakeDirectoryFailsWhereAFileStandsInTheWay) {
    CTempFolder temp("paths");
    std::ofstream(temp.Path("file")) << "x";
    EXPECT_FALSE(MakeDirectory(temp.Path("file").c_str()));
    EXPECT_FALSE(MakeDirectory(temp.Path("file/sub").c_str()));
    EXPECT_FALSE(MakeDirectory(nullptr));
}

TEST(Paths, MakeFileDirectoryMakesTheFolderAFileLiesIn) {
    CTempFolder temp("paths");
    EXPECT_TRUE(MakeFileDirectory(temp.Path("x/y/song.mid").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path("x/y")));
    EXPECT_FALSE(std::filesystem::exists(temp.Path("x/y/song.mid")));
}

TEST(Paths, ChangeExtensionReplacesOnlyTheLastExtension) {
    EXPECT_EQ(ChangeExtension("/x/y/z.tar.gz", ".bz2"), "/x/y/z.tar.bz2");
    EXPECT_EQ(ChangeExtension("Songs/Blues", ".mid"), "Songs/Blues.mid");
    EXPECT_EQ(ChangeExtension("dir.d/name", ".log"), "dir.d/name.log");
    EXPECT_EQ(ChangeExtension("a.mid", ""), "a");
    EXPECT_EQ(ChangeExtension(nullptr, ".x"), "");
}
