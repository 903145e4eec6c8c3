#include "ui/TextCtrl.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "foundation/DiskFile.h"
#include "foundation/QuotedText.h"
#include "foundation/TextEncoding.h"
#include "foundation/TextLines.h"
#include "ui/DocumentLine.h"

namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkLength = 3;

// The bytes of a document as UTF-8 text without NUL bytes.
std::string DecodeDocument(const std::vector<char>& data) {
    size_t start = 0;
    if (data.size() >= kByteOrderMarkLength &&
        std::memcmp(data.data(), kByteOrderMark, kByteOrderMarkLength) == 0) {
        start = kByteOrderMarkLength;
    }
    const char* bytes = data.data() + start;
    const size_t size = data.size() - start;
    const std::string decoded =
        IsValidUtf8(bytes, size) ? std::string(bytes, size) : Latin1ToUtf8(bytes, size);
    if (decoded.find('\0') == std::string::npos) {
        return decoded;
    }
    std::string text;
    text.reserve(decoded.size());
    for (char c : decoded) {
        if (c == '\0') {
            text += CTextCtrl::kNulStandIn;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::string CTextCtrl::MakeCutNote(size_t fullLength) {
    CCharString note;
    note.Format("[This line is %zu bytes long and was cut: only its first %zu bytes are shown.]",
                fullLength, kMaxLineLength);
    return note.Str();
}

bool CTextCtrl::Fail(const char* path, const char* reason) {
    m_lines.clear();
    m_error.Format("Can't read file '%s': %s", QuoteForMessage(path).GetText(), reason);
    return false;
}

bool CTextCtrl::LoadFile(const char* path) {
    Clear();
    CDiskFile file;
    std::vector<char> data;
    if (!file.Read(path, data, kMaxFileSize)) {
        return Fail(path, file.GetError());
    }
    const std::string text = DecodeDocument(data);
    for (const std::string& line : SplitLines(text.data(), text.size())) {
        AddLine(line);
    }
    Layout();
    return true;
}

void CTextCtrl::AddLine(const std::string& text) {
    LINE line;
    size_t length = text.size();
    if (length > kMaxLineLength) {
        line.fullLength = length;
        length = kMaxLineLength;
        while (length > 0 && IsUtf8Continuation(text[length])) {
            --length;  // a character is cut whole or not at all
        }
    }
    line.text.AssignN(text.data(), length);
    m_lines.push_back(std::move(line));
}

void CTextCtrl::SetText(const char* text) {
    Clear();
    const std::string all = text != nullptr ? text : "";
    size_t start = all.find_first_not_of("\r\n");
    while (start != std::string::npos) {
        const size_t end = all.find_first_of("\r\n", start);
        AddLine(all.substr(start, end - start));
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

bool CTextCtrl::MakeBlock(const CCharString& text, DOCUMENT_BLOCK& block) {
    DOCUMENT_LINE line;
    line.Parse(text);
    if (line.IsButton()) {
        block = {DocumentStyle::kButton, line.caption.Str()};
        m_buttons.push_back(line.parameters);
    } else if (line.content.IsEmpty()) {
        block = {DocumentStyle::kGap, ""};
    } else if (line.tag.IsEmpty()) {
        block = {DocumentStyle::kBody, line.content.Str()};
    } else if (line.tag == "1") {
        block = {DocumentStyle::kTitle, line.content.Str()};
    } else if (line.tag == "2") {
        block = {DocumentStyle::kHeading, line.content.Str()};
    } else if (line.tag == "3") {
        block = {DocumentStyle::kSubheading, line.content.Str()};
    } else {
        return false;  // lines with any other tag are notes for the author
    }
    return true;
}

void CTextCtrl::Layout() {
    m_blocks.clear();
    m_buttons.clear();
    for (const LINE& line : m_lines) {
        DOCUMENT_BLOCK block;
        if (!MakeBlock(line.text, block)) {
            continue;
        }
        m_blocks.push_back(std::move(block));
        if (line.fullLength > 0) {
            m_blocks.push_back({DocumentStyle::kBody, MakeCutNote(line.fullLength)});
        }
    }
}
