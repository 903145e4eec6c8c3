#include "ui/TextCtrl.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/DiskFile.h"
#include "ui/DocumentLine.h"

bool CTextCtrl::LoadFile(const char* path) {
    Clear();
    std::error_code failure;
    const auto size = std::filesystem::file_size(path != nullptr ? path : "", failure);
    if (!failure && size > kMaxFileSize) {
        m_error.Format("Can't read file '%s': it is larger than %zu bytes", path, kMaxFileSize);
        return false;
    }
    CDiskFile file;
    if (!file.ReadLines(path, m_lines)) {
        m_error.Format("Can't read file '%s': %s", path != nullptr ? path : "", file.GetError());
        m_lines.clear();
        return false;
    }
    Layout();
    return true;
}

void CTextCtrl::SetText(const char* text) {
    Clear();
    const std::string all = text != nullptr ? text : "";
    size_t start = all.find_first_not_of("\r\n");
    while (start != std::string::npos) {
        const size_t end = all.find_first_of("\r\n", start);
        m_lines.emplace_back(all.substr(start, end - start).c_str());
        start = end == std::string::npos ? end : all.find_first_not_of("\r\n", end);
    }
    Layout();
}

void CTextCtrl::Clear() {
    m_lines.clear();
    m_blocks.clear();
    m_buttons.clear();
    m_error.Empty();
}

const char* CTextCtrl::GetButtonParameters(int index) const {
    if (index < 0 || index >= GetButtonCount()) {
        return nullptr;
    }
    return m_buttons[static_cast<size_t>(index)];
}

void CTextCtrl::Layout() {
    m_blocks.clear();
    m_buttons.clear();
    DOCUMENT_LINE line;
    for (const CCharString& text : m_lines) {
        line.Parse(text);
        if (line.IsButton()) {
            m_blocks.push_back({DocumentStyle::kButton, line.caption.Str()});
            m_buttons.push_back(line.parameters);
        } else if (line.content.IsEmpty()) {
            m_blocks.push_back({DocumentStyle::kGap, ""});
        } else if (line.tag.IsEmpty()) {
            m_blocks.push_back({DocumentStyle::kBody, line.content.Str()});
        } else if (line.tag == "1") {
            m_blocks.push_back({DocumentStyle::kTitle, line.content.Str()});
        } else if (line.tag == "2") {
            m_blocks.push_back({DocumentStyle::kHeading, line.content.Str()});
        } else if (line.tag == "3") {
            m_blocks.push_back({DocumentStyle::kSubheading, line.content.Str()});
        }
        // Lines with any other tag are notes for the author and not shown.
    }
}
