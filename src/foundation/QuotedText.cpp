#include "foundation/QuotedText.h"

#include <string>
#include <vector>

#include "foundation/TextEncoding.h"

namespace {

constexpr const char* kEllipsis = "...";
constexpr size_t kEllipsisChars = 3;
constexpr char kControlStandIn = '?';
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

// The byte offset at which every character of text starts.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsUtf8Continuation(text[i])) {
            starts.push_back(i);
        }
    }
    return starts;
}

std::string WithoutControls(const char* text) {
    std::string shown = text != nullptr ? text : "";
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete) {
            c = kControlStandIn;
        }
    }
    return shown;
}

}  // namespace

CCharString QuoteForMessage(const char* text, size_t maxChars) {
    const std::string shown = WithoutControls(text);
    const std::vector<size_t> starts = CharacterStarts(shown);
    if (starts.size() <= maxChars) {
        return shown.c_str();
    }
    if (maxChars <= kEllipsisChars) {
        return kEllipsis;
    }
    // The end of a path names the file, so both ends are kept.
    const size_t kept = maxChars - kEllipsisChars;
    const size_t headChars = (kept + 1) / 2;
    const size_t tailChars = kept - headChars;
    const std::string head = shown.substr(0, starts[headChars]);
    const std::string tail =
        tailChars == 0 ? std::string() : shown.substr(starts[starts.size() - tailChars]);
    return (head + kEllipsis + tail).c_str();
}
