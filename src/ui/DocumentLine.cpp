#include "ui/DocumentLine.h"

#include <string>

void DOCUMENT_LINE::Parse(const char* line) {
    const std::string text = line != nullptr ? line : "";
    tag.Empty();
    caption.Empty();
    parameters.Empty();
    const size_t close = text.empty() || text[0] != '<' ? std::string::npos : text.find('>');
    if (close == std::string::npos) {
        content = text.c_str();
    } else {
        tag = text.substr(1, close - 1).c_str();
        content = text.substr(close + 1).c_str();
    }
    if (!IsButton()) {
        return;
    }
    const std::string& body = content.Str();
    const size_t mark = body.find(kParameterMark);
    caption = body.substr(0, mark).c_str();
    if (mark != std::string::npos) {
        parameters = body.substr(mark + 2).c_str();
    }
}
