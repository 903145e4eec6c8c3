#pragma once

#include <cstddef>
#include <string>

#include "foundation/CharString.h"

// What the command line asks of this run beyond the file to open.
struct START_OPTIONS {
    std::string commandLine;         // the words that are not options, joined by blanks
    std::string screenshotPath;      // save a picture of the main window once it shows
    double quitAfterSeconds = -1.0;  // close the main window after this long; < 0: never
    bool showHelp = false;
    bool showVersion = false;
};

// The longest --quit-after: a day.
constexpr double kMaxQuitAfterSeconds = 86400.0;
// How many characters of a value a message quotes.
constexpr size_t kMessageQuoteChars = 60;

// Parses argv (without argv[0]); false with the reason in error.
bool ParseStartOptions(int argc, const char* const* argv, START_OPTIONS& options,
                       std::string& error);

// Whole milliseconds of seconds, held to 0 .. INT_MAX.
int ToMilliseconds(double seconds);

// text as a message quotes it: at most maxChars characters (a UTF-8
// sequence is kept whole), a longer text cut and ended with "...", and
// control characters shown as '?'.
std::string CutForMessage(const char* text, size_t maxChars = kMessageQuoteChars);

// The song file the command line names, if any: empty text and a first
// word of "SomeCommand" name none; any other text is the path of a file
// the user wants opened.
bool FindCommandLineSong(const char* commandLine, CCharString& path);

// Why the song file at path can't be opened: "Can't open song (path): "
// and the reason (missing, a folder, not a song, or a song document, which
// can't be opened yet); empty for a MIDI file to read. Only looks at the
// file with stat(): a FIFO or device never blocks.
CCharString GetSongOpenError(const char* path);

extern const char* const kUsageText;
// The groove kind's usage text.
extern const char* const kGrooveUsageText;

// What --version prints for the program named name: "<name> <version>".
std::string MakeVersionText(const char* name);
