#pragma once

#include <cstddef>
#include <string>

// Byte encodings of text files that users write.

// True for the bytes that go on a UTF-8 sequence rather than start one.
bool IsUtf8Continuation(char byte);

// True when data[0, size) is well-formed UTF-8: no stray continuation
// bytes, cut sequences, overlong forms, surrogates or code points past
// U+10FFFF.
bool IsValidUtf8(const char* data, size_t size);

// data[0, size) read as Latin-1 (ISO 8859-1), every byte one character,
// in UTF-8.
std::string Latin1ToUtf8(const char* data, size_t size);
