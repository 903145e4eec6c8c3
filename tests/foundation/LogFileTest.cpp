#include <gtest/gtest.h>
#include <regex.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "foundation/LogFile.h"
#include "foundation/Paths.h"
#include "foundation/TimeText.h"
#include "platform/Clock.h"
#include "platform/null/NullDebugOutput.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string ProgramFolder() {
    CCharString folder;
    EXPECT_TRUE(GetProgramFolder(folder));
    return folder.Str();
}

std::string ProgramName() {
    CCharString name;
    EXPECT_TRUE(GetProgramName(name));
    return name.Str();
}

// A clock whose local time stands still at one moment.
class CFixedClock : public IClock {
public:
    explicit CFixedClock(const LOCAL_TIME& time) : m_time(time) { Platform::SetClock(this); }
    ~CFixedClock() override { Platform::SetClock(nullptr); }
    double GetSeconds() override { return 0.0; }
    LOCAL_TIME GetLocalTime() override { return m_time; }

private:
    LOCAL_TIME m_time;
};

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

const std::string kStamp = "[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}  ";

}  // namespace

TEST(LogFile, ALogWithoutFolderOrSuffixLiesBesideTheExecutableNamedAfterIt) {
    const std::string path = ProgramFolder() + "/" + ProgramName() + ".log";
    std::remove(path.c_str());
    CNullDebugOutput debug;
    {
        CLogFile log;
        ASSERT_TRUE(log.Open("", "")) << log.GetError();
        EXPECT_EQ(std::string(log.GetFileName()), path);
        EXPECT_TRUE(log.Printf("started %d", 7));
    }
    const std::string content = ReadFile(path);
    std::remove(path.c_str());
    EXPECT_TRUE(CPattern("^" + kStamp + "started 7\r\n$").Matches(content)) << content;
    EXPECT_TRUE(debug.Contains("started 7"));
}

TEST(LogFile, ASuffixNamesTheLogAndAFolderIsMadeBelowTheProgramFolder) {
    const std::string folder = "LogFileTest-" + std::to_string(getpid());
    const std::string path = ProgramFolder() + "/" + ProgramName() + " Sound.log";
    {
        CLogFile log;
        ASSERT_TRUE(log.Open(folder.c_str(), "Sound")) << log.GetError();
        EXPECT_EQ(std::string(log.GetFileName()), path);
        EXPECT_STREQ(log.GetSuffix(), "Sound");
        EXPECT_STREQ(log.GetFolder(), folder.c_str());
    }
    EXPECT_TRUE(std::filesystem::is_directory(ProgramFolder() + "/" + folder));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    std::filesystem::remove(ProgramFolder() + "/" + folder);
    std::remove(path.c_str());
}

TEST(LogFile, AFolderThatCannotBeMadeFailsTheOpen) {
    CTempFolder temp("log");
    std::ofstream(temp.Path("file")) << "x";
    const std::string folder = temp.Path("file/logs");
    CLogFile log;
    EXPECT_FALSE(log.Open(folder.c_str(), "x"));
    EXPECT_EQ(std::string(log.GetError()), "Can't create directory '" + folder + "'");
    EXPECT_FALSE(log.IsOpen());
}

TEST(LogFile, OpeningAnExistingLogAppendsToIt) {
    CTempFolder temp("log");
    const std::string path = temp.Path("logs/run.log");
    std::filesystem::create_directories(temp.Path("logs"));
    std::ofstream(path, std::ios::binary) << "earlier\r\n";
    CNullDebugOutput debug;
    {
        CFixedClock clock(LOCAL_TIME{2031, 12, 24, 23, 59, 58, 7});
        CLogFile log;
        ASSERT_TRUE(log.OpenPath(path.c_str())) << log.GetError();
        EXPECT_TRUE(log.Printf("%s", "later"));
    }
    EXPECT_EQ(ReadFile(path), "earlier\r\n12/24/31 23:59:58.007  later\r\n");
}

TEST(LogFile, OpenPathMakesTheFolderOfTheLog) {
    CTempFolder temp("log");
    const std::string path = temp.Path("new/folder/run.log");
    CNullDebugOutput debug;
    CLogFile log;
    ASSERT_TRUE(log.OpenPath(path.c_str())) << log.GetError();
    EXPECT_TRUE(log.Printf("x"));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST(LogFile, ThreadsWritingAtOnceGiveWholeSeparateLines) {
    CTempFolder temp("log");
    const std::string path = temp.Path("threads.log");
    constexpr int kThreads = 6;
    constexpr int kLines = 2000;
    CNullDebugOutput debug;
    {
        CLogFile log;
        ASSERT_TRUE(log.OpenPath(path.c_str()));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kLines; ++i) {
                    // Lines of differing lengths make torn writes show.
                    const std::string padding(static_cast<size_t>((i * 7 + t) % 200), 'p');
                    log.Printf("thread %d line %d %s end", t, i, padding.c_str());
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    std::istringstream content(ReadFile(path));
    const CPattern pattern("^" + kStamp + "thread ([0-9]) line ([0-9]+) p* end\r$");
    std::set<std::pair<int, int>> seen;
    std::string line;
    int count = 0;
    while (std::getline(content, line)) {
        std::vector<std::string> groups;
        ASSERT_TRUE(pattern.Matches(line, &groups)) << line;
        seen.emplace(std::stoi(groups.at(0)), std::stoi(groups.at(1)));
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

TEST(TimeText, FormatsTheLocalTimeWithOrWithoutDateAndMilliseconds) {
    CFixedClock clock(LOCAL_TIME{2009, 1, 2, 3, 4, 5, 6});
    CCharString text;
    ASSERT_TRUE(GetTimeText(text, true, true));
    EXPECT_EQ(text, "01/02/09 03:04:05.006");
    ASSERT_TRUE(GetTimeText(text, false, false));
    EXPECT_EQ(text, "03:04:05");
    ASSERT_TRUE(GetTimeText(text, true, false));
    EXPECT_EQ(text, "01/02/09 03:04:05");
    ASSERT_TRUE(GetTimeText(text, false, true));
    EXPECT_EQ(text, "03:04:05.006");
}

TEST(TimeText, DifferenceBorrowsASecondWhenMillisecondsRunShort) {
    const TIME_PAIR difference = GetTimeDifference(TIME_PAIR{10, 200}, TIME_PAIR{8, 700});
    EXPECT_EQ(difference.seconds, 1);
    EXPECT_EQ(difference.milliseconds, 500);
    const TIME_PAIR plain = GetTimeDifference(TIME_PAIR{10, 700}, TIME_PAIR{8, 200});
    EXPECT_EQ(plain.seconds, 2);
    EXPECT_EQ(plain.milliseconds, 500);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(GetTimeDifference(TIME_PAIR{1, 0}, TIME_PAIR{1, 250})),
                     -0.25);
}

TEST(TimeText, ConversionToSecondsRefusesSpansOverAYear) {
    EXPECT_DOUBLE_EQ(TimePairToSeconds(TIME_PAIR{1, 500}), 1.5);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(TIME_PAIR{31536000, 0}), 31536000.0);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(TIME_PAIR{31536001, 0}), -1.0);
}

TEST(TimeText, ConversionFromSecondsRoundsToTheMillisecondAndClamps) {
    TIME_PAIR time = SecondsToTimePair(2.25);
    EXPECT_EQ(time.seconds, 2);
    EXPECT_EQ(time.milliseconds, 250);
    time = SecondsToTimePair(1.9996);  // rounds up into the next second
    EXPECT_EQ(time.seconds, 2);
    EXPECT_EQ(time.milliseconds, 0);
    time = SecondsToTimePair(-0.25);
    EXPECT_EQ(time.seconds, -1);
    EXPECT_EQ(time.milliseconds, 750);
    time = SecondsToTimePair(std::nan(""));
    EXPECT_EQ(time.seconds, 0);
    EXPECT_EQ(time.milliseconds, 0);
    time = SecondsToTimePair(1e300);
    EXPECT_EQ(time.seconds, INT64_MAX);
    time = SecondsToTimePair(-1e300);
    EXPECT_EQ(time.seconds, INT64_MIN);
}
