#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "FileTesting.h"
#include "TempFolder.h"
#include "foundation/DiskFile.h"
#include "foundation/ErrorText.h"

namespace {

using Lines = std::vector<std::string>;

// Every line NextLine delivers, until it returns false; the end stays ended.
Lines ReadAllLines(CDiskFile& file) {
    Lines lines;
    const char* line = nullptr;
    while (file.NextLine(line)) {
        lines.emplace_back(line);
    }
    EXPECT_EQ(line, nullptr);
    EXPECT_FALSE(file.NextLine(line));
    return lines;
}

// A temporary folder of each test's own.
class DiskFile : public testing::Test {
protected:
    // The path of name in the folder, written with content.
    std::string Make(const char* name, const std::string& content) {
        const std::string path = m_folder.Path(name);
        WriteFile(path, content);
        return path;
    }
    // Every line of a file holding content.
    Lines LinesOf(const std::string& content) {
        CDiskFile file;
        EXPECT_TRUE(file.Open(Make("lines.txt", content).c_str(), true, false, false));
        const Lines lines = ReadAllLines(file);
        EXPECT_STREQ(file.GetError(), "");
        return lines;
    }
    CTempFolder m_folder{"diskfile"};
};

mode_t PermissionsOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0);
    return status.st_mode & 0777;
}

}  // namespace

TEST_F(DiskFile, NextLineEndsLinesAtCrLfLfOrCrAloneAndKeepsTheRest) {
    const struct {
        const char* content;
        Lines lines;
    } cases[] = {
        {"x\r\ny\r\n", {"x", "y"}},
        {"x\ny\n", {"x", "y"}},
        {"a\r\nb\n\r\n\nc\rd\r\n", {"a", "b", "", "", "c", "d"}},
        {"x\ry\r", {"x", "y"}},
        {"x\r\ry", {"x", "", "y"}},
        {"x\n\ry", {"x", "", "y"}},
        {"\r", {""}},
        {"x\r\ny", {"x", "y"}},
        {"only", {"only"}},
        {"x\r\ny\r", {"x", "y"}},  // a cut-off CR LF
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinesOf(c.content), c.lines) << testing::PrintToString(c.content);
    }
}

TEST_F(DiskFile, ACrLfSplitByABufferRefillIsOneLineEnd) {
    const std::string first(CDiskFile::kBufferSize - 2, 'a');
    EXPECT_EQ(LinesOf(first + "\r\nb"), (Lines{first, "b"}));
    EXPECT_EQ(LinesOf(first + "\rb"), (Lines{first, "b"}));
    EXPECT_EQ(LinesOf(first + "\r"), (Lines{first}));
}

TEST_F(DiskFile, NextLineReadsAcrossBufferRefillsAndALineLongerThanTheBuffer) {
    constexpr int kShortLines = 100000;
    const std::string longLine(3 * CDiskFile::kBufferSize, 'q');
    std::string content;
    for (int i = 0; i < kShortLines; ++i) {
        content += "line " + std::to_string(i) + (i % 2 == 0 ? "\r\n" : "\n");
    }
    const Lines lines = LinesOf(content + longLine + "\r\nafter");
    ASSERT_EQ(lines.size(), kShortLines + 2u);
    for (int i = 0; i < kShortLines; ++i) {
        ASSERT_EQ(lines[i], "line " + std::to_string(i));
    }
    EXPECT_TRUE(lines[kShortLines] == longLine);
    EXPECT_EQ(lines.back(), "after");
}

TEST_F(DiskFile, NextLineFailsWithATextOnALineBeyondTheLimit) {
    const std::string path = m_folder.Path("huge.txt");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string chunk(1 << 20, 'z');
        for (size_t written = 0; written <= CDiskFile::kMaxLineLength; written += chunk.size()) {
            out << chunk;
        }
        out << "\r\n";
    }
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, false));
    const char* line = nullptr;
    EXPECT_FALSE(file.NextLine(line));
    EXPECT_EQ(line, nullptr);
    EXPECT_STREQ(file.GetError(), "Can't read line: longer than 67108864 bytes");
    EXPECT_FALSE(file.NextLine(line));  // still failing, not looping or ending quietly
}

TEST_F(DiskFile, OpenModesDecideBetweenAppendingAndStartingEmpty) {
    const struct {
        bool read, write, create;
        uint64_t sizeAtOpen;
        const char* content;  // after writing "new" when writable
    } cases[] = {
        {false, true, false, 5, "old\r\nnew\r\n"}, {true, true, false, 5, "old\r\nnew\r\n"},
        {false, true, true, 0, "new\r\n"},         {true, true, true, 0, "new\r\n"},
        {true, false, true, 5, "old\r\n"},         {true, false, false, 5, "old\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.read << c.write << c.create);
        const std::string path = Make("file.txt", "old\r\n");
        CDiskFile file;
        ASSERT_TRUE(file.Open(path.c_str(), c.read, c.write, c.create)) << file.GetError();
        EXPECT_EQ(file.GetFileSize(), c.sizeAtOpen);
        EXPECT_EQ(file.WriteLine("new", false), c.write);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(ReadFile(path), c.content);
    }
}

TEST_F(DiskFile, OpenWithCreateMakesTheFolderOfAnAbsoluteOrRelativePath) {
    CDiskFile file;
    ASSERT_TRUE(file.Open(m_folder.Path("a/b/c.txt").c_str(), false, true, true));
    file.Close();
    EXPECT_TRUE(std::filesystem::is_regular_file(m_folder.Path("a/b/c.txt")));

    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(m_folder.Get().c_str()), 0);
    const bool opened = file.Open("sub/file.txt", false, true, true);
    file.Close();
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_TRUE(opened) << file.GetError();
    EXPECT_TRUE(std::filesystem::is_regular_file(m_folder.Path("sub/file.txt")));
}

TEST_F(DiskFile, OpenFailuresNameTheReasonAndCreateNothing) {
    CDiskFile file;
    EXPECT_FALSE(file.Open(m_folder.Path("none.txt").c_str(), false, false, true));
    EXPECT_STREQ(file.GetError(), "No read, no write flags");
    const std::string missing = m_folder.Path("missing.txt");
    EXPECT_FALSE(file.Open(missing.c_str(), true, false, false));
    EXPECT_EQ(std::string(file.GetError()),
              "Can't open " + missing + ": No such file or directory");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(FolderEntries(m_folder.Get()).empty());
}

TEST_F(DiskFile, OpeningAnOpenFileSucceedsAndKeepsTheFirstFile) {
    const std::string first = Make("first.txt", "one\r\ntwo\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(first.c_str(), true, false, false));
    const char* line = nullptr;
    ASSERT_TRUE(file.NextLine(line));
    EXPECT_TRUE(file.Open(m_folder.Path("second.txt").c_str(), false, true, true));
    EXPECT_STREQ(file.GetFullName(), first.c_str());
    EXPECT_STREQ(file.GetShortName(), "first.txt");
    EXPECT_EQ(ReadAllLines(file), (Lines{"two"}));  // reading goes on where it was
    EXPECT_FALSE(std::filesystem::exists(m_folder.Path("second.txt")));
}

TEST_F(DiskFile, OpenForWritingGivesBackTheOwnersWritePermission) {
    const std::string path = Make("readonly.txt", "a\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), false, true, false)) << file.GetError();
    ASSERT_TRUE(file.WriteLine("b", false));
    file.Close();
    EXPECT_EQ(PermissionsOf(path), 0644u);
    EXPECT_EQ(ReadFile(path), "a\r\nb\r\n");
}

TEST_F(DiskFile, ReadDeliversTheExactBytesOrClearsTheDataAndNamesTheReason) {
    const std::string content("a\0b\r\nc", 6);
    CDiskFile file;
    std::vector<char> data;
    ASSERT_TRUE(file.Read(Make("binary.bin", content).c_str(), data)) << file.GetError();
    EXPECT_EQ(std::string(data.begin(), data.end()), content);
    // Files under /proc report a size of 0 but have content.
    ASSERT_TRUE(file.Read("/proc/self/status", data)) << file.GetError();
    EXPECT_NE(std::string(data.begin(), data.end()).find("Name:"), std::string::npos);
    ASSERT_TRUE(file.Read(Make("empty.bin", "").c_str(), data));
    EXPECT_TRUE(data.empty());

    data.push_back('x');
    EXPECT_FALSE(file.Read(m_folder.Path("missing.bin").c_str(), data));
    EXPECT_STREQ(file.GetError(), "No such file or directory");
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(file.Read(m_folder.Get().c_str(), data));
    EXPECT_STREQ(file.GetError(), "it is not a regular file");
}

TEST_F(DiskFile, AFileChangedAfterOpenIsReadAsItNowIs) {
    const std::string path = m_folder.Path("changing.txt");
    const auto reopen = [&](CDiskFile& file, const std::string& content) {
        file.Close();
        WriteFile(path, content);
        return file.Open(path.c_str(), true, false, false);
    };
    CDiskFile file;
    ASSERT_TRUE(reopen(file, "one\r\ntwo\r\n"));
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two"}));

    ASSERT_TRUE(reopen(file, "one\r\ntwo\r\n"));
    ASSERT_EQ(truncate(path.c_str(), 0), 0);
    EXPECT_TRUE(ReadAllLines(file).empty());
    EXPECT_STREQ(file.GetError(), "");

    ASSERT_TRUE(reopen(file, "one\r\n"));
    std::ofstream(path, std::ios::binary | std::ios::app) << "two\r\nthree";
    EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two", "three"}));

    constexpr int kLines = 50000;  // several buffers long
    std::string content;
    for (int i = 0; i < kLines; ++i) {
        content += "line " + std::to_string(i) + "\r\n";
    }
    ASSERT_TRUE(reopen(file, content));
    const char* line = nullptr;
    ASSERT_TRUE(file.NextLine(line));
    ASSERT_EQ(truncate(path.c_str(), 10), 0);
    const Lines rest = ReadAllLines(file);
    EXPECT_LT(rest.size(), static_cast<size_t>(kLines));
    EXPECT_FALSE(rest.empty());  // the rest of the first buffer
}

TEST_F(DiskFile, ReadLinesAppendsEveryLineAndLeavesTheOpenFileAlone) {
    CDiskFile file;
    ASSERT_TRUE(file.Open(Make("open.txt", "mine\r\n").c_str(), true, false, false));
    std::vector<CCharString> lines{CCharString("kept")};
    ASSERT_TRUE(file.ReadLines(Make("other.txt", "a\r\nb\rc").c_str(), lines)) << file.GetError();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "kept");
    EXPECT_EQ(lines[1], "a");
    EXPECT_EQ(lines[3], "c");
    EXPECT_EQ(ReadAllLines(file), (Lines{"mine"}));
    EXPECT_FALSE(file.ReadLines(m_folder.Path("missing.txt").c_str(), lines));
    EXPECT_EQ(lines.size(), 4u);
}

TEST_F(DiskFile, SeekToStartReadsTheLinesAgainAndTruncateEmptiesTheFile) {
    const std::string path = Make("seek.txt", "one\r\ntwo\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, true, false));
    EXPECT_TRUE(ReadAllLines(file).empty());  // writing without create starts at the end
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(file.SeekToStart());
        EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two"}));
    }
    ASSERT_TRUE(file.SeekToEnd());
    EXPECT_TRUE(ReadAllLines(file).empty());
    ASSERT_TRUE(file.Truncate());
    EXPECT_EQ(file.GetFileSize(), 0u);
    ASSERT_TRUE(file.WriteLine("three", false));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path), "three\r\n");
}

TEST_F(DiskFile, OperationsTheFileIsNotOpenForFailWithATextAndCloseStaysHarmless) {
    CDiskFile file;
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_STREQ(file.GetError(), "Can't write: Bad file descriptor");
    EXPECT_FALSE(file.SeekToStart());
    EXPECT_STREQ(file.GetError(), "Can't move to the start of file: Bad file descriptor");
    EXPECT_FALSE(file.Truncate());
    EXPECT_TRUE(file.Flush());
    ASSERT_TRUE(file.Open(m_folder.Path("w.txt").c_str(), false, true, false));
    const char* line = nullptr;
    EXPECT_FALSE(file.NextLine(line));
    EXPECT_STREQ(file.GetError(), "Can't read line: file not open for reading");
}

TEST_F(DiskFile, WriteLineStampsEachLineWithTheLocalTime) {
    const std::string path = m_folder.Path("stamped.txt");
    CDiskFile file;
    {
        CTestClock clock(LOCAL_TIME{2024, 3, 7, 9, 5, 2, 998}, 1);
        ASSERT_TRUE(file.Open(path.c_str(), false, true, true));
        for (const char* text : {"first", "second", "third"}) {
            ASSERT_TRUE(file.WriteLine(text, true));
        }
        ASSERT_TRUE(file.Close());
    }
    EXPECT_EQ(ReadFile(path),
              "03/07/24 09:05:02.998  first\r\n"
              "03/07/24 09:05:02.999  second\r\n"
              "03/07/24 09:05:03.000  third\r\n");
    // The system clock gives the same layout.
    ASSERT_TRUE(file.Open(path.c_str(), false, true, true));
    ASSERT_TRUE(file.WriteLine("text", true));
    ASSERT_TRUE(file.Close());
    EXPECT_TRUE(CPattern("^" + kStampPattern + "text\r\n$").Matches(ReadFile(path)))
        << ReadFile(path);
}

TEST_F(DiskFile, SaveFileReplacesTheTargetWholeOrLeavesItAndNoTemporaryFile) {
    const std::string path = Make("settings.txt", "old content\r\n");
    const std::string witness = m_folder.Path("witness");
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    // A second name for the old file: an in-place rewrite would change it too.
    ASSERT_EQ(link(path.c_str(), witness.c_str()), 0);
    const std::string content = "new content\r\n";
    CCharString error;
    ASSERT_TRUE(CDiskFile::SaveFile(path.c_str(), content.data(), content.size(), error))
        << error.GetText();
    EXPECT_EQ(ReadFile(path), content);
    EXPECT_EQ(ReadFile(witness), "old content\r\n");
    EXPECT_EQ(PermissionsOf(path), 0600u);
    ASSERT_TRUE(CDiskFile::SaveFile(m_folder.Path("new/file.bin").c_str(), "abc", 3, error));
    EXPECT_EQ(ReadFile(m_folder.Path("new/file.bin")), "abc");

    // A folder in the way cannot be replaced.
    const std::string folder = m_folder.Path("new");
    EXPECT_FALSE(CDiskFile::SaveFile(folder.c_str(), "abc", 3, error));
    EXPECT_EQ(error.Str().rfind("Can't save " + folder + ": ", 0), 0u) << error.GetText();
    EXPECT_EQ(FolderEntries(folder), (Lines{"file.bin"}));
    Lines names = FolderEntries(m_folder.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"new", "settings.txt", "witness"}));
}

TEST(ErrorText, DescribesAKnownCodeAndCallsOthersUnknown) {
    CCharString text;
    EXPECT_TRUE(GetErrorText(ENOENT, text));
    EXPECT_EQ(text, "No such file or directory");
    EXPECT_FALSE(GetErrorText(987654, text));
    EXPECT_EQ(text, "Unknown error 987654");
    EXPECT_FALSE(GetErrorText(-3, text));
    EXPECT_EQ(text, "Unknown error -3");
}

// Start-up files that are FIFOs or devices must neither block nor flood.
TEST_F(DiskFile, ReadingTakesOnlyRegularFilesAndNeverWaitsOnAFifo) {
    const std::string fifo = m_folder.Path("content.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = m_folder.Path("zero.txt");
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& path : {fifo, zero}) {
        CDiskFile file;
        EXPECT_FALSE(file.Open(path.c_str(), true, false, false)) << path;
        EXPECT_EQ(std::string(file.GetError()),
                  "Can't open " + path + ": it is not a regular file");
        std::vector<char> data;
        EXPECT_FALSE(file.Read(path.c_str(), data, 1024)) << path;
        EXPECT_STREQ(file.GetError(), "it is not a regular file");
        EXPECT_TRUE(data.empty());
    }
}

TEST_F(DiskFile, ReadRefusesAFileOverTheCallersLimitAndNamesThatLimit) {
    const std::string path = Make("big.txt", std::string(2048, 'x'));
    CDiskFile file;
    std::vector<char> data;
    EXPECT_FALSE(file.Read(path.c_str(), data, 1024));
    EXPECT_STREQ(file.GetError(), "it holds 2048 bytes, more than the 1024 allowed");
    EXPECT_TRUE(file.Read(path.c_str(), data, 2048)) << file.GetError();
    EXPECT_EQ(data.size(), 2048u);
}

TEST_F(DiskFile, SaveFileWritesThroughALinkAndLeavesWhatItMayNotReplace) {
    const std::string target = Make("real.mix", "old");
    const std::string link = m_folder.Path("Default.mix");
    ASSERT_EQ(symlink("real.mix", link.c_str()), 0);
    CCharString error;
    ASSERT_TRUE(CDiskFile::SaveFile(link.c_str(), "new", 3, error)) << error.GetText();
    struct stat status {};
    ASSERT_EQ(lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(ReadFile(target), "new");

    // A read-only file stays as its owner made it, even for a user who could
    // write it anyway.
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    EXPECT_FALSE(CDiskFile::SaveFile(link.c_str(), "newer", 5, error));
    EXPECT_EQ(error.Str(), "Can't save " + link + ": the file is read-only");
    EXPECT_EQ(ReadFile(target), "new");

    const std::string fifo = m_folder.Path("pipe.mix");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(CDiskFile::SaveFile(fifo.c_str(), "x", 1, error));
    EXPECT_EQ(error.Str(), "Can't save " + fifo + ": it is not a regular file");
    Lines names = FolderEntries(m_folder.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"Default.mix", "pipe.mix", "real.mix"}));
}

// A killed save leaves its temporary file; the next save removes it, but
// never a file of the user's that only looks alike, nor the temporary file
// of a save that is still running.
TEST_F(DiskFile, SaveFileRemovesOnlyTheLeftOversOfKilledSaves) {
    const std::string path = Make("Default.mix", "old");
    const std::string killed = Make(".Default.mix.notara-save-12345-0badf00d.tmp", "half");
    // What a writer puts beside the temporary file before renaming it.
    const std::string killedWriter =
        Make(".Default.mix.notara-save-12345-0badf00d.tmp.sTtiuG", "half");
    // The parent of this test is alive and older: its save is running.
    const std::string runningName =
        ".Default.mix.notara-save-" + std::to_string(getppid()) + "-12345678.tmp";
    const std::string running = Make(runningName.c_str(), "running");
    const timespec past[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, killed.c_str(), past, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, killedWriter.c_str(), past, 0), 0);
    const timespec future[2] = {{0, UTIME_OMIT}, {time(nullptr) + 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, running.c_str(), future, 0), 0);
    for (const char* name : {"Default.mix.backup", "Default.mix.before", "Default.mix.1.tmp",
                             "Default.mix.1.tmp.backup"}) {
        Make(name, "mine");
        ASSERT_EQ(utimensat(AT_FDCWD, m_folder.Path(name).c_str(), past, 0), 0);
    }
    CCharString error;
    ASSERT_TRUE(CDiskFile::SaveFile(path.c_str(), "new", 3, error)) << error.GetText();
    Lines names = FolderEntries(m_folder.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (Lines{runningName, "Default.mix", "Default.mix.1.tmp", "Default.mix.1.tmp.backup",
                     "Default.mix.backup", "Default.mix.before"}));
}
