#include "foundation/CharString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

CCharString::CCharString(int initialCapacity, int growStep)
    : m_capacity(std::max(initialCapacity, 1)), m_growStep(std::max(growStep, 0)) {
    // A short capacity fits the string's own buffer: nothing to reserve,
    // which keeps the many empty texts of a note cheap to make.
    if (static_cast<size_t>(m_capacity) <= m_text.capacity()) {
        return;
    }
    try {
        m_text.reserve(static_cast<size_t>(m_capacity));
    } catch (const std::bad_alloc&) {
        m_capacity = 1;
    }
}

CCharString::CCharString(const char* text) : CCharString(1, 0) {
    Assign(text);
}

CCharString::CCharString(const CCharString& other)
    : m_text(other.m_text), m_capacity(other.m_capacity), m_growStep(other.m_growStep) {}

CCharString::CCharString(CCharString&& other) noexcept
    : m_text(std::move(other.m_text)), m_capacity(other.m_capacity), m_growStep(other.m_growStep) {
    other.m_text.clear();
    other.m_capacity = 1;
}

CCharString& CCharString::operator=(const CCharString& other) {
    if (this != &other) {
        Assign(other.GetText());
    }
    return *this;
}

CCharString& CCharString::operator=(CCharString&& other) noexcept {
    if (this != &other) {
        m_text = std::move(other.m_text);
        m_capacity = other.m_capacity;
        other.m_text.clear();
    }
    return *this;
}

CCharString& CCharString::operator=(const char* text) {
    Assign(text);
    return *this;
}

bool CCharString::Reserve(int n) {
    if (m_capacity >= n) {
        return true;
    }
    int newCapacity = n;
    if (m_growStep != 0 && n - m_capacity < m_growStep) {
        newCapacity = m_capacity + m_growStep;
    }
    try {
        m_text.reserve(static_cast<size_t>(newCapacity));
    } catch (const std::exception&) {
        return false;
    }
    m_capacity = newCapacity;
    return true;
}

const char* CCharString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const char* result = FormatV(format, args);
    va_end(args);
    return result;
}

const char* CCharString::FormatV(const char* format, va_list args) {
    if (format == nullptr) {
        return Assign("") ? GetText() : nullptr;
    }
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0 || length == INT32_MAX || !Reserve(length + 1)) {
        return nullptr;
    }
    std::string formatted(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&formatted[0], formatted.size(), format, args);
    formatted.resize(static_cast<size_t>(length));
    m_text.swap(formatted);
    return GetText();
}

bool CCharString::Assign(const char* text) {
    return AssignN(text ? text : "", SIZE_MAX);
}

bool CCharString::AssignN(const char* text, size_t n) {
    if (text == nullptr) {
        text = "";
    }
    const size_t length = strnlen(text, n);
    if (length >= INT32_MAX || !Reserve(static_cast<int>(length) + 1)) {
        return false;
    }
    try {
        m_text.assign(text, length);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CCharString::Join(const char* a, size_t lengthA, const char* b, size_t lengthB) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    const size_t total = lengthA + lengthB;
    if (total >= INT32_MAX || !Reserve(static_cast<int>(total) + 1)) {
        return false;
    }
    try {
        std::string joined(a, lengthA);
        joined.append(b, lengthB);
        m_text.swap(joined);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CCharString::Append(const char* text) {
    if (text == nullptr || *text == '\0') {
        return true;
    }
    const size_t total = m_text.size() + std::strlen(text);
    if (total >= INT32_MAX || !Reserve(static_cast<int>(total) + 1)) {
        return false;
    }
    try {
        m_text.append(text);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CCharString::AppendChar(char c) {
    const char text[2] = {c, '\0'};
    if (c == '\0') {
        return true;
    }
    return Append(text);
}

bool CCharString::Trim(char c) {
    const size_t first = m_text.find_first_not_of(c);
    if (first == std::string::npos) {
        m_text.clear();
        return true;
    }
    const size_t last = m_text.find_last_not_of(c);
    m_text = m_text.substr(first, last - first + 1);
    return true;
}

bool CCharString::ReplaceChar(char from, char to) {
    std::replace(m_text.begin(), m_text.end(), from, to);
    return true;
}

char CCharString::GetAt(size_t i) const {
    return i < m_text.size() ? m_text[i] : '\0';
}

bool CCharString::FormatTime(const char* format, int64_t time, bool local) {
    const time_t t = static_cast<time_t>(time);
    struct tm broken {};
    const bool converted =
        local ? localtime_r(&t, &broken) != nullptr : gmtime_r(&t, &broken) != nullptr;
    char buffer[256];
    size_t length = 0;
    if (converted && format != nullptr) {
        length = std::strftime(buffer, sizeof buffer, format, &broken);
    }
    if (length == 0) {
        Empty();
        return false;
    }
    return AssignN(buffer, length);
}

void CCharString::Empty() {
    m_text.clear();
}

CCharString CCharString::operator+(char c) const {
    CCharString result(*this);
    result.AppendChar(c);
    return result;
}
