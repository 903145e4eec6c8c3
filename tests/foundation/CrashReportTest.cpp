#include <gtest/gtest.h>

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
