#include "platform/rtaudio/RtAudioDevices.h"

#include <dlfcn.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace {

using Api = CRtAudioDevices::Api;
using Direction = CRtAudioDevices::Direction;

// Where the ALSA devices live; without them ALSA is not tried (it would
// only print that it finds no card).
constexpr const char* kAlsaDevices = "/dev/snd";

struct SYSTEM {
    RtAudio::Api api;
    Api choice;
    const char* prefix;  // of device ids
    const char* title;   // of device descriptions
};

constexpr SYSTEM kSystems[] = {
    {RtAudio::UNIX_JACK, Api::kJack, "jack", "JACK"},
    {RtAudio::LINUX_PULSE, Api::kPulse, "pulse", "PulseAudio"},
    {RtAudio::LINUX_ALSA, Api::kAlsa, "alsa", "ALSA"},
};

void IgnoreAlsaText(const char*, int, const char*, int, const char*, ...) {}

// The JACK and ALSA libraries print their complaints (no server, no card)
// themselves; they are silenced.
void QuietenLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
        // ALSA's library comes with RtAudio; its handler is reached by name
        // so that this module needs no ALSA headers of its own.
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
            reinterpret_cast<SetHandler>(symbol)(IgnoreAlsaText);
        }
    });
}

bool IsCompiled(RtAudio::Api api) {
    std::vector<RtAudio::Api> apis;
    RtAudio::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

// A PulseAudio server answers on a socket; RtAudio would list its one
// device whether a server runs or not.
bool HasPulseServer() {
    if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && *server != '\0') {
        return true;
    }
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr) {
        folder = runtime;
    } else {
        folder = "/run/user/" + std::to_string(getuid());
    }
    return access((folder + "/pulse/native").c_str(), F_OK) == 0;
}

bool IsOffered(const SYSTEM& system, Api api) {
    if ((api != Api::kAny && api != system.choice) || !IsCompiled(system.api)) {
        return false;
    }
    switch (system.api) {
        case RtAudio::LINUX_PULSE:
            return HasPulseServer();
        case RtAudio::LINUX_ALSA:
            return access(kAlsaDevices, F_OK) == 0;
        default:
            return true;
    }
}

std::unique_ptr<RtAudio> MakeAudio(RtAudio::Api api) {
    QuietenLibraries();
    try {
        auto audio = std::make_unique<RtAudio>(api);
        audio->showWarnings(false);
        return audio;
    } catch (const RtAudioError&) {
    } catch (const std::exception&) {
    }
    return nullptr;
}

bool Fits(const RtAudio::DeviceInfo& info, Direction direction, int channels) {
    const unsigned offered =
        direction == Direction::kOutput ? info.outputChannels : info.inputChannels;
    return info.probed && offered >= static_cast<unsigned>(channels);
}

constexpr int kErrorSlots = 8;
std::mutex g_slotLock;
CRtAudioDevices::ErrorHandler g_slots[kErrorSlots];

template <int kSlot>
void ReportStreamError(RtAudioError::Type type, const std::string& text) {
    std::lock_guard<std::mutex> lock(g_slotLock);
    if (g_slots[kSlot]) {
        g_slots[kSlot](type != RtAudioError::WARNING && type != RtAudioError::DEBUG_WARNING, text);
    }
}

constexpr RtAudioErrorCallback kErrorCallbacks[kErrorSlots] = {
    ReportStreamError<0>, ReportStreamError<1>, ReportStreamError<2>, ReportStreamError<3>,
    ReportStreamError<4>, ReportStreamError<5>, ReportStreamError<6>, ReportStreamError<7>,
};

}  // namespace

void CRtAudioDevices::List(Api api, Direction direction, int channels,
                           std::vector<AUDIO_DEVICE>& devices) {
    devices.clear();
    for (const SYSTEM& system : kSystems) {
        if (!IsOffered(system, api)) {
            continue;
        }
        std::unique_ptr<RtAudio> audio = MakeAudio(system.api);
        if (audio == nullptr) {
            continue;
        }
        try {
            const unsigned count = audio->getDeviceCount();
            for (unsigned i = 0; i < count; ++i) {
                const RtAudio::DeviceInfo info = audio->getDeviceInfo(i);
                if (Fits(info, direction, channels)) {
                    devices.push_back({std::string(system.prefix) + ":" + info.name,
                                       std::string(system.title) + ": " + info.name});
                }
            }
        } catch (const RtAudioError&) {
            // A system that fails to list its devices offers none.
        }
    }
}

bool CRtAudioDevices::Find(Api api, Direction direction, int channels, const std::string& deviceId,
                           FOUND& found) {
    const size_t colon = deviceId.find(':');
    const std::string prefix = deviceId.substr(0, colon);
    const std::string name = colon == std::string::npos ? "" : deviceId.substr(colon + 1);
    for (const SYSTEM& system : kSystems) {
        if (prefix != system.prefix || !IsOffered(system, api)) {
            continue;
        }
        found.audio = MakeAudio(system.api);
        if (found.audio == nullptr) {
            return false;
        }
        const unsigned count = found.audio->getDeviceCount();
        for (unsigned i = 0; i < count; ++i) {
            found.info = found.audio->getDeviceInfo(i);
            if (found.info.name == name && Fits(found.info, direction, channels)) {
                found.title = system.title;
                found.index = i;
                return true;
            }
        }
    }
    return false;
}

bool CRtAudioDevices::FindDefault(Api api, Direction direction, int channels, FOUND& found) {
    for (const SYSTEM& system : kSystems) {
        if (!IsOffered(system, api)) {
            continue;
        }
        found.audio = MakeAudio(system.api);
        if (found.audio == nullptr || found.audio->getDeviceCount() == 0) {
            continue;
        }
        found.index = direction == Direction::kOutput ? found.audio->getDefaultOutputDevice()
                                                      : found.audio->getDefaultInputDevice();
        found.info = found.audio->getDeviceInfo(found.index);
        if (Fits(found.info, direction, channels)) {
            found.title = system.title;
            return true;
        }
    }
    return false;
}

std::string CRtAudioDevices::Describe(const FOUND& found) {
    return std::string(found.title != nullptr ? found.title : "") + ": " + found.info.name;
}

int CRtAudioDevices::TakeErrorSlot(ErrorHandler handler) {
    std::lock_guard<std::mutex> lock(g_slotLock);
    for (int i = 0; i < kErrorSlots; ++i) {
        if (!g_slots[i]) {
            g_slots[i] = std::move(handler);
            return i;
        }
    }
    return -1;
}

RtAudioErrorCallback CRtAudioDevices::GetErrorCallback(int slot) {
    return slot >= 0 && slot < kErrorSlots ? kErrorCallbacks[slot] : nullptr;
}

void CRtAudioDevices::GiveBackErrorSlot(int slot) {
    if (slot >= 0 && slot < kErrorSlots) {
        std::lock_guard<std::mutex> lock(g_slotLock);
        g_slots[slot] = nullptr;
    }
}
