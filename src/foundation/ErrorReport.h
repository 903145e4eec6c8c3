#pragma once

#include "foundation/CharString.h"

class CLogFile;

// The one path for failures that matter: formats
// "######### ERROR (<source> <line>): <message>", writes it to the debug
// output and, when an error log is installed, to the log with a time stamp.
// Always returns true so that it can stand inside a condition.
bool ReportError(const char* source, int line, const char* format, ...) NOTARA_PRINTF(3, 4);

// Installs the log that error lines also go to (null for none). The caller
// keeps the log alive until it is replaced.
void SetErrorLog(CLogFile* log);
CLogFile* GetErrorLog();
