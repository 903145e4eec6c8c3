#pragma once

#include <cstdint>

#include "foundation/CharString.h"

// Splits a borrowed text into tokens. The text must outlive the breaker.
class CStringBreaker {
public:
    // How Next treats its delimiter argument.
    enum Mode {
        kEachDelimiter = 1,  // every delimiter character ends one token
        kDelimiterRun = 2,   // a run of delimiter characters counts as one
        kWholeString = 3,    // the argument is one delimiter string
    };

    explicit CStringBreaker(const char* text = nullptr, bool returnRest = true);
    virtual ~CStringBreaker() = default;

    void SetText(const char* text, bool returnRest = true);

    // The next token, valid until the next call; null when none is left.
    // With returnRest the text after the last delimiter is the last token.
    // Null delimiters return the rest of the text.
    const char* Next(const char* delimiters, int mode = kDelimiterRun);

private:
    const char* NextWholeString(const char* delimiter);
    const char* NextInSet(const char* delimiters, int mode);

    const char* m_start = nullptr;
    const char* m_position = nullptr;
    CCharString m_token;
    bool m_returnRest = true;
    uint32_t m_length = 0;
};
