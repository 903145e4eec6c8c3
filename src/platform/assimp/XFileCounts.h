#pragma once

#include <cstddef>
#include <string>

// A look at the counts of a text .x file before it is parsed: the vertex,
// face, normal and weight counts that make a parser reserve memory must fit
// in what is left of the file (each element takes at least two bytes), so
// that a few bytes can't claim gigabytes. Files in the other .x forms and
// other formats pass unchecked.
class CXFileCounts {
public:
    // False with "line N: ..." in error when a count can't be true.
    static bool Check(const char* data, size_t size, std::string& error);
};
