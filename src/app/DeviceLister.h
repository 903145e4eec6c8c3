#pragma once

#include <string>

#include "app/SettingsValues.h"
#include "editors/AudioSettingsDlg.h"
#include "foundation/BackgroundTask.h"
#include "platform/Platform.h"

// The three device lists of the audio settings.
struct DEVICE_LISTS {
    DEVICE_LIST inputs;
    DEVICE_LIST outputs;
    DEVICE_LIST midiPorts;
    CCharString error;  // "Can't enumerate ..." when a system could not list
};

// Lists the sound inputs, the sound outputs and the MIDI ports, each on a
// thread of its own, because a sound system can hang while it lists (a
// sound server waiting on a stale entry): the user-interface thread waits
// only a moment, and a list that did not answer by then is marked so. The
// stand-in devices (the silent output, the sound-file input) are listed
// after the real ones, under their own names.
class CDeviceLister {
public:
    static constexpr double kAnswerSeconds = 1.5;

    void Start(const PLATFORM& platform);
    // Waits up to seconds in all for the lists, then takes what answered.
    DEVICE_LISTS Take(double seconds);

    // The key a device's id is chosen and kept by: its 16-byte GUID as 32
    // hex digits. An all-zero GUID (nothing chosen) gives an empty key.
    static SETTINGS_GUID MakeGuid(const std::string& id);
    static CCharString ToKey(const SETTINGS_GUID& guid);
    static SETTINGS_GUID ToGuid(const char* key);

private:
    CBackgroundTask<DEVICE_LIST> m_inputs;
    CBackgroundTask<DEVICE_LIST> m_outputs;
    CBackgroundTask<DEVICE_LIST> m_midiPorts;
};
