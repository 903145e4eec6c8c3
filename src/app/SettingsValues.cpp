#include "app/SettingsValues.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The binary value of name when it has exactly size bytes.
bool ReadExact(const ISettingsStore& store, const char* key, const char* name, size_t size,
               std::vector<uint8_t>& bytes) {
    return store.GetBinary(key, name, bytes) && bytes.size() == size;
}

uint32_t GetLittle32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void PutLittle32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

}  // namespace

bool ReadText(const ISettingsStore& store, const char* key, const char* name, size_t maxLength,
              CCharString& value) {
    std::string text;
    if (!store.GetString(key, name, text) || text.size() > maxLength ||
        text.find('\0') != std::string::npos) {
        return false;
    }
    return value.Assign(text.c_str());
}

bool ReadByte(const ISettingsStore& store, const char* key, const char* name, uint8_t& value) {
    std::vector<uint8_t> bytes;
    if (!ReadExact(store, key, name, 1, bytes)) {
        return false;
    }
    value = bytes[0];
    return true;
}

bool ReadInt32(const ISettingsStore& store, const char* key, const char* name, int32_t& value) {
    std::vector<uint8_t> bytes;
    if (!ReadExact(store, key, name, 4, bytes)) {
        return false;
    }
    value = static_cast<int32_t>(GetLittle32(bytes.data()));
    return true;
}

bool ReadFloat(const ISettingsStore& store, const char* key, const char* name, float& value) {
    std::vector<uint8_t> bytes;
    if (!ReadExact(store, key, name, 4, bytes)) {
        return false;
    }
    const uint32_t bits = GetLittle32(bytes.data());
    float number = 0.0f;
    std::memcpy(&number, &bits, sizeof number);
    if (!std::isfinite(number)) {
        return false;
    }
    value = number;
    return true;
}

bool ReadRect(const ISettingsStore& store, const char* key, const char* name,
              SETTINGS_RECT& value) {
    std::vector<uint8_t> bytes;
    if (!ReadExact(store, key, name, 16, bytes)) {
        return false;
    }
    value.left = static_cast<int32_t>(GetLittle32(&bytes[0]));
    value.top = static_cast<int32_t>(GetLittle32(&bytes[4]));
    value.right = static_cast<int32_t>(GetLittle32(&bytes[8]));
    value.bottom = static_cast<int32_t>(GetLittle32(&bytes[12]));
    return true;
}

bool ReadGuid(const ISettingsStore& store, const char* key, const char* name,
              SETTINGS_GUID& value) {
    std::vector<uint8_t> bytes;
    if (!ReadExact(store, key, name, value.size(), bytes)) {
        return false;
    }
    std::memcpy(value.data(), bytes.data(), value.size());
    return true;
}

bool WriteText(ISettingsStore& store, const char* key, const char* name, const CCharString& value) {
    return store.SetString(key, name, value.Str());
}

bool WriteByte(ISettingsStore& store, const char* key, const char* name, uint8_t value) {
    return store.SetBinary(key, name, std::vector<uint8_t>{value});
}

bool WriteInt32(ISettingsStore& store, const char* key, const char* name, int32_t value) {
    std::vector<uint8_t> bytes;
    PutLittle32(bytes, static_cast<uint32_t>(value));
    return store.SetBinary(key, name, bytes);
}

bool WriteFloat(ISettingsStore& store, const char* key, const char* name, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::vector<uint8_t> bytes;
    PutLittle32(bytes, bits);
    return store.SetBinary(key, name, bytes);
}

bool WriteRect(ISettingsStore& store, const char* key, const char* name,
               const SETTINGS_RECT& value) {
    std::vector<uint8_t> bytes;
    for (int32_t side : {value.left, value.top, value.right, value.bottom}) {
        PutLittle32(bytes, static_cast<uint32_t>(side));
    }
    return store.SetBinary(key, name, bytes);
}

bool WriteGuid(ISettingsStore& store, const char* key, const char* name,
               const SETTINGS_GUID& value) {
    return store.SetBinary(key, name, std::vector<uint8_t>(value.begin(), value.end()));
}
