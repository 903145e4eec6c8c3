#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The per-user settings of one product, registry-like: a tree of keys, each
// holding named values that are strings, integers or binary records. key is
// a path of sub-key names below the product key joined by "/" ("" is the
// product key itself); key and value names may not contain "/" or "\".
//
// Reads see the store as it was opened plus every write since; writes reach
// the disk only through Save, which replaces the stored settings as a whole
// (an interrupted save leaves the old settings, never a part of the new).
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    // Opens the settings of product by maker, dropping unsaved writes. Opening
    // settings that were never saved succeeds with an empty store.
    virtual bool Open(const char* maker, const char* product) = 0;
    // True when the open store held any value when it was opened.
    virtual bool Exists() const = 0;

    // False when the value is missing or holds another type; value is left
    // unchanged then. A backend that keeps only text (an INI file) gives an
    // integer for text that is a whole decimal number.
    virtual bool GetString(const char* key, const char* name, std::string& value) const = 0;
    virtual bool GetInteger(const char* key, const char* name, int64_t& value) const = 0;
    virtual bool GetBinary(const char* key, const char* name,
                           std::vector<uint8_t>& value) const = 0;

    // False when the store is not open or a name is not allowed.
    virtual bool SetString(const char* key, const char* name, const std::string& value) = 0;
    virtual bool SetInteger(const char* key, const char* name, int64_t value) = 0;
    virtual bool SetBinary(const char* key, const char* name,
                           const std::vector<uint8_t>& value) = 0;

    // Writes the open store to its file as one replacement.
    virtual bool Save() = 0;
    // The last failure's text.
    virtual const char* GetError() const = 0;
    // Why the open store could not read all of its file ("Can't read ..."),
    // empty when it could or when there was none. Worth telling the user once.
    virtual std::string GetReadProblem() const { return std::string(); }
    // The folder that holds the stored settings, where the product's other
    // per-user files belong; empty for a store kept in no folder.
    virtual std::string GetFolder() const { return std::string(); }
};

// True when every "/"-separated part of key (which may be "") and name is
// a non-empty name without "\" or "/".
inline bool IsValidSettingsName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\") == std::string::npos;
}

inline bool IsValidSettingsPath(const char* key, const char* name) {
    if (key == nullptr || name == nullptr || !IsValidSettingsName(name)) {
        return false;
    }
    const std::string path = key;
    if (path.empty()) {
        return true;
    }
    size_t start = 0;
    while (true) {
        const size_t end = path.find('/', start);
        const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
        if (!IsValidSettingsName(part)) {
            return false;
        }
        if (end == std::string::npos) {
            return true;
        }
        start = end + 1;
    }
}
