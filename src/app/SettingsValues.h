#pragma once

#include <array>
#include <cstdint>

#include "foundation/CharString.h"
#include "platform/SettingsStore.h"

// Typed values over a settings store, in the shapes the settings records
// use: texts of bounded length and binary records of an exact size (numbers
// little-endian). A read that finds no value, or one of another type or
// size, leaves the target unchanged and returns false; so does a text that
// is longer than allowed.

constexpr size_t kMaxPathSetting = 259;
constexpr size_t kMaxLoginSetting = 1023;
constexpr size_t kMaxNameSetting = 1023;

struct SETTINGS_RECT {
    int32_t left = -1;
    int32_t top = -1;
    int32_t right = -1;
    int32_t bottom = -1;
};

using SETTINGS_GUID = std::array<uint8_t, 16>;

bool ReadText(const ISettingsStore& store, const char* key, const char* name, size_t maxLength,
              CCharString& value);
bool ReadByte(const ISettingsStore& store, const char* key, const char* name, uint8_t& value);
bool ReadInt32(const ISettingsStore& store, const char* key, const char* name, int32_t& value);
// Also refuses a number that is not finite.
bool ReadFloat(const ISettingsStore& store, const char* key, const char* name, float& value);
bool ReadRect(const ISettingsStore& store, const char* key, const char* name, SETTINGS_RECT& value);
bool ReadGuid(const ISettingsStore& store, const char* key, const char* name, SETTINGS_GUID& value);

bool WriteText(ISettingsStore& store, const char* key, const char* name, const CCharString& value);
bool WriteByte(ISettingsStore& store, const char* key, const char* name, uint8_t value);
bool WriteInt32(ISettingsStore& store, const char* key, const char* name, int32_t value);
bool WriteFloat(ISettingsStore& store, const char* key, const char* name, float value);
bool WriteRect(ISettingsStore& store, const char* key, const char* name,
               const SETTINGS_RECT& value);
bool WriteGuid(ISettingsStore& store, const char* key, const char* name,
               const SETTINGS_GUID& value);
