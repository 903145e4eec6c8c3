#pragma once

#include <cstdarg>

#include "foundation/CharString.h"

class CLogFile;

// The one path for failures that matter: formats
// "######### ERROR (<source> <line>): <message>", writes it to the debug
// output and, when an error log is installed, to the log with a time stamp.
// Always returns true so that it can stand inside a condition.
bool ReportError(const char* source, int line, const char* format, ...) NOTARA_PRINTF(3, 4);

// A failure of a class that keeps its last error text: formats the message
// into error, reports it with source and line, and returns false, so that a
// failing function can end with return FailWith(...).
bool FailWith(CCharString& error, const char* source, int line, const char* format, ...)
    NOTARA_PRINTF(4, 5);
bool FailWithV(CCharString& error, const char* source, int line, const char* format, va_list args);

// A line that tells what happened (a note drawn, a MIDI message): written to
// the error log when one is installed, never to the console, which stays
// for what the user must know.
void WriteTraceLine(const char* text);

// Installs the log that error lines also go to (null for none). The caller
// keeps the log alive until it is replaced.
void SetErrorLog(CLogFile* log);
CLogFile* GetErrorLog();
