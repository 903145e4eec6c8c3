#pragma once

#include <cstdarg>
#include <cstdint>
#include <ctime>
#include <string>

#if defined(__GNUC__)
#define NOTARA_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define NOTARA_PRINTF(fmt, args)
#endif

// A growable 8-bit string: every text, name, path and error text of the
// system. The buffer grows by at least growStep bytes at a time (0 means to
// exactly the size needed); operations that cannot allocate leave the string
// unchanged and return false (or null).
class CCharString {
public:
    CCharString() : CCharString(1, 0) {}
    explicit CCharString(int initialCapacity, int growStep = 0);
    CCharString(const char* text);  // NOLINT: implicit, like a text literal
    CCharString(const CCharString& other);
    CCharString(CCharString&& other) noexcept;
    CCharString& operator=(const CCharString& other);
    CCharString& operator=(CCharString&& other) noexcept;
    CCharString& operator=(const char* text);
    ~CCharString() = default;

    bool Reserve(int n);
    const char* Format(const char* format, ...) NOTARA_PRINTF(2, 3);
    const char* FormatV(const char* format, va_list args);
    bool Assign(const char* text);
    bool AssignN(const char* text, size_t n);
    bool Join(const char* a, size_t lengthA, const char* b, size_t lengthB);
    bool Append(const char* text);
    bool AppendChar(char c);
    bool Trim(char c);
    bool ReplaceChar(char from, char to);
    char GetAt(size_t i) const;
    // strftime of time into the string, as local or UTC broken-down time;
    // the empty string when the conversion fails.
    bool FormatTime(const char* format, int64_t time, bool local);
    void Empty();

    CCharString operator+(char c) const;
    bool operator==(const CCharString& other) const { return m_text == other.m_text; }
    bool operator!=(const CCharString& other) const { return !(*this == other); }
    bool operator==(const char* text) const { return m_text == (text ? text : ""); }
    bool operator!=(const char* text) const { return !(*this == text); }

    const char* GetText() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }  // NOLINT: used like a C string
    uint32_t GetLength() const { return static_cast<uint32_t>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    int GetCapacity() const { return m_capacity; }
    int GetGrowStep() const { return m_growStep; }
    const std::string& Str() const { return m_text; }

private:
    std::string m_text;
    int m_capacity;  // bytes reserved, terminating NUL included
    int m_growStep;
};
