#include <gtest/gtest.h>

#include "app/StartOptions.h"

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
