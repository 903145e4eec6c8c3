#pragma once

#include <deque>
#include <vector>

#include "exercise/PracticeRecords.h"
#include "foundation/CharString.h"

// The side file of answers that the practice history could not take: those
// beyond what is kept in memory while the history can't be written, and
// those still waiting when the program closes. It lies beside the history
// ("<history>.unwritten"), one answer a line, and its answers are written to
// the history when it next opens. An append that fails leaves the file as it
// was; a line cut short by a crash is skipped.
class CUnwrittenAnswers {
public:
    explicit CUnwrittenAnswers(const char* historyPath);

    // Adds rows at the end of the file; false with the reason in GetError.
    bool Append(const std::deque<PRACTICE_ROW>& rows);
    // Reads every whole answer of the file (none when there is no file).
    bool Load(std::vector<PRACTICE_ROW>& rows);
    // Removes the file once its answers are in memory again.
    bool Remove();

    const char* GetPath() const { return m_path; }
    const char* GetError() const { return m_error; }

private:
    CCharString m_path;
    CCharString m_error;
};
