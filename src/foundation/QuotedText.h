#pragma once

#include <cstddef>

#include "foundation/CharString.h"

// Text a user gave (a path, a title, a line of a file) made fit to stand in
// a message: control characters become "?" so the message stays one line,
// and text of more than maxChars characters keeps its start and its end
// with "..." between, maxChars characters in all. Characters are UTF-8 code
// points; a cut never splits one. No quote marks are added.
CCharString QuoteForMessage(const char* text, size_t maxChars = 60);
