#pragma once

#include "foundation/CharString.h"
#include "foundation/DiskFile.h"

// The program's log: a file beside the executable, named after it, to which
// time-stamped lines are appended from any thread.
class CLogFile : public CDiskFile {
public:
    CLogFile() = default;
    ~CLogFile() override = default;

    // Opens (appending) "<program folder>/<program name>[ <suffix>].log".
    // A non-empty folder is made first (relative to the program folder);
    // the log itself always lies in the program folder. Opening an open log
    // returns true and changes nothing.
    bool Open(const char* folder, const char* suffix);
    // Opens (appending) the log at path instead, making its folder. A
    // relative path is taken from the current folder.
    bool OpenPath(const char* path);
    // Writes the formatted text to the debug output and as a time-stamped
    // line to the log.
    bool Printf(const char* format, ...) NOTARA_PRINTF(2, 3);

    const char* GetFileName() const { return GetFullName(); }
    const char* GetFolder() const { return m_folder; }
    const char* GetSuffix() const { return m_suffix; }

private:
    bool OpenFile(const char* path);

    CCharString m_suffix;
    CCharString m_folder;
};
