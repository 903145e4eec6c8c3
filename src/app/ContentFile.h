#pragma once

#include <cstddef>
#include <vector>

#include "foundation/CharString.h"

// One lesson (or groove) of a content file: the title shown in the list and
// the path of the document it opens.
struct CONTENT_ENTRY {
    CCharString title;
    CCharString path;
};

// A content file: a plain list of entries, one a line, each line
// "title~document", where the document is named relative to the content
// file's own folder. Lines end with CR LF, LF or CR alone; a last line
// without a line end is read as well. Blank lines are skipped. A leading
// run of "~" before the title is skipped.
class CContentFile {
public:
    // Content files are short lists; anything longer is not one.
    static constexpr size_t kMaxFileSize = 1u << 20;

    // The content files of an application kind, relative to the tutorials
    // folder, in the order they are read; none for kinds without content.
    static std::vector<const char*> GetContentNames(int kind);
    // "<tutorials folder>/<relative name>", with one separator between.
    static CCharString MakePath(const char* tutorialsFolder, const char* relativeName);

    // Reads the content file at path, replacing the entries. On failure
    // the entries are empty and GetError gives
    // "Can't read content file '<path>': <reason>", a long path shortened.
    bool Load(const char* path);

    const std::vector<CONTENT_ENTRY>& GetEntries() const { return m_entries; }
    // The entry to show for a saved index: a negative one counts as 0, one
    // past the list as well; -1 when the list is empty.
    int GetShownIndex(int savedIndex) const;
    const char* GetError() const { return m_error; }

private:
    bool ReadLines(const char* path, std::vector<CCharString>& lines);
    // Appends the entry of one line; false with the reason when it has none.
    bool ParseLine(const CCharString& line, const CCharString& folder, int lineNumber,
                   CCharString& reason);
    bool Fail(const char* path, const char* reason);

    std::vector<CONTENT_ENTRY> m_entries;
    CCharString m_error;
};
