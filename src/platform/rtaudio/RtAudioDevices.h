#pragma once

#include <RtAudio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioOut.h"  // AUDIO_DEVICE

// The sound systems RtAudio offers on this machine (JACK, PulseAudio,
// ALSA) and their devices, named "<system>:<device name>" (for example
// "jack:system") in both directions. The libraries' own complaints are
// silenced: callers report failures in their own words.
class CRtAudioDevices {
public:
    // kAny tries JACK, PulseAudio and ALSA in that order.
    enum class Api { kAny, kJack, kPulse, kAlsa };
    enum class Direction { kOutput, kInput };

    struct FOUND {
        const char* title = nullptr;  // of the system, for descriptions
        std::unique_ptr<RtAudio> audio;
        unsigned index = 0;
        RtAudio::DeviceInfo info;
    };

    // RtAudio's stream errors for a stream of this process: whether the
    // stream is lost, and RtAudio's text.
    using ErrorHandler = std::function<void(bool fatal, const std::string& text)>;

    // Devices with at least channels in direction.
    static void List(Api api, Direction direction, int channels,
                     std::vector<AUDIO_DEVICE>& devices);
    // May throw RtAudioError, as RtAudio does.
    static bool Find(Api api, Direction direction, int channels, const std::string& deviceId,
                     FOUND& found);
    static bool FindDefault(Api api, Direction direction, int channels, FOUND& found);
    static std::string Describe(const FOUND& found);

    // RtAudio's error callback carries no user pointer: a stream takes one
    // of a few callbacks, which passes reports on to handler; -1 when all
    // are taken.
    static int TakeErrorSlot(ErrorHandler handler);
    static RtAudioErrorCallback GetErrorCallback(int slot);
    static void GiveBackErrorSlot(int slot);
};
