#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/CharString.h"
#include "platform/DocumentDialog.h"

// The document display of the Text dialog: holds the lines of a tutorial
// document and lays them out into blocks that the platform shows, keeping
// the parameter text of every action button in the order of its buttons.
class CTextCtrl {
public:
    // Tutorial documents are short; anything longer is not one.
    static constexpr size_t kMaxFileSize = 1u << 20;
    // Longest line shown whole, in bytes of UTF-8; a longer line is cut
    // there and followed by a note that says so.
    static constexpr size_t kMaxLineLength = 64u << 10;
    // What a NUL byte of a document is shown as: U+FFFD, the replacement
    // character, so that the rest of its line stays.
    static constexpr const char* kNulStandIn = "\xEF\xBF\xBD";

    // Reads the lines of the file at path: lines end with CR LF, LF or CR,
    // and a file that is not UTF-8 is read as Latin-1. On failure the
    // document is empty and GetError gives "Can't read file '<path>':
    // <reason>", a long path shortened.
    bool LoadFile(const char* path);
    // Takes text as the document, split into lines at runs of CR and LF (so
    // empty lines disappear).
    void SetText(const char* text);
    void Clear();

    const std::vector<DOCUMENT_BLOCK>& GetBlocks() const { return m_blocks; }
    int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
    // The parameter text of button index, or null when there is none.
    const char* GetButtonParameters(int index) const;
    const char* GetError() const { return m_error; }

    // The note shown after a line of fullLength bytes that was cut.
    static std::string MakeCutNote(size_t fullLength);

private:
    // One line of the document; fullLength is set when the line was cut.
    struct LINE {
        CCharString text;
        size_t fullLength = 0;
    };

    bool Fail(const char* path, const char* reason);
    void AddLine(const std::string& text);
    void Layout();
    // The block that text shows as; false for lines that are not shown.
    bool MakeBlock(const CCharString& text, DOCUMENT_BLOCK& block);

    std::vector<LINE> m_lines;
    std::vector<DOCUMENT_BLOCK> m_blocks;
    std::vector<CCharString> m_buttons;
    CCharString m_error;
};
