#pragma once

#include <cstdint>

#include "app/SettingsValues.h"
#include "foundation/CharString.h"
#include "platform/SettingsStore.h"

// The chosen audio and MIDI devices and levels, kept in the "Audio" sub-key.
// An all-zero GUID means the system's default device. The capture level is
// not kept. Load keeps the default of every missing or malformed value (a
// master volume outside 0..1 counts as malformed) and returns true only when
// all were read.
struct AUDIO_INFO {
    static constexpr int32_t kNoMidiPort = 0x7FFFFFFF;

    bool Load(const ISettingsStore& store, const char* subKey);
    bool Save(ISettingsStore& store, const char* subKey) const;

    SETTINGS_GUID inputGuid{};
    CCharString inputName;
    SETTINGS_GUID outputGuid{};
    CCharString outputName;
    float captureLevel = 0.2f;
    float masterVolume = 1.0f;
    int32_t midiInputPort = kNoMidiPort;
    // Notes played or sung into the microphone reach the exercise.
    bool microphoneInput = true;
    // The learner chose the MIDI input (also "--- None ---"); until then the
    // only keyboard plugged in opens by itself.
    bool midiChosen = false;
    // The microphone's pitch method: 0 (the default) the program's live
    // method; 1..7 a method chosen by number, kept as stored.
    int32_t pitchMethod = 0;
    // The microphone's trigger is the fixed level instead of one that
    // follows the room's noise floor.
    bool fixedTrigger = false;
};
