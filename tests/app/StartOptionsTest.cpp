#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "app/StartOptions.h"
#include "foundation/Version.h"

namespace {
bool Parse(std::vector<const char*> args, START_OPTIONS& options, std::string& error) {
    return ParseStartOptions(static_cast<int>(args.size()), args.data(), options, error);
}
}  // namespace

TEST(StartOptions, ReadsScreenshotQuitAfterAndTheFileWords) {
    START_OPTIONS options;
    std::string error;
    ASSERT_TRUE(
        Parse({"--screenshot", "/tmp/x.png", "--quit-after=2.5", "my", "tune.mid"}, options, error))
        << error;
    EXPECT_EQ(options.screenshotPath, "/tmp/x.png");
    EXPECT_DOUBLE_EQ(options.quitAfterSeconds, 2.5);
    EXPECT_EQ(options.commandLine, "my tune.mid");
    EXPECT_FALSE(options.showHelp);
}

TEST(StartOptions, RefusesBadValuesAndUnknownOptions) {
    for (const auto& args : std::vector<std::vector<const char*>>{{"--quit-after"},
                                                                  {"--quit-after", "soon"},
                                                                  {"--quit-after", "-1"},
                                                                  {"--quit-after", "nan"},
                                                                  {"--quit-after=3x"},
                                                                  {"--screenshot"},
                                                                  {"--fast"}}) {
        START_OPTIONS options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(StartOptions, HelpAndWordsAfterTheDoubleDash) {
    START_OPTIONS options;
    std::string error;
    ASSERT_TRUE(Parse({"--help", "--", "--odd name.mid"}, options, error));
    EXPECT_TRUE(options.showHelp);
    EXPECT_EQ(options.commandLine, "--odd name.mid");
}

TEST(StartOptions, VersionIsAskedForAndNamesTheProgramAndTheBuildsVersion) {
    START_OPTIONS options;
    std::string error;
    ASSERT_TRUE(Parse({"--version"}, options, error)) << error;
    EXPECT_TRUE(options.showVersion);
    EXPECT_EQ(MakeVersionText("rumblo"), std::string("rumblo ") + GetVersionText() + "\n");
    EXPECT_NE(std::string(kUsageText).find("--version"), std::string::npos);
    EXPECT_NE(std::string(kGrooveUsageText).find("--version"), std::string::npos);
    const std::string version = GetVersionText();
    ASSERT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;
}

TEST(StartOptions, QuitAfterTakesOnlyAPlainNumberOfSecondsUpToADay) {
    for (const char* value : {"0", "0.5", ".25", "3.", "86400", "0086400.000"}) {
        START_OPTIONS options;
        std::string error;
        EXPECT_TRUE(Parse({"--quit-after", value}, options, error)) << value << ": " << error;
    }
    START_OPTIONS options;
    std::string error;
    ASSERT_TRUE(Parse({"--quit-after=0.125"}, options, error));
    EXPECT_DOUBLE_EQ(options.quitAfterSeconds, 0.125);
    for (const char* value : {"2147484", "1e99", "1e3", "0x10", "inf", "INF", "nan", "+5", "-0",
                              "86400.5", "86401", " 5", "5 ", "1.2.3", ".", "", "1,5",
                              "99999999999999999999999999999999999999999999999999999"}) {
        START_OPTIONS refused;
        EXPECT_FALSE(Parse({"--quit-after", value}, refused, error)) << value;
        EXPECT_EQ(error.rfind("Option --quit-after needs a number of seconds from 0 to 86400", 0),
                  0u)
            << error;
    }
}

TEST(StartOptions, MessagesQuoteAtMostSixtyCharactersOfAnArgument) {
    const std::string huge(100000, 'x');
    const std::string quoted = std::string(kMessageQuoteChars, 'x') + "...'";
    START_OPTIONS options;
    std::string error;
    EXPECT_FALSE(Parse({"--quit-after", huge.c_str()}, options, error));
    EXPECT_NE(error.find("'" + quoted), std::string::npos) << error;
    EXPECT_LT(error.size(), 200u);
    const std::string option = "--" + huge;
    EXPECT_FALSE(Parse({option.c_str()}, options, error));
    EXPECT_EQ(error, "Unknown option '--" + std::string(kMessageQuoteChars - 2, 'x') + "...'");
    EXPECT_FALSE(Parse({"--fast"}, options, error));
    EXPECT_EQ(error, "Unknown option '--fast'");
}

TEST(StartOptions, AnEmptyScreenshotNameIsRefused) {
    START_OPTIONS options;
    std::string error;
    EXPECT_FALSE(Parse({"--screenshot="}, options, error));
    EXPECT_EQ(error, "Option --screenshot needs a file name");
}

TEST(StartOptions, CutForMessageKeepsCharactersWholeAndHidesControlCharacters) {
    EXPECT_EQ(CutForMessage("short"), "short");
    EXPECT_EQ(CutForMessage(nullptr), "");
    EXPECT_EQ(CutForMessage("abcdef", 3), "abc...");
    EXPECT_EQ(CutForMessage("abc", 3), "abc");
    // Each "é" is two bytes and one character.
    EXPECT_EQ(CutForMessage("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9...");
    EXPECT_EQ(CutForMessage("a\nb\x1B[2Jc\x7F"), "a?b?[2Jc?");
    EXPECT_EQ(CutForMessage("broken \xC3 and \xA9"), "broken ? and ?");
}

TEST(StartOptions, MillisecondsStayInsideAnInt) {
    EXPECT_EQ(ToMilliseconds(2.5), 2500);
    EXPECT_EQ(ToMilliseconds(kMaxQuitAfterSeconds), 86400000);
    EXPECT_EQ(ToMilliseconds(1e99), INT_MAX);
    EXPECT_EQ(ToMilliseconds(2147484.0), INT_MAX);
    EXPECT_EQ(ToMilliseconds(-1.0), 0);
    EXPECT_EQ(ToMilliseconds(std::nan("")), 0);
}

TEST(StartOptions, QuitAfterReadsAPointUnderADecimalCommaLocale) {
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    START_OPTIONS options;
    std::string error;
    const bool parsed = Parse({"--quit-after", "2.5"}, options, error);
    START_OPTIONS refused;
    const bool commaParsed = Parse({"--quit-after", "2,5"}, refused, error);
    comma.Restore();
    ASSERT_TRUE(parsed);
    EXPECT_DOUBLE_EQ(options.quitAfterSeconds, 2.5);
    EXPECT_FALSE(commaParsed);
}
