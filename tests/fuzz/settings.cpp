// The settings loader on a null settings store filled from arbitrary bytes.
// The input is a run of records, each "<key> <name> <type> <length>
// <length bytes>": key and name pick, modulo their counts, one of the sub-keys
// and value names the settings use, and type a string, an integer (up to
// eight bytes, little-endian) or a binary value. Loaded settings are saved
// and must then load whole.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "platform/null/NullSettingsStore.h"

namespace {

constexpr const char* kProduct = "Notara";
constexpr int kKind = 10;
constexpr size_t kRecordHeader = 4;
constexpr size_t kIntegerBytes = 8;

constexpr const char* kKeys[] = {
    "",
    "Main Window",
    "Colors",
    "Show Chord",
    "Show Scale",
    "Composition",
    "Human",
    "Groove Maker",
    "Text",
    "Lesson",
    "Tuner",
    "Mixer",
    "Web Login",
    "Generator",
    "Color Picker",
    "Web files",
    "Color Lists",
    "Colorgram",
    "Music Editor",
    "Space Painter",
    "Audio",
    "Hints",
};

constexpr const char* kNames[] = {
    "Data path",         "MIDI path",
    "Wave path",         "Temp path",
    "Sound path",        "Tutorial path",
    "Song root path",    "Song path",
    "Lessons root path", "Lessons path",
    "Groove root path",  "Groove path",
    "Window rectangle",  "Show window",
    "Play song",         "Scroll position",
    "Content index",     "Play selected",
    "Show note grid",    "Humanization",
    "User name",         "E-mail",
    "Password",          "Audio input GUID",
    "Audio input name",  "Audio output GUID",
    "Audio output name", "Master volume",
    "MIDI input port",   "Microphone input",
    "MIDI input chosen", "Note names",
    "Expected key",      "Key letters",
};

template <class T, size_t N>
constexpr size_t CountOf(const T (&)[N]) {
    return N;
}

void SetValue(CNullSettingsStore& store, const uint8_t* record, const uint8_t* value,
              size_t length) {
    const char* key = kKeys[record[0] % CountOf(kKeys)];
    const char* name = kNames[record[1] % CountOf(kNames)];
    switch (record[2] % 3) {
        case 0:
            store.SetString(key, name, std::string(reinterpret_cast<const char*>(value), length));
            break;
        case 1: {
            uint64_t number = 0;
            for (size_t i = 0; i < length && i < kIntegerBytes; ++i) {
                number |= static_cast<uint64_t>(value[i]) << (8 * i);
            }
            store.SetInteger(key, name, static_cast<int64_t>(number));
            break;
        }
        default:
            store.SetBinary(key, name, std::vector<uint8_t>(value, value + length));
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto disk = std::make_shared<NULL_SETTINGS_DISK>();
    CNullSettingsStore writer(disk);
    if (!writer.Open(APP_SETTINGS::kMaker, kProduct)) {
        return 0;
    }
    size_t at = 0;
    while (size - at >= kRecordHeader) {
        const uint8_t* record = data + at;
        const size_t length = std::min<size_t>(record[3], size - at - kRecordHeader);
        SetValue(writer, record, record + kRecordHeader, length);
        at += kRecordHeader + length;
    }
    if (!writer.Save()) {
        return 0;
    }
    CNullSettingsStore reader(disk);
    APP_SETTINGS settings;
    settings.Load(reader, kProduct, kKind);
    if (!settings.Save(reader, kProduct, kKind)) {
        __builtin_trap();  // whatever was loaded can be saved
    }
    CNullSettingsStore again(disk);
    APP_SETTINGS reloaded;
    if (!reloaded.Load(again, kProduct, kKind)) {
        __builtin_trap();  // saved settings read back whole
    }
    return 0;
}
