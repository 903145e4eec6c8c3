#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Line ends of text files made on any system: CR LF, LF alone and CR alone
// each end one line.

// The end of the line that starts at from in data[0, size): the offset of
// its line end, or size when it has none. next becomes the start of the
// line after it (past CR LF as one line end).
size_t FindLineEnd(const char* data, size_t size, size_t from, size_t& next);

// The lines of data, without their line ends. A last line without a line
// end is a line; nothing after a final line end is one.
std::vector<std::string> SplitLines(const char* data, size_t size);
