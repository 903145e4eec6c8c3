#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FileTesting.h"
#include "TempFolder.h"
#include "foundation/LogFile.h"
#include "foundation/Paths.h"
#include "foundation/TimeText.h"
#include "platform/null/NullDebugOutput.h"

TEST(LogFile, ALogLiesBesideTheExecutableNamedAfterItAndItsSuffix) {
    CCharString programFolder, programName;
    ASSERT_TRUE(GetProgramFolder(programFolder));
    ASSERT_TRUE(GetProgramName(programName));
    const std::string base = programFolder.Str() + "/" + programName.Str();
    const std::string plain = base + ".log";
    const std::string suffixed = base + " Sound.log";
    // A folder of this process's own, so that test programs running side by
    // side in the same program folder never remove each other's folders.
    const std::string folder = "LogFileTest-" + std::to_string(getpid());
    std::remove(plain.c_str());
    CNullDebugOutput debug;
    {
        CLogFile log;
        ASSERT_TRUE(log.Open("", "")) << log.GetError();
        EXPECT_EQ(std::string(log.GetFileName()), plain);
        EXPECT_TRUE(log.Printf("started %d", 7));
        CLogFile sound;
        ASSERT_TRUE(sound.Open(folder.c_str(), "Sound")) << sound.GetError();
        EXPECT_EQ(std::string(sound.GetFileName()), suffixed);
    }
    const std::string content = ReadFile(plain);
    EXPECT_TRUE(CPattern("^" + kStampPattern + "started 7\r\n$").Matches(content)) << content;
    EXPECT_TRUE(debug.Contains("started 7"));
    EXPECT_TRUE(std::filesystem::is_regular_file(suffixed));
    EXPECT_TRUE(std::filesystem::is_directory(programFolder.Str() + "/" + folder));
    std::filesystem::remove(programFolder.Str() + "/" + folder);
    std::remove(plain.c_str());
    std::remove(suffixed.c_str());
}

TEST(LogFile, AFolderThatCannotBeMadeFailsTheOpen) {
    CTempFolder temp("log");
    WriteFile(temp.Path("file"), "x");
    const std::string folder = temp.Path("file/logs");
    CLogFile log;
    EXPECT_FALSE(log.Open(folder.c_str(), "x"));
    EXPECT_EQ(std::string(log.GetError()), "Can't create directory '" + folder + "'");
    EXPECT_FALSE(log.IsOpen());
}

TEST(LogFile, OpenPathMakesTheFolderAndAppendsToAnExistingLog) {
    CTempFolder temp("log");
    const std::string path = temp.Path("new/folder/run.log");
    CNullDebugOutput debug;
    CTestClock clock(LOCAL_TIME{2031, 12, 24, 23, 59, 58, 7});
    for (const char* text : {"earlier", "later"}) {
        CLogFile log;
        ASSERT_TRUE(log.OpenPath(path.c_str())) << log.GetError();
        EXPECT_TRUE(log.Printf("%s", text));
    }
    EXPECT_EQ(ReadFile(path),
              "12/24/31 23:59:58.007  earlier\r\n"
              "12/24/31 23:59:58.007  later\r\n");
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
    const CPattern pattern("^" + kStampPattern + "thread ([0-9]) line ([0-9]+) p* end\r$");
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
    CTestClock clock(LOCAL_TIME{2009, 1, 2, 3, 4, 5, 6});
    const struct {
        bool date, milliseconds;
        const char* text;
    } cases[] = {{true, true, "01/02/09 03:04:05.006"},
                 {false, false, "03:04:05"},
                 {true, false, "01/02/09 03:04:05"},
                 {false, true, "03:04:05.006"}};
    for (const auto& c : cases) {
        CCharString text;
        ASSERT_TRUE(GetTimeText(text, c.date, c.milliseconds));
        EXPECT_EQ(text, c.text);
    }
}

TEST(TimeText, DifferenceBorrowsASecondAndConversionRefusesSpansOverAYear) {
    const TIME_PAIR borrowed = GetTimeDifference(TIME_PAIR{10, 200}, TIME_PAIR{8, 700});
    EXPECT_EQ(borrowed.seconds, 1);
    EXPECT_EQ(borrowed.milliseconds, 500);
    const TIME_PAIR plain = GetTimeDifference(TIME_PAIR{10, 700}, TIME_PAIR{8, 200});
    EXPECT_EQ(plain.seconds, 2);
    EXPECT_EQ(plain.milliseconds, 500);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(GetTimeDifference(TIME_PAIR{1, 0}, TIME_PAIR{1, 250})),
                     -0.25);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(TIME_PAIR{1, 500}), 1.5);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(TIME_PAIR{kMaxTimePairSeconds, 0}), 31536000.0);
    EXPECT_DOUBLE_EQ(TimePairToSeconds(TIME_PAIR{kMaxTimePairSeconds + 1, 0}), -1.0);
}

TEST(TimeText, ConversionFromSecondsRoundsToTheMillisecondAndClamps) {
    const struct {
        double seconds;
        int64_t whole;
        int milliseconds;
    } cases[] = {
        {2.25, 2, 250},   {1.9996, 2, 0},  // rounds up into the next second
        {-0.25, -1, 750}, {std::nan(""), 0, 0}, {1e300, INT64_MAX, 999}, {-1e300, INT64_MIN, 0},
    };
    for (const auto& c : cases) {
        const TIME_PAIR time = SecondsToTimePair(c.seconds);
        EXPECT_EQ(time.seconds, c.whole) << c.seconds;
        EXPECT_EQ(time.milliseconds, c.milliseconds) << c.seconds;
    }
}
