#pragma once

#include <string>

// Appends a crash report when the process dies of a fatal signal (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGABRT) or of an exception nobody caught. The
// handler itself only does what is safe in a signal handler: it writes the
// signal, the fault address and the registers with plain writes, then starts
// the reporter program (a separate executable) that attaches to the dying
// process and adds the call stack with functions, source files and lines, the
// parameters and locals of each frame and the program's global variables.
// Afterwards the signal's default action ends the process, so the system's
// own crash handling still sees it.
class CCrashReport {
public:
    static constexpr const char* kExtension = "RPT";
    // The line of a report that names the profile that crashed.
    static constexpr const char* kProfileLabel = "Profile: ";
    // The line of a report of a signal another process sent.
    static constexpr const char* kSenderLabel = "Sent by process ";
    // The line of a report that names the version of the program.
    static constexpr const char* kVersionLabel = "Version: ";
    static constexpr int kReporterSeconds = 20;  // the reporter's time before it is given up

    // Installs the handlers. exePath names the executable (the report goes
    // beside it as <name>.RPT, or into fallbackFolder where that folder may
    // not be written); reporter is the program that writes the stack (none:
    // the report ends after the registers). Calls after the first replace
    // the paths. False when the report can go nowhere.
    static bool Install(const char* exePath, const char* reporter, const char* fallbackFolder);
    // Restores the handlers that were there before Install.
    static void Uninstall();
    // Where a report is written, empty before Install.
    static std::string GetReportPath();
    // The report path from an executable's path: the text after the last "."
    // replaced by "RPT" when it has at least three characters, else ".RPT"
    // appended ("notara" gives "notara.RPT", "app.exe" gives "app.RPT").
    static std::string MakeReportPath(const std::string& exePath);
    // The settings folder of this run: every report names it, so that the
    // next start of the same profile is told of the crash, and no other.
    static void SetProfile(const char* folder);
    // True once for each report of this profile (or of none) that the report
    // file holds beyond those told before, with the report's path. A marker
    // in the profile's folder (beside the report without a profile) keeps
    // how many were told. Only a regular file is read as a report.
    static bool TakeNewReport(std::string& path);
};
