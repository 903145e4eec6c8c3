#pragma once

#include <string>

#include "foundation/CharString.h"

// Where the program's files live, found from the executable's folder.
// Run from the build tree, the shipped content lies beside the executable
// and everything stays below it as it always has. Installed, the executable
// lies in "<prefix>/bin" and the content in "<prefix>/share/notara": the
// content is only read there, and everything the user makes or changes goes
// to the user's own folders, never below the prefix.
struct FILE_LAYOUT {
    bool installed = false;
    CCharString contentRoot;   // the shipped content, without a trailing separator
    CCharString userRoot;      // the kind's own data: "<data home>/notara/<product>"
    CCharString documentRoot;  // songs and exports: "<music>/<product>", else userRoot
};

class CFileLayout {
public:
    // The content folder of an install, below its prefix.
    static constexpr const char* kShareFolder = "share/notara";
    // The per-user data folder below the data home (crash reports, and a
    // folder per product word).
    static constexpr const char* kUserFolder = "notara";
    // The crash reporter of an install, below its prefix.
    static constexpr const char* kReporterPath = "libexec/notara/notara-crash";
    static constexpr const char* kReporterName = "notara-crash";
    // Where the user folders go when the environment names no home.
    static constexpr const char* kHomelessRoot = "/tmp";

    // The layout of an executable in programFolder (no trailing separator)
    // for the kind with productWord.
    static FILE_LAYOUT Find(const char* programFolder, const char* productWord);
    // True when folder holds shipped content ("Sound" or "Tutorials").
    static bool HasContent(const std::string& folder);
    // "<data home>/notara": the crash reports of an install, or of a build
    // tree that may not be written; the kinds' own folders lie below it.
    static std::string GetUserFolder();
    // The crash reporter for an executable in programFolder: beside it in
    // the build tree, below the prefix's libexec folder when installed.
    static std::string FindReporter(const char* programFolder);
};
