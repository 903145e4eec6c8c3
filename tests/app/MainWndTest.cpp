#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/Entry.h"
#include "app/MainWnd.h"
#include "app/StartOptions.h"
#include "platform/null/NullBackend.h"

namespace {

constexpr const char* kShotPath = "/no/such/folder/shot.png";

// Where entry first appears in entries; entries.size() when it does not.
size_t IndexOf(const std::vector<std::string>& entries, const std::string& entry) {
    return static_cast<size_t>(std::find(entries.begin(), entries.end(), entry) - entries.begin());
}

}  // namespace

// The null backend writes no picture: every screenshot fails, as one to an
// unwritable path does.
TEST(MainWnd, AScreenshotThatCannotBeWrittenFailsTheRun) {
    CNullBackend backend;
    START_OPTIONS options;
    options.screenshotPath = kShotPath;
    options.quitAfterSeconds = 2.0;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options),
              CCenter::kExitFailure);
    const auto entries = backend.GetJournal().GetEntries();
    const size_t shot = IndexOf(entries, std::string("SaveScreenshot ") + kShotPath);
    ASSERT_LT(shot, entries.size());
    EXPECT_LT(shot, IndexOf(entries, "Quit 0"));
}

TEST(MainWnd, ARunShorterThanTheScreenshotDelayTakesItBeforeItEnds) {
    for (double seconds : {0.0, 0.001, 0.1, 0.2}) {
        CNullBackend backend;
        START_OPTIONS options;
        options.screenshotPath = kShotPath;
        options.quitAfterSeconds = seconds;
        EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options),
                  CCenter::kExitFailure)
            << seconds;
        const auto entries = backend.GetJournal().GetEntries();
        const size_t shot = IndexOf(entries, std::string("SaveScreenshot ") + kShotPath);
        ASSERT_LT(shot, entries.size()) << seconds;
        EXPECT_LT(shot, IndexOf(entries, "Quit 0")) << seconds;
        EXPECT_EQ(backend.GetJournal().GetEntries("SaveScreenshot").size(), 1u);
        EXPECT_GE(backend.GetEventLoop().GetTimeMs(), CMainWnd::kScreenshotDelayMs);
    }
}

TEST(MainWnd, AnImmediateQuitWithoutAScreenshotEndsWell) {
    CNullBackend backend;
    START_OPTIONS options;
    options.quitAfterSeconds = 0.0;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options), 0);
    EXPECT_EQ(backend.GetJournal().GetEntries("Quit").size(), 1u);
    EXPECT_TRUE(backend.GetJournal().GetEntries("SaveScreenshot").empty());
}
