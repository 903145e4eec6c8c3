#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "foundation/CrashReport.h"

TEST(CrashReport, TheReportIsNamedAfterTheExecutable) {
    EXPECT_EQ(CCrashReport::MakeReportPath("app.exe"), "app.RPT");
    EXPECT_EQ(CCrashReport::MakeReportPath("/opt/notara/notara"), "/opt/notara/notara.RPT");
    EXPECT_EQ(CCrashReport::MakeReportPath("/opt/v1.2/notara"), "/opt/v1.2/notara.RPT");
    EXPECT_EQ(CCrashReport::MakeReportPath("tool.ab"), "tool.ab.RPT");  // too short to replace
}

TEST(CrashReport, ANewReportIsToldOnceAndAFolderThatMayNotBeWrittenFallsBack) {
    const CTempFolder folder("crash-report");
    const std::string exe = folder.Path("notara");
    CCrashReport::SetProfile("");
    ASSERT_TRUE(CCrashReport::Install(exe.c_str(), nullptr, nullptr));
    const std::string report = CCrashReport::GetReportPath();
    EXPECT_EQ(report, exe + ".RPT");
    std::string told;
    EXPECT_FALSE(CCrashReport::TakeNewReport(told)) << "no report yet";
    std::ofstream(report, std::ios::app) << "=====\nException code: C0000005 ACCESS_VIOLATION\n";
    EXPECT_TRUE(CCrashReport::TakeNewReport(told));
    EXPECT_EQ(told, report);
    EXPECT_FALSE(CCrashReport::TakeNewReport(told)) << "told once";
    std::ofstream(report, std::ios::app) << "=====\nException code: C0000094 INT_DIVIDE_BY_ZERO\n";
    EXPECT_TRUE(CCrashReport::TakeNewReport(told)) << "a second crash is told again";
    // An executable whose folder can't take the report reports elsewhere.
    ASSERT_TRUE(CCrashReport::Install(folder.Path("gone/notara").c_str(), nullptr,
                                      folder.Path("user").c_str()));
    EXPECT_EQ(CCrashReport::GetReportPath(), folder.Path("user") + "/notara.RPT");
    CCrashReport::Uninstall();
}

TEST(CrashReport, AReportIsToldToTheProfileThatCrashedOnly) {
    const CTempFolder folder("crash-profiles");
    const std::string exe = folder.Path("notara");
    ASSERT_TRUE(CCrashReport::Install(exe.c_str(), nullptr, nullptr));
    const std::string report = CCrashReport::GetReportPath();
    const std::string first = folder.Path("first");
    const std::string second = folder.Path("second");
    std::filesystem::create_directory(first);
    std::filesystem::create_directory(second);
    std::ofstream(report, std::ios::app)
        << "=====\nProfile: " << first << "\nException code: C0000005 ACCESS_VIOLATION\n"
        << "========================\nGlobal Variables\n";
    std::string told;
    CCrashReport::SetProfile(second.c_str());
    EXPECT_FALSE(CCrashReport::TakeNewReport(told)) << "another profile's crash";
    CCrashReport::SetProfile(first.c_str());
    EXPECT_TRUE(CCrashReport::TakeNewReport(told));
    EXPECT_FALSE(CCrashReport::TakeNewReport(told)) << "told once";
    std::ofstream(report, std::ios::app)
        << "=====\nProfile: " << second << "\nException code: C0000094 INT_DIVIDE_BY_ZERO\n";
    EXPECT_FALSE(CCrashReport::TakeNewReport(told)) << "the other profile crashed this time";
    CCrashReport::SetProfile(second.c_str());
    EXPECT_TRUE(CCrashReport::TakeNewReport(told));
    CCrashReport::SetProfile("");
    CCrashReport::Uninstall();
}

TEST(CrashReport, AReportPathThatIsNoFileFallsBackAndIsNeverANewReport) {
    const CTempFolder folder("crash-occupied");
    const std::string user = folder.Path("user");
    CCrashReport::SetProfile("");
    // A folder, a FIFO and a link to a device where the report would go.
    std::filesystem::create_directory(folder.Path("a"));
    std::filesystem::create_directory(folder.Path("a/notara.RPT"));
    std::filesystem::create_directory(folder.Path("b"));
    ASSERT_EQ(mkfifo(folder.Path("b/notara.RPT").c_str(), 0644), 0);
    std::filesystem::create_directory(folder.Path("c"));
    std::filesystem::create_symlink("/dev/full", folder.Path("c/notara.RPT"));
    for (const char* place : {"a", "b", "c"}) {
        const std::string exe = folder.Path(std::string(place) + "/notara");
        ASSERT_TRUE(CCrashReport::Install(exe.c_str(), nullptr, user.c_str()));
        EXPECT_EQ(CCrashReport::GetReportPath(), user + "/notara.RPT") << place;
        // Without a fallback the report stays where it is named, and a
        // folder's size is no report.
        ASSERT_TRUE(CCrashReport::Install(exe.c_str(), nullptr, nullptr));
        std::string told;
        EXPECT_FALSE(CCrashReport::TakeNewReport(told)) << place;
    }
    CCrashReport::Uninstall();
}
