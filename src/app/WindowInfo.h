#pragma once

#include <cstdint>

#include "app/SettingsValues.h"
#include "foundation/CharString.h"
#include "platform/SettingsStore.h"

// The saved placement of one window, kept in its own sub-key: the rectangle
// ("Window rectangle", all -1 until the window was placed, so it is then
// arranged) and, for dialogs, whether it is shown ("Show window"). Dialogs
// with options of their own derive from it. Load keeps the default of every
// value that is missing or malformed and returns true only when all were
// read; Save returns true only when all were written.
struct WINDOW_INFO {
    explicit WINDOW_INFO(bool hasVisibleValue = true) : hasVisibleValue(hasVisibleValue) {}
    virtual ~WINDOW_INFO() = default;

    virtual bool Load(const ISettingsStore& store, const char* subKey);
    virtual bool Save(ISettingsStore& store, const char* subKey) const;

    SETTINGS_RECT rect;
    uint8_t visible = 1;
    bool hasVisibleValue;  // false for the main window
};

// "Composition": also whether a chosen song is played.
struct COMPOSITION_INFO : WINDOW_INFO {
    bool Load(const ISettingsStore& store, const char* subKey) override;
    bool Save(ISettingsStore& store, const char* subKey) const override;

    uint8_t playSong = 1;
};

// "Text": the document display's scroll position and the chosen content
// entry; negative values count as 0.
struct TEXT_INFO : WINDOW_INFO {
    bool Load(const ISettingsStore& store, const char* subKey) override;
    bool Save(ISettingsStore& store, const char* subKey) const override;

    int32_t scrollPosition = 0;
    int32_t contentIndex = 0;
};

// "Music Editor": the options of the song editor that are kept.
struct MUSIC_EDITOR_INFO : WINDOW_INFO {
    bool Load(const ISettingsStore& store, const char* subKey) override;
    bool Save(ISettingsStore& store, const char* subKey) const override;

    uint8_t playSelected = 1;
    uint8_t showNoteGrid = 1;
    float humanization = 0.0f;
};

// "Web Login": login details only, no window values.
struct WEB_LOGIN_INFO {
    bool Load(const ISettingsStore& store, const char* subKey);
    bool Save(ISettingsStore& store, const char* subKey) const;

    CCharString userName;
    CCharString email;
    CCharString password;
};
