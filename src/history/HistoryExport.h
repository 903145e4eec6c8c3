#pragma once

#include <string>
#include <vector>

#include "exercise/PracticeRecords.h"

// The practice history as a CSV file for a spreadsheet or a teacher: one
// line of column names, then one line an answer, oldest first. Numbers are
// written with a point whatever the locale; texts are quoted where they hold
// a comma, a quote or a line end; times are Unix seconds and the local date
// and time beside them.
class CHistoryExport {
public:
    static constexpr const char* kHeader =
        "time,local time,lesson,expected,spelling,clef,played,source,right at first try,"
        "wrong keys,reaction seconds";

    // The whole file's text.
    static std::string ToCsv(const std::vector<PRACTICE_ROW>& rows);
    // Saves rows as path in one safe save; false with "Can't save <path>:
    // ..." in error.
    static bool Save(const std::vector<PRACTICE_ROW>& rows, const std::string& path,
                     std::string& error);
};
