#pragma once

#include <cstddef>
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

    // Reads the lines of the file at path. On failure the document is empty
    // and GetError gives "Can't read file '<path>': <reason>".
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

private:
    void Layout();

    std::vector<CCharString> m_lines;
    std::vector<DOCUMENT_BLOCK> m_blocks;
    std::vector<CCharString> m_buttons;
    CCharString m_error;
};
