#include "app/AudioInfo.h"

namespace {

constexpr int32_t kHighestPitchMethod = 7;

}  // namespace

bool AUDIO_INFO::Load(const ISettingsStore& store, const char* subKey) {
    bool all = ReadGuid(store, subKey, "Audio input GUID", inputGuid);
    all = ReadText(store, subKey, "Audio input name", kMaxNameSetting, inputName) && all;
    all = ReadGuid(store, subKey, "Audio output GUID", outputGuid) && all;
    all = ReadText(store, subKey, "Audio output name", kMaxNameSetting, outputName) && all;
    float volume = masterVolume;
    if (ReadFloat(store, subKey, "Master volume", volume) && volume >= 0.0f && volume <= 1.0f) {
        masterVolume = volume;
    } else {
        all = false;
    }
    all = ReadInt32(store, subKey, "MIDI input port", midiInputPort) && all;
    // Newer than the other values: a file without it is complete.
    int32_t microphone = microphoneInput ? 1 : 0;
    if (ReadInt32(store, subKey, "Microphone input", microphone)) {
        microphoneInput = microphone != 0;
    }
    int32_t chosen = midiChosen ? 1 : 0;
    if (ReadInt32(store, subKey, "MIDI input chosen", chosen)) {
        midiChosen = chosen != 0;
    }
    int32_t method = pitchMethod;
    if (ReadInt32(store, subKey, "Pitch method", method) && method >= 0 &&
        method <= kHighestPitchMethod) {
        pitchMethod = method;
    }
    int32_t fixed = fixedTrigger ? 1 : 0;
    if (ReadInt32(store, subKey, "Fixed trigger", fixed)) {
        fixedTrigger = fixed != 0;
    }
    return all;
}

bool AUDIO_INFO::Save(ISettingsStore& store, const char* subKey) const {
    bool all = WriteGuid(store, subKey, "Audio input GUID", inputGuid);
    all = WriteText(store, subKey, "Audio input name", inputName) && all;
    all = WriteGuid(store, subKey, "Audio output GUID", outputGuid) && all;
    all = WriteText(store, subKey, "Audio output name", outputName) && all;
    all = WriteFloat(store, subKey, "Master volume", masterVolume) && all;
    all = WriteInt32(store, subKey, "MIDI input port", midiInputPort) && all;
    all = WriteInt32(store, subKey, "Microphone input", microphoneInput ? 1 : 0) && all;
    all = WriteInt32(store, subKey, "MIDI input chosen", midiChosen ? 1 : 0) && all;
    all = WriteInt32(store, subKey, "Pitch method", pitchMethod) && all;
    all = WriteInt32(store, subKey, "Fixed trigger", fixedTrigger ? 1 : 0) && all;
    return all;
}
