#include "history/UnwrittenAnswers.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include "common/NumberFormat.h"
#include "common/SafeFiles.h"

namespace {

constexpr const char* kSuffix = ".unwritten";
constexpr char kSeparator = '\t';
constexpr int kFields = 10;
constexpr size_t kReadBlock = 65536;
// Far more answers than a week of practice while the history can't be
// written; a larger file is not the program's and is left alone.
constexpr size_t kMaxFileBytes = 64u << 20;
constexpr mode_t kFileMode = 0644;

// A text field without the characters that separate fields and lines.
std::string CleanText(const std::string& text) {
    std::string clean = text;
    for (char& c : clean) {
        if (c == kSeparator || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return clean;
}

std::string FormatRow(const PRACTICE_ROW& row) {
    using NumberFormat::FormatDouble;
    using NumberFormat::FormatInt;
    const std::string fields[kFields] = {
        FormatDouble(row.time),      CleanText(row.lesson),
        FormatInt(row.expected),     CleanText(row.spelling),
        FormatInt(row.clef),         FormatInt(row.played),
        FormatInt(row.source),       FormatInt(row.rightFirstTry ? 1 : 0),
        FormatInt(row.wrongPresses), FormatDouble(row.reaction)};
    std::string line;
    for (int i = 0; i < kFields; ++i) {
        line += fields[i];
        line += i + 1 < kFields ? kSeparator : '\n';
    }
    return line;
}

// One line back into a row; false for a line that is not a whole answer.
bool ParseRow(std::string_view line, PRACTICE_ROW& row) {
    std::string_view fields[kFields];
    int count = 0;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(kSeparator, start);
        if (count == kFields) {
            return false;
        }
        fields[count++] = line.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    int right = 0;
    using NumberFormat::ParseDouble;
    using NumberFormat::ParseInt;
    if (count != kFields || !ParseDouble(fields[0], row.time) ||
        !ParseInt(fields[2], row.expected) || !ParseInt(fields[4], row.clef) ||
        !ParseInt(fields[5], row.played) || !ParseInt(fields[6], row.source) ||
        !ParseInt(fields[7], right) || !ParseInt(fields[8], row.wrongPresses) ||
        !ParseDouble(fields[9], row.reaction)) {
        return false;
    }
    row.lesson = fields[1];
    row.spelling = fields[3];
    row.rightFirstTry = right != 0;
    return true;
}

bool WriteAll(int descriptor, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t step = write(descriptor, text.data() + written, text.size() - written);
        if (step < 0 && errno == EINTR) {
            continue;
        }
        if (step <= 0) {
            if (step == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        written += static_cast<size_t>(step);
    }
    return true;
}

}  // namespace

CUnwrittenAnswers::CUnwrittenAnswers(const char* historyPath) {
    m_path.Format("%s%s", historyPath, kSuffix);
}

bool CUnwrittenAnswers::Append(const std::deque<PRACTICE_ROW>& rows) {
    std::string text;
    for (const PRACTICE_ROW& row : rows) {
        text += FormatRow(row);
    }
    const int descriptor = open(m_path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kFileMode);
    if (descriptor < 0) {
        m_error.Format("Can't keep answers in %s: %s", m_path.GetText(), std::strerror(errno));
        return false;
    }
    struct stat status {};
    const off_t before = fstat(descriptor, &status) == 0 ? status.st_size : -1;
    const bool written = before >= 0 && S_ISREG(status.st_mode) && WriteAll(descriptor, text) &&
                         fsync(descriptor) == 0;
    const int failure = errno;
    if (!written && before >= 0 && S_ISREG(status.st_mode)) {
        // Half an append would be read as fewer answers or a broken line.
        (void)ftruncate(descriptor, before);
    }
    const bool closed = close(descriptor) == 0;
    if (!written || !closed) {
        m_error.Format("Can't keep answers in %s: %s", m_path.GetText(),
                       std::strerror(written ? errno : failure));
        return false;
    }
    return true;
}

bool CUnwrittenAnswers::Load(std::vector<PRACTICE_ROW>& rows) {
    rows.clear();
    std::string reason;
    bool missing = false;
    const int descriptor = SafeFiles::OpenForReading(m_path, reason, &missing);
    if (descriptor < 0) {
        if (missing) {
            return true;
        }
        m_error.Format("Can't read the unwritten answers %s: %s", m_path.GetText(), reason.c_str());
        return false;
    }
    std::string text;
    char block[kReadBlock];
    ssize_t got = 0;
    while ((got = read(descriptor, block, sizeof block)) != 0) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            m_error.Format("Can't read the unwritten answers %s: %s", m_path.GetText(),
                           std::strerror(errno));
            close(descriptor);
            return false;
        }
        text.append(block, static_cast<size_t>(got));
        if (text.size() > kMaxFileBytes) {
            m_error.Format("Can't read the unwritten answers %s: it is larger than %zu MB",
                           m_path.GetText(), kMaxFileBytes >> 20);
            close(descriptor);
            return false;
        }
    }
    close(descriptor);
    // Only lines that end are whole: a crash may have cut the last one.
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        PRACTICE_ROW row;
        if (ParseRow(std::string_view(text).substr(start, end - start), row)) {
            rows.push_back(std::move(row));
        }
        start = end + 1;
    }
    return true;
}

bool CUnwrittenAnswers::Remove() {
    if (unlink(m_path) != 0 && errno != ENOENT) {
        m_error.Format("Can't remove %s: %s", m_path.GetText(), std::strerror(errno));
        return false;
    }
    return true;
}
