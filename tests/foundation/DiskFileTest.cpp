#include <gtest/gtest.h>
#include <regex.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "foundation/DiskFile.h"
#include "foundation/ErrorText.h"
#include "platform/Clock.h"

namespace {

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// Every line NextLine delivers, until it returns false.
std::vector<std::string> ReadAllLines(CDiskFile& file) {
    std::vector<std::string> lines;
    const char* line = nullptr;
    while (file.NextLine(line)) {
        lines.emplace_back(line);
    }
    EXPECT_EQ(line, nullptr);
    return lines;
}

std::vector<std::string> LinesOf(const std::string& content) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("lines.txt");
    WriteFile(path, content);
    CDiskFile file;
    EXPECT_TRUE(file.Open(path.c_str(), true, false, false)) << file.GetError();
    return ReadAllLines(file);
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// A clock that moves one millisecond each time the local time is read.
class CSteppedClock : public IClock {
public:
    explicit CSteppedClock(const LOCAL_TIME& start) : m_time(start) { Platform::SetClock(this); }
    ~CSteppedClock() override { Platform::SetClock(nullptr); }
    double GetSeconds() override { return 0.0; }
    LOCAL_TIME GetLocalTime() override {
        const LOCAL_TIME now = m_time;
        if (++m_time.millisecond == 1000) {
            m_time.millisecond = 0;
            ++m_time.second;
        }
        return now;
    }

private:
    LOCAL_TIME m_time;
};

LOCAL_TIME MakeTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    LOCAL_TIME time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    time.millisecond = ms;
    return time;
}

// A POSIX extended regular expression. (std::regex trips a false
// uninitialised-use warning of GCC 12 under the sanitizers.)
class CPattern {
public:
    explicit CPattern(const std::string& pattern) {
        m_valid = regcomp(&m_compiled, pattern.c_str(), REG_EXTENDED) == 0;
        EXPECT_TRUE(m_valid) << "bad pattern " << pattern;
    }
    CPattern(const CPattern&) = delete;
    CPattern& operator=(const CPattern&) = delete;
    ~CPattern() {
        if (m_valid) {
            regfree(&m_compiled);
        }
    }
    // Whether text matches; groups receives the parenthesised sub-matches.
    bool Matches(const std::string& text, std::vector<std::string>* groups = nullptr) const {
        regmatch_t matches[4];
        if (!m_valid || regexec(&m_compiled, text.c_str(), 4, matches, 0) != 0) {
            return false;
        }
        for (size_t i = 1; groups != nullptr && i < 4 && matches[i].rm_so >= 0; ++i) {
            const auto start = static_cast<size_t>(matches[i].rm_so);
            groups->push_back(text.substr(start, static_cast<size_t>(matches[i].rm_eo) - start));
        }
        return true;
    }

private:
    regex_t m_compiled{};
    bool m_valid = false;
};

using Lines = std::vector<std::string>;

}  // namespace

TEST(DiskFile, NextLineSplitsCrLfLines) {
    EXPECT_EQ(LinesOf("x\r\ny\r\n"), (Lines{"x", "y"}));
}

TEST(DiskFile, NextLineAcceptsBareLineFeeds) {
    EXPECT_EQ(LinesOf("x\ny\n"), (Lines{"x", "y"}));
}

TEST(DiskFile, NextLineAcceptsMixedEndingsAndKeepsEmptyLines) {
    EXPECT_EQ(LinesOf("a\r\nb\n\r\n\nc\rd\r\n"), (Lines{"a", "b", "", "", "c\rd"}));
}

TEST(DiskFile, NextLineDeliversTextAfterTheLastSeparator) {
    EXPECT_EQ(LinesOf("x\r\ny"), (Lines{"x", "y"}));
    EXPECT_EQ(LinesOf("only"), (Lines{"only"}));
    EXPECT_EQ(LinesOf("x\r\ny\r"), (Lines{"x", "y"}));  // a cut-off CR LF
}

TEST(DiskFile, NextLineOnAnEmptyFileEndsAtOnceAndStaysEnded) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("empty.txt");
    WriteFile(path, "");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, false));
    const char* line = "not touched";
    EXPECT_FALSE(file.NextLine(line));
    EXPECT_EQ(line, nullptr);
    EXPECT_FALSE(file.NextLine(line));
    EXPECT_STREQ(file.GetError(), "");
}

TEST(DiskFile, NextLineReadsALineLongerThanItsFirstBuffer) {
    const std::string longLine(300 * 1024, 'q');
    const Lines lines = LinesOf("before\r\n" + longLine + "\r\nafter");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "before");
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], "after");
}

TEST(DiskFile, NextLineReadsAHundredThousandShortLinesAcrossBufferRefills) {
    std::string content;
    for (int i = 0; i < 100000; ++i) {
        content += "line " + std::to_string(i) + (i % 2 == 0 ? "\r\n" : "\n");
    }
    const Lines lines = LinesOf(content);
    ASSERT_EQ(lines.size(), 100000u);
    for (int i = 0; i < 100000; ++i) {
        ASSERT_EQ(lines[i], "line " + std::to_string(i));
    }
}

TEST(DiskFile, NextLineFailsWithATextOnALineBeyondTheLimit) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("huge.txt");
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

TEST(DiskFile, NextLineOnAFileOpenedOnlyForWritingFails) {
    CTempFolder folder("diskfile");
    CDiskFile file;
    ASSERT_TRUE(file.Open(folder.Path("w.txt").c_str(), false, true, false));
    const char* line = nullptr;
    EXPECT_FALSE(file.NextLine(line));
    EXPECT_STREQ(file.GetError(), "Can't read line: file not open for reading");
}

TEST(DiskFile, OpenWithNeitherReadNorWriteFails) {
    CTempFolder folder("diskfile");
    CDiskFile file;
    EXPECT_FALSE(file.Open(folder.Path("none.txt").c_str(), false, false, true));
    EXPECT_STREQ(file.GetError(), "No read, no write flags");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(FolderEntries(folder.Get()).empty());
}

TEST(DiskFile, OpeningAnOpenFileSucceedsAndKeepsTheFirstFile) {
    CTempFolder folder("diskfile");
    const std::string first = folder.Path("first.txt");
    WriteFile(first, "one\r\ntwo\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(first.c_str(), true, false, false));
    const char* line = nullptr;
    ASSERT_TRUE(file.NextLine(line));
    EXPECT_TRUE(file.Open(folder.Path("second.txt").c_str(), false, true, true));
    EXPECT_STREQ(file.GetFullName(), first.c_str());
    EXPECT_STREQ(file.GetShortName(), "first.txt");
    ASSERT_TRUE(file.NextLine(line));  // reading goes on where it was
    EXPECT_STREQ(line, "two");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("second.txt")));
}

TEST(DiskFile, OpenForReadingOfAMissingFileNamesPathAndReason) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("missing.txt");
    CDiskFile file;
    EXPECT_FALSE(file.Open(path.c_str(), true, false, false));
    EXPECT_EQ(std::string(file.GetError()), "Can't open " + path + ": No such file or directory");
}

TEST(DiskFile, OpenForWritingAppendsToAnExistingFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("log.txt");
    WriteFile(path, "old\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), false, true, false));
    EXPECT_EQ(file.GetFileSize(), 5u);
    ASSERT_TRUE(file.WriteLine("new", false));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path), "old\r\nnew\r\n");
}

TEST(DiskFile, OpenWithCreateMakesTheFolderAndEmptiesTheFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("a/b/c.txt");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, true, true)) << file.GetError();
    ASSERT_TRUE(file.WriteLine("fresh", false));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path), "fresh\r\n");
    ASSERT_TRUE(file.Open(path.c_str(), false, true, true));
    EXPECT_EQ(file.GetFileSize(), 0u);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path), "");
}

TEST(DiskFile, OpenWithCreateOfARelativePathMakesTheFolderBelowTheCurrentFolder) {
    CTempFolder folder("diskfile");
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.Get().c_str()), 0);
    CDiskFile file;
    const bool opened = file.Open("sub/file.txt", false, true, true);
    file.Close();
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_TRUE(opened) << file.GetError();
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.Path("sub/file.txt")));
}

TEST(DiskFile, OpenForReadingWithCreateNeverEmptiesTheFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("keep.txt");
    WriteFile(path, "keep\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, true));
    EXPECT_EQ(ReadAllLines(file), (Lines{"keep"}));
    file.Close();
    EXPECT_EQ(ReadFile(path), "keep\r\n");
}

TEST(DiskFile, OpenForWritingGivesBackTheOwnersWritePermission) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("readonly.txt");
    WriteFile(path, "a\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), false, true, false)) << file.GetError();
    ASSERT_TRUE(file.WriteLine("b", false));
    file.Close();
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(ReadFile(path), "a\r\nb\r\n");
}

TEST(DiskFile, ReadOfAMissingFileFailsWithTheSystemReason) {
    CTempFolder folder("diskfile");
    CDiskFile file;
    std::vector<char> data{'x'};
    EXPECT_FALSE(file.Read(folder.Path("missing.bin").c_str(), data));
    EXPECT_STREQ(file.GetError(), "Can't open: No such file or directory");
    EXPECT_TRUE(data.empty());
}

TEST(DiskFile, ReadDeliversTheExactBytesOfTheFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("binary.bin");
    const std::string content("a\0b\r\nc", 6);
    WriteFile(path, content);
    CDiskFile file;
    std::vector<char> data;
    ASSERT_TRUE(file.Read(path.c_str(), data)) << file.GetError();
    EXPECT_EQ(std::string(data.begin(), data.end()), content);
    WriteFile(path, "");
    ASSERT_TRUE(file.Read(path.c_str(), data));
    EXPECT_TRUE(data.empty());
}

TEST(DiskFile, ReadOfAFileThatReportsNoSizeStillReadsItAll) {
    // Files under /proc report a size of 0 but have content.
    CDiskFile file;
    std::vector<char> data;
    ASSERT_TRUE(file.Read("/proc/self/status", data)) << file.GetError();
    const std::string text(data.begin(), data.end());
    EXPECT_NE(text.find("Name:"), std::string::npos);
}

TEST(DiskFile, ReadOfAFolderFailsWithATextInsteadOfReturningNothing) {
    CTempFolder folder("diskfile");
    CDiskFile file;
    std::vector<char> data;
    EXPECT_FALSE(file.Read(folder.Get().c_str(), data));
    EXPECT_STREQ(file.GetError(), "Can't read file: Is a directory");
}

TEST(DiskFile, AFileDeletedAfterOpenStillDeliversItsLines) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("deleted.txt");
    WriteFile(path, "one\r\ntwo\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, false));
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two"}));
}

TEST(DiskFile, AFileEmptiedAfterOpenEndsReadingCleanly) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("emptied.txt");
    WriteFile(path, "one\r\ntwo\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, false));
    ASSERT_EQ(truncate(path.c_str(), 0), 0);
    EXPECT_TRUE(ReadAllLines(file).empty());
    EXPECT_STREQ(file.GetError(), "");
}

TEST(DiskFile, AFileCutShortWhileBeingReadEndsWithWhatIsLeft) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("shrinking.txt");
    std::string content;
    for (int i = 0; i < 50000; ++i) {
        content += "line " + std::to_string(i) + "\r\n";  // several buffers long
    }
    WriteFile(path, content);
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, false));
    const char* line = nullptr;
    ASSERT_TRUE(file.NextLine(line));
    ASSERT_EQ(truncate(path.c_str(), 10), 0);
    const Lines rest = ReadAllLines(file);
    EXPECT_LT(rest.size(), 50000u);
    EXPECT_FALSE(rest.empty());  // the rest of the first buffer
}

TEST(DiskFile, AFileThatGrowsAfterOpenIsReadToItsRealEnd) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("growing.txt");
    WriteFile(path, "one\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, false, false));
    {
        std::ofstream more(path, std::ios::binary | std::ios::app);
        more << "two\r\nthree";
    }
    EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two", "three"}));
    std::vector<char> data;
    ASSERT_TRUE(file.Read(path.c_str(), data));
    EXPECT_EQ(data.size(), 15u);
}

TEST(DiskFile, ReadLinesAppendsEveryLineAndLeavesTheOpenFileAlone) {
    CTempFolder folder("diskfile");
    const std::string open = folder.Path("open.txt");
    const std::string other = folder.Path("other.txt");
    WriteFile(open, "mine\r\n");
    WriteFile(other, "a\r\nb\nc");
    CDiskFile file;
    ASSERT_TRUE(file.Open(open.c_str(), true, false, false));
    std::vector<CCharString> lines{CCharString("kept")};
    ASSERT_TRUE(file.ReadLines(other.c_str(), lines)) << file.GetError();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "kept");
    EXPECT_EQ(lines[1], "a");
    EXPECT_EQ(lines[3], "c");
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(ReadAllLines(file), (Lines{"mine"}));
    EXPECT_FALSE(file.ReadLines(folder.Path("missing.txt").c_str(), lines));
    EXPECT_EQ(lines.size(), 4u);
}

TEST(DiskFile, SeekToStartReadsTheLinesAgainAndTruncateEmptiesTheFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("seek.txt");
    WriteFile(path, "one\r\ntwo\r\n");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), true, true, false));
    EXPECT_TRUE(ReadAllLines(file).empty());  // writing without create starts at the end
    ASSERT_TRUE(file.SeekToStart());
    EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two"}));
    ASSERT_TRUE(file.SeekToStart());
    EXPECT_EQ(ReadAllLines(file), (Lines{"one", "two"}));
    ASSERT_TRUE(file.SeekToEnd());
    EXPECT_TRUE(ReadAllLines(file).empty());
    ASSERT_TRUE(file.Truncate());
    EXPECT_EQ(file.GetFileSize(), 0u);
    ASSERT_TRUE(file.WriteLine("three", false));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path), "three\r\n");
}

TEST(DiskFile, OperationsOnAClosedFileFailWithATextAndCloseStaysHarmless) {
    CDiskFile file;
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_STREQ(file.GetError(), "Can't write: Bad file descriptor");
    EXPECT_FALSE(file.SeekToStart());
    EXPECT_STREQ(file.GetError(), "Can't move to the start of file: Bad file descriptor");
    EXPECT_FALSE(file.Truncate());
    EXPECT_TRUE(file.Flush());
}

TEST(DiskFile, WriteLineStampsEachLineWithTheLocalTime) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("stamped.txt");
    {
        CSteppedClock clock(MakeTime(2024, 3, 7, 9, 5, 2, 998));
        CDiskFile file;
        ASSERT_TRUE(file.Open(path.c_str(), false, true, true));
        ASSERT_TRUE(file.WriteLine("first", true));
        ASSERT_TRUE(file.WriteLine("second", true));
        ASSERT_TRUE(file.WriteLine("third", true));
    }
    EXPECT_EQ(ReadFile(path),
              "03/07/24 09:05:02.998  first\r\n"
              "03/07/24 09:05:02.999  second\r\n"
              "03/07/24 09:05:03.000  third\r\n");
}

TEST(DiskFile, WriteLineWithTheSystemClockMatchesTheTimeStampPattern) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("stamped.txt");
    CDiskFile file;
    ASSERT_TRUE(file.Open(path.c_str(), false, true, true));
    ASSERT_TRUE(file.WriteLine("text", true));
    ASSERT_TRUE(file.Close());
    // ^\d\d/\d\d/\d\d \d\d:\d\d:\d\d\.\d\d\d  text\r\n$
    const CPattern pattern(
        "^[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}  text\r\n$");
    EXPECT_TRUE(pattern.Matches(ReadFile(path))) << ReadFile(path);
}

TEST(DiskFile, SaveFileReplacesTheTargetWholeAndLeavesNoTemporaryFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("settings.txt");
    const std::string witness = folder.Path("witness");
    WriteFile(path, "old content\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    // A second name for the old file: an in-place rewrite would change it too.
    ASSERT_EQ(link(path.c_str(), witness.c_str()), 0);
    const std::string content = "new content\r\n";
    CCharString error;
    ASSERT_TRUE(CDiskFile::SaveFile(path.c_str(), content.data(), content.size(), error))
        << error.GetText();
    EXPECT_EQ(ReadFile(path), content);
    EXPECT_EQ(ReadFile(witness), "old content\r\n");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    std::vector<std::string> names = FolderEntries(folder.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"settings.txt", "witness"}));
}

TEST(DiskFile, SaveFileMakesTheFolderOfANewFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("new/folder/file.bin");
    CCharString error;
    ASSERT_TRUE(CDiskFile::SaveFile(path.c_str(), "abc", 3, error)) << error.GetText();
    EXPECT_EQ(ReadFile(path), "abc");
}

TEST(DiskFile, SaveFileThatCannotReplaceTheTargetRemovesItsTemporaryFile) {
    CTempFolder folder("diskfile");
    const std::string path = folder.Path("target");
    ASSERT_TRUE(std::filesystem::create_directories(path + "/inside"));
    CCharString error;
    EXPECT_FALSE(CDiskFile::SaveFile(path.c_str(), "abc", 3, error));
    EXPECT_EQ(error.Str().rfind("Can't save " + path + ": ", 0), 0u) << error.GetText();
    EXPECT_EQ(FolderEntries(folder.Get()), (Lines{"target"}));
    EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
}

TEST(ErrorText, DescribesAKnownCode) {
    CCharString text;
    EXPECT_TRUE(GetErrorText(ENOENT, text));
    EXPECT_EQ(text, "No such file or directory");
}

TEST(ErrorText, AnUnknownCodeGivesUnknownErrorAndFalse) {
    CCharString text;
    EXPECT_FALSE(GetErrorText(987654, text));
    EXPECT_EQ(text, "Unknown error 987654");
    EXPECT_FALSE(GetErrorText(-3, text));
    EXPECT_EQ(text, "Unknown error -3");
}
