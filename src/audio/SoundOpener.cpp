#include "audio/SoundOpener.h"

#include <vector>

#include "audio/Sound.h"

namespace {

// The id of the device described as name, or "" (the default) when no
// device of the list is.
std::string FindDevice(CSound& sound, const char* name) {
    for (const AUDIO_DEVICE& device : sound.GetDevices()) {
        if (device.description == name) {
            return device.id;
        }
    }
    return std::string();
}

bool OpenOn(CSound& sound, std::unique_ptr<IAudioOut> device, const char* name) {
    if (!device) {
        return false;
    }
    sound.SetDevice(std::move(device));
    std::string id;
    if (*name != '\0' && sound.EnumerateDevices()) {
        id = FindDevice(sound, name);
    }
    return sound.Open(id);
}

// True when a device of factory's is described as name.
bool Describes(const CSoundOpener::Factory& factory, const char* name) {
    std::unique_ptr<IAudioOut> device = factory();
    std::vector<AUDIO_DEVICE> devices;
    if (!device || !device->EnumerateDevices(devices)) {
        return false;
    }
    for (const AUDIO_DEVICE& found : devices) {
        if (found.description == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

CSoundOpener::~CSoundOpener() = default;

SOUND_OPENING CSoundOpener::Open(const REQUEST& request) {
    SOUND_OPENING opening;
    opening.sound = std::make_unique<CSound>(request.noteTable, request.soundFolder);
    CSound& sound = *opening.sound;
    // The silent device chosen by its name opens as any other device does.
    if (request.silentDevice && !request.deviceName.IsEmpty() &&
        Describes(request.silentDevice, request.deviceName)) {
        if (OpenOn(sound, request.silentDevice(), "")) {
            opening.silent = true;
            opening.deviceName = sound.GetDevice()->GetDeviceName().c_str();
            return opening;
        }
        opening.error = sound.GetError();
        return opening;
    }
    if (OpenOn(sound, request.device ? request.device() : nullptr, request.deviceName)) {
        opening.deviceName = sound.GetDevice()->GetDeviceName().c_str();
        return opening;
    }
    opening.error = request.device ? sound.GetError() : "Can't open sound output: there is none";
    // Everything but the sound itself goes on with the silent device.
    if (OpenOn(sound, request.silentDevice ? request.silentDevice() : nullptr, "")) {
        opening.silent = true;
        opening.deviceName = sound.GetDevice()->GetDeviceName().c_str();
        return opening;
    }
    if (request.silentDevice) {
        opening.error.Append("\n");
        opening.error.Append(sound.GetError());
    }
    return opening;
}

void CSoundOpener::Start(REQUEST request) {
    m_task.Start([request = std::move(request)] { return Open(request); });
}

bool CSoundOpener::WaitFor(double seconds) {
    return m_task.WaitFor(seconds);
}

bool CSoundOpener::Take(SOUND_OPENING& opening) {
    return m_task.Take(opening);
}
