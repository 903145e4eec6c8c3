#include "app/WindowInfo.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr const char* kRectangleValue = "Window rectangle";
constexpr const char* kVisibleValue = "Show window";
}  // namespace

bool WINDOW_INFO::Load(const ISettingsStore& store, const char* subKey) {
    bool all = ReadRect(store, subKey, kRectangleValue, rect);
    if (hasVisibleValue) {
        uint8_t shown = visible;
        all = ReadByte(store, subKey, kVisibleValue, shown) && all;
        visible = shown != 0 ? 1 : 0;
    }
    return all;
}

bool WINDOW_INFO::Save(ISettingsStore& store, const char* subKey) const {
    bool all = WriteRect(store, subKey, kRectangleValue, rect);
    if (hasVisibleValue) {
        all = WriteByte(store, subKey, kVisibleValue, visible) && all;
    }
    return all;
}

bool COMPOSITION_INFO::Load(const ISettingsStore& store, const char* subKey) {
    bool all = WINDOW_INFO::Load(store, subKey);
    all = ReadByte(store, subKey, "Play song", playSong) && all;
    return all;
}

bool COMPOSITION_INFO::Save(ISettingsStore& store, const char* subKey) const {
    bool all = WINDOW_INFO::Save(store, subKey);
    all = WriteByte(store, subKey, "Play song", playSong) && all;
    return all;
}

bool TEXT_INFO::Load(const ISettingsStore& store, const char* subKey) {
    bool all = WINDOW_INFO::Load(store, subKey);
    all = ReadInt32(store, subKey, "Scroll position", scrollPosition) && all;
    all = ReadInt32(store, subKey, "Content index", contentIndex) && all;
    scrollPosition = scrollPosition < 0 ? 0 : scrollPosition;
    contentIndex = contentIndex < 0 ? 0 : contentIndex;
    return all;
}

bool TEXT_INFO::Save(ISettingsStore& store, const char* subKey) const {
    bool all = WINDOW_INFO::Save(store, subKey);
    all = WriteInt32(store, subKey, "Scroll position", scrollPosition) && all;
    all = WriteInt32(store, subKey, "Content index", contentIndex) && all;
    return all;
}

bool MUSIC_EDITOR_INFO::Load(const ISettingsStore& store, const char* subKey) {
    bool all = WINDOW_INFO::Load(store, subKey);
    all = ReadByte(store, subKey, "Play selected", playSelected) && all;
    all = ReadByte(store, subKey, "Show note grid", showNoteGrid) && all;
    all = ReadFloat(store, subKey, "Humanization", humanization) && all;
    return all;
}

bool MUSIC_EDITOR_INFO::Save(ISettingsStore& store, const char* subKey) const {
    bool all = WINDOW_INFO::Save(store, subKey);
    all = WriteByte(store, subKey, "Play selected", playSelected) && all;
    all = WriteByte(store, subKey, "Show note grid", showNoteGrid) && all;
    all = WriteFloat(store, subKey, "Humanization", humanization) && all;
    return all;
}

bool WEB_LOGIN_INFO::Load(const ISettingsStore& store, const char* subKey) {
    bool all = ReadText(store, subKey, "User name", kMaxLoginSetting, userName);
    all = ReadText(store, subKey, "E-mail", kMaxLoginSetting, email) && all;
    all = ReadText(store, subKey, "Password", kMaxLoginSetting, password) && all;
    return all;
}

bool WEB_LOGIN_INFO::Save(ISettingsStore& store, const char* subKey) const {
    bool all = WriteText(store, subKey, "User name", userName);
    all = WriteText(store, subKey, "E-mail", email) && all;
    all = WriteText(store, subKey, "Password", password) && all;
    return all;
}

namespace {
// Saved rectangles may hold any number: sizes and sides are worked out on
// 64 bits and brought back into the range of an int.
int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
}  // namespace

WINDOW_RECT ToWindowRect(const SETTINGS_RECT& rect) {
    return WINDOW_RECT{rect.left, rect.top, ClampToInt(int64_t{rect.right} - rect.left),
                       ClampToInt(int64_t{rect.bottom} - rect.top)};
}

SETTINGS_RECT ToSettingsRect(const WINDOW_RECT& rect) {
    return SETTINGS_RECT{rect.left, rect.top, ClampToInt(int64_t{rect.left} + rect.width),
                         ClampToInt(int64_t{rect.top} + rect.height)};
}

bool IsPlaced(const SETTINGS_RECT& rect) {
    return rect.left != -1 && rect.right > rect.left && rect.bottom > rect.top;
}
