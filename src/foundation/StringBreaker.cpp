#include "foundation/StringBreaker.h"

#include <cstring>

CStringBreaker::CStringBreaker(const char* text, bool returnRest) {
    SetText(text, returnRest);
}

void CStringBreaker::SetText(const char* text, bool returnRest) {
    m_start = text;
    m_position = text;
    m_returnRest = returnRest;
    m_length = text != nullptr ? static_cast<uint32_t>(std::strlen(text)) : 0;
    m_token.Empty();
}

const char* CStringBreaker::Next(const char* delimiters, int mode) {
    if (m_start == nullptr || m_position == nullptr || m_position > m_start + m_length ||
        *m_position == '\0') {
        return nullptr;
    }
    if (delimiters == nullptr) {
        const char* rest = m_position;
        m_position = m_start + m_length;
        return rest;
    }
    return mode == kWholeString ? NextWholeString(delimiters) : NextInSet(delimiters, mode);
}

const char* CStringBreaker::NextWholeString(const char* delimiter) {
    const char* found = *delimiter != '\0' ? std::strstr(m_position, delimiter) : nullptr;
    if (found == nullptr) {
        return nullptr;
    }
    m_token.AssignN(m_position, static_cast<size_t>(found - m_position));
    m_position = found + std::strlen(delimiter);
    return m_token.GetText();
}

const char* CStringBreaker::NextInSet(const char* delimiters, int mode) {
    const size_t span = std::strcspn(m_position, delimiters);
    const char* found = m_position + span;
    if (*found == '\0') {
        if (!m_returnRest) {
            return nullptr;
        }
        const char* rest = m_position;
        m_position = found;
        return rest;
    }
    m_token.AssignN(m_position, span);
    if (mode == kEachDelimiter) {
        m_position = found + 1;
    } else {
        const char* after = found + std::strspn(found, delimiters);
        m_position = *after != '\0' ? after : nullptr;
    }
    return m_token.GetText();
}
