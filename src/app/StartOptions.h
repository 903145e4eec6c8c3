#pragma once

#include <string>

#include "foundation/CharString.h"

// What the command line asks of this run beyond the file to open.
struct START_OPTIONS {
    std::string commandLine;         // the words that are not options, joined by blanks
    std::string screenshotPath;      // save a picture of the main window once it shows
    double quitAfterSeconds = -1.0;  // close the main window after this long; < 0: never
    bool showHelp = false;
};

// Parses argv (without argv[0]); false with the reason in error.
bool ParseStartOptions(int argc, const char* const* argv, START_OPTIONS& options,
                       std::string& error);

// The song file the command line names, if any: empty text, a first word
// of "SomeCommand" and other extensions than ".mid" and ".Song" name none.
bool FindCommandLineSong(const char* commandLine, CCharString& path);

extern const char* const kUsageText;
