#include "app/ContentFile.h"

#include "app/Catalogue.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/DiskFile.h"
#include "foundation/FileInfo.h"
#include "foundation/Paths.h"
#include "foundation/QuotedText.h"
#include "foundation/TextLines.h"

namespace {

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

// True when document, a relative path, steps out of its folder with "..".
bool LeavesFolder(const std::string& document) {
    size_t start = 0;
    while (start <= document.size()) {
        size_t end = document.find('/', start);
        end = end == std::string::npos ? document.size() : end;
        if (document.compare(start, end - start, "..") == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

std::vector<const char*> CContentFile::GetContentNames(int kind) {
    APP_KIND info;
    CCharString unknown;
    std::vector<const char*> names;
    if (FindApplicationKind(kind, info, unknown)) {
        for (const char* name : info.contentFiles) {
            if (name != nullptr) {
                names.push_back(name);
            }
        }
    }
    return names;
}

CCharString CContentFile::MakePath(const char* tutorialsFolder, const char* relativeName) {
    std::string folder = tutorialsFolder != nullptr ? tutorialsFolder : "";
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    CCharString path;
    path.Format("%s/%s", folder.c_str(), relativeName != nullptr ? relativeName : "");
    return path;
}

bool CContentFile::Fail(const char* path, const char* reason) {
    m_entries.clear();
    m_error.Format("Can't read content file '%s': %s", QuoteForMessage(path).GetText(), reason);
    return false;
}

bool CContentFile::ReadLines(const char* path, std::vector<CCharString>& lines) {
    CDiskFile file;
    std::vector<char> data;
    if (!file.Read(path, data, kMaxFileSize)) {
        return Fail(path, file.GetError());
    }
    size_t start = 0;
    // A byte-order mark left by an editor is not part of the first title.
    if (data.size() >= 3 && std::memcmp(data.data(), "\xEF\xBB\xBF", 3) == 0) {
        start = 3;
    }
    while (start < data.size()) {
        size_t next = 0;
        const size_t end = FindLineEnd(data.data(), data.size(), start, next);
        const size_t length = end - start;
        if (std::memchr(data.data() + start, '\0', length) != nullptr) {
            CCharString reason;
            reason.Format("line %zu holds a NUL byte", lines.size() + 1);
            return Fail(path, reason);
        }
        CCharString line;
        if (!line.AssignN(data.data() + start, length)) {
            return Fail(path, "out of memory");
        }
        lines.push_back(std::move(line));
        start = next;
    }
    return true;
}

bool CContentFile::ParseLine(const CCharString& line, const CCharString& folder, int lineNumber,
                             CCharString& reason) {
    const std::string& text = line.Str();
    const size_t titleStart = text.find_first_not_of('~');
    const size_t tilde =
        titleStart == std::string::npos ? std::string::npos : text.find('~', titleStart);
    if (tilde == std::string::npos || tilde + 1 >= text.size()) {
        reason.Format("line %d has no document after a \"~\"", lineNumber);
        return false;
    }
    // Documents named with "\" separators are found all the same.
    std::string document = text.substr(tilde + 1);
    for (char& c : document) {
        c = c == '\\' ? '/' : c;
    }
    if (document[0] == '/' || LeavesFolder(document)) {
        reason.Format("line %d names a document outside the content file's folder", lineNumber);
        return false;
    }
    CONTENT_ENTRY entry;
    entry.title.AssignN(text.data() + titleStart, tilde - titleStart);
    entry.path.Format("%s%s", folder.GetText(), document.c_str());
    m_entries.push_back(std::move(entry));
    return true;
}

bool CContentFile::Load(const char* path) {
    m_entries.clear();
    std::vector<CCharString> lines;
    if (!ReadLines(path, lines)) {
        return false;
    }
    FILE_INFO info;
    if (!SplitPath(path, info)) {
        return Fail(path, "the path is too long");
    }
    CCharString reason;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsBlank(lines[i].Str()) &&
            !ParseLine(lines[i], info.folder, static_cast<int>(i) + 1, reason)) {
            return Fail(path, reason);
        }
    }
    return true;
}

int CContentFile::GetShownIndex(int savedIndex) const {
    if (m_entries.empty()) {
        return -1;
    }
    return savedIndex < 0 || savedIndex >= static_cast<int>(m_entries.size()) ? 0 : savedIndex;
}
