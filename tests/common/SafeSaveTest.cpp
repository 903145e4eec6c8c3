#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "../TempFolder.h"
#include "common/SafeSave.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The names in folder, "." and ".." aside.
int CountEntries(const std::string& folder) {
    int count = 0;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        count += name != "." && name != ".." ? 1 : 0;
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return count;
}

// A disk with room for kRoom more bytes per save: later writes are short,
// then fail with ENOSPC, as write(2) does on a full file system.
constexpr size_t kRoom = 10;
size_t g_written = 0;

ssize_t FullDiskWrite(int fd, const void* data, size_t size) {
    if (g_written >= kRoom) {
        errno = ENOSPC;
        return -1;
    }
    const size_t part = std::min(size, kRoom - g_written);
    const ssize_t written = ::write(fd, data, part);
    g_written += written > 0 ? static_cast<size_t>(written) : 0;
    return written;
}

// Puts the full disk in the place of write(2) while it lives.
class CFullDisk {
public:
    CFullDisk() {
        g_written = 0;
        CSafeSave::SetWriteFunction(FullDiskWrite);
    }
    ~CFullDisk() { CSafeSave::SetWriteFunction(nullptr); }
    CFullDisk(const CFullDisk&) = delete;
    CFullDisk& operator=(const CFullDisk&) = delete;
};

const std::string kOld = "the old content, which must survive\n";
const std::string kNew(4096, 'n');

}  // namespace

TEST(SafeSave, SavesANewFileAndReplacesAnOldOne) {
    CTempFolder folder("safe-save");
    const std::string path = folder.Path("sub/file.txt");
    std::string error;
    ASSERT_TRUE(CSafeSave::Save(path, "first", 5, error)) << error;
    EXPECT_EQ(ReadFile(path), "first");
    ASSERT_TRUE(CSafeSave::Save(path, kNew.data(), kNew.size(), error)) << error;
    EXPECT_EQ(ReadFile(path), kNew);
    EXPECT_EQ(CountEntries(folder.Path("sub")), 1);
}

TEST(SafeSave, AFullDiskFailsTheSaveAndLeavesTheOldFileAsItWas) {
    CTempFolder folder("safe-save-full");
    const std::string path = folder.Path("file.txt");
    WriteFile(path, kOld);
    std::string error;
    {
        CFullDisk full;
        EXPECT_FALSE(CSafeSave::Save(path, kNew.data(), kNew.size(), error));
    }
    EXPECT_EQ(error, "Can't save " + path + ": " + std::strerror(ENOSPC));
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(CountEntries(folder.Get()), 1) << "the temporary file is left";
}

TEST(SafeSave, AFullDiskMidwayThroughAStreamedSaveKeepsTheOldFile) {
    CTempFolder folder("safe-save-stream");
    const std::string path = folder.Path("file.wav");
    WriteFile(path, kOld);
    CSafeSave save;
    ASSERT_TRUE(save.Begin(path)) << save.GetError();
    {
        CFullDisk full;
        EXPECT_TRUE(save.Write("12345", 5));
        EXPECT_FALSE(save.Write(kNew.data(), kNew.size()));
    }
    EXPECT_FALSE(save.IsOpen());
    EXPECT_FALSE(save.Commit()) << "a failed save never renames its file";
    EXPECT_EQ(std::string(save.GetError()).rfind("Can't save " + path + ": ", 0), 0u);
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(CountEntries(folder.Get()), 1);
}

// A real short write from the kernel: a file-size limit cuts the write
// short and then fails it with EFBIG, as a full disk does with ENOSPC.
TEST(SafeSave, AShortWriteOfTheSystemFailsTheSave) {
    CTempFolder folder("safe-save-limit");
    const std::string path = folder.Path("file.txt");
    WriteFile(path, kOld);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 100;
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string error;
    const bool saved = CSafeSave::Save(path, kNew.data(), kNew.size(), error);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, handler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "Can't save " + path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(CountEntries(folder.Get()), 1);
}

TEST(SafeSave, ALinkIsWrittenThroughAndAReadOnlyFileIsRefused) {
    CTempFolder folder("safe-save-link");
    const std::string target = folder.Path("target.txt");
    const std::string link = folder.Path("link.txt");
    WriteFile(target, kOld);
    ASSERT_EQ(symlink("target.txt", link.c_str()), 0);
    std::string error;
    ASSERT_TRUE(CSafeSave::Save(link, "new", 3, error)) << error;
    EXPECT_EQ(ReadFile(target), "new");
    struct stat status {};
    ASSERT_EQ(lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    EXPECT_FALSE(CSafeSave::Save(link, "newer", 5, error));
    EXPECT_EQ(error, "Can't save " + link + ": the file is read-only");
    EXPECT_EQ(ReadFile(target), "new");
}

TEST(SafeSave, AFileForItsOwnerOnlyIsNeverOpenToOthers) {
    CTempFolder folder("safe-save-mode");
    const std::string path = folder.Path("settings.ini");
    std::string error;
    ASSERT_TRUE(CSafeSave::Save(path, "a=1", 3, error, CSafeSave::kOwnerOnlyMode)) << error;
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_TRUE(CSafeSave::Save(path, "a=2", 3, error, CSafeSave::kOwnerOnlyMode)) << error;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(CSafeSave::Save(path, "a=3", 3, error)) << error;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
}

TEST(SafeSave, WriteAtChangesBytesAlreadyWritten) {
    CTempFolder folder("safe-save-at");
    const std::string path = folder.Path("file.bin");
    CSafeSave save;
    ASSERT_TRUE(save.Begin(path));
    ASSERT_TRUE(save.Write("abcdef", 6));
    ASSERT_TRUE(save.WriteAt(1, "XY", 2));
    ASSERT_TRUE(save.Write("g", 1));
    ASSERT_TRUE(save.Commit()) << save.GetError();
    EXPECT_EQ(ReadFile(path), "aXYdefg");
}

TEST(SafeSave, AnAbandonedSaveLeavesNothing) {
    CTempFolder folder("safe-save-abandon");
    const std::string path = folder.Path("file.txt");
    WriteFile(path, kOld);
    {
        CSafeSave save;
        ASSERT_TRUE(save.Begin(path));
        ASSERT_TRUE(save.Write("x", 1));
    }
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(CountEntries(folder.Get()), 1);
}
