#include "foundation/TextLines.h"

size_t FindLineEnd(const char* data, size_t size, size_t from, size_t& next) {
    size_t end = from;
    while (end < size && data[end] != '\n' && data[end] != '\r') {
        ++end;
    }
    next = end;
    if (end < size) {
        const bool crLf = data[end] == '\r' && end + 1 < size && data[end + 1] == '\n';
        next = end + (crLf ? 2 : 1);
    }
    return end;
}

std::vector<std::string> SplitLines(const char* data, size_t size) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < size) {
        size_t next = 0;
        const size_t end = FindLineEnd(data, size, start, next);
        lines.emplace_back(data + start, end - start);
        start = next;
    }
    return lines;
}
