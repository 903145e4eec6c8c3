#pragma once

#include <functional>
#include <memory>

#include "platform/AudioIn.h"
#include "platform/AudioOut.h"
#include "platform/EventLoop.h"
#include "platform/InstanceLock.h"
#include "platform/MidiIn.h"
#include "platform/SettingsStore.h"
#include "platform/WindowSystem.h"

// The services a backend gives the application; chosen once at start-up.
struct PLATFORM {
    IEventLoop* eventLoop = nullptr;
    IWindowSystem* windowSystem = nullptr;
    // Makes a fresh, unheld instance lock.
    std::function<std::unique_ptr<IInstanceLock>()> createInstanceLock;
    // Makes a settings store, not yet open; may be empty (no settings kept).
    std::function<std::unique_ptr<ISettingsStore>()> createSettingsStore;
    // Makes the MIDI input; may be empty (no MIDI).
    std::function<std::unique_ptr<IMidiIn>()> createMidiIn;
    // Makes the sound output, not yet open; may be empty (no sound).
    std::function<std::unique_ptr<IAudioOut>()> createAudioOut;
    // Makes the silent output that stands in when the sound output can't
    // open, so that everything else works; may be empty.
    std::function<std::unique_ptr<IAudioOut>()> createSilentAudioOut;
    // Makes the sound input (the microphone); may be empty (no input).
    std::function<std::unique_ptr<IAudioIn>()> createAudioIn;
    // Makes the stand-in input that the learner may choose in place of a
    // microphone (a sound file, or silence); may be empty.
    std::function<std::unique_ptr<IAudioIn>()> createStandInAudioIn;
    // Calls onEnd on the user-interface thread when the system asks the
    // process to end (logout, a closed terminal, Ctrl+C); may be empty.
    std::function<bool(std::function<void()> onEnd)> watchEndRequests;
};
